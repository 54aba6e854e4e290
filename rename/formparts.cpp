#include "rename/formparts.h"

#include <QBoxLayout>
#include <QDialog>
#include <QFont>
#include <QLabel>
#include <QPalette>
#include <QPushButton>

QLabel *BoldLabel(QWidget *parent, const char *name, const QString &caption)
{
    auto *label = Named(new QLabel(caption, parent), name);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    return label;
}

void AddAcceptCancelBar(QWidget *dialog, QBoxLayout *layout, QPushButton *&sbAceptar, QPushButton *&sbSalir)
{
    sbAceptar = Named(new QPushButton(Picture("dialog-ok", QStyle::SP_DialogOkButton), QStringLiteral("&Aceptar"),
                                      dialog),
                      "sbAceptar");
    sbSalir = Named(new QPushButton(Picture("dialog-cancel", QStyle::SP_DialogCancelButton),
                                    QStringLiteral("&Cancelar"), dialog),
                    "sbSalir");
    sbAceptar->setDefault(true);
    auto *bar = new QHBoxLayout;
    bar->addWidget(sbAceptar);
    bar->addStretch(1);
    bar->addWidget(sbSalir);
    layout->addLayout(bar);
}

void FixDialogFrame(QDialog *dialog, const QSize &clientSize)
{
    dialog->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    dialog->setFixedSize(dialog->sizeHint().expandedTo(clientSize));
    CentreOnScreen(dialog);
}

void GreyBackground(QWidget *widget)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Window));
    widget->setPalette(palette);
}
