#include "rename/VistaPrevia.h"

#include "rename/formparts.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSplitter>
#include <QVBoxLayout>

namespace {
QPlainTextEdit *NameColumn(QWidget *parent, const char *name)
{
    auto *editor = Named(new QPlainTextEdit(parent), name);
    editor->setReadOnly(true);
    editor->setLineWrapMode(QPlainTextEdit::NoWrap);
    editor->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    editor->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    GreyBackground(editor);
    return editor;
}
} // namespace

TfVistaPrevia::TfVistaPrevia(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("fVistaPrevia"));
    setWindowTitle(QStringLiteral("Vista previa"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    Splitter1 = Named(new QSplitter(Qt::Horizontal, this), "Splitter1");
    Splitter1->setChildrenCollapsible(false);
    mOrigen = NameColumn(Splitter1, "mOrigen");
    mDestino = NameColumn(Splitter1, "mDestino");
    Splitter1->addWidget(mOrigen);
    Splitter1->addWidget(mDestino);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Splitter1, 1);
    AddAcceptCancelBar(this, layout, sbAceptar, sbSalir);

    // Both sides scroll together, so each old name stays beside its new one.
    QScrollBar *left = mOrigen->verticalScrollBar();
    QScrollBar *right = mDestino->verticalScrollBar();
    connect(left, &QScrollBar::valueChanged, right, &QScrollBar::setValue);
    connect(right, &QScrollBar::valueChanged, left, &QScrollBar::setValue);

    connect(sbAceptar, &QPushButton::clicked, this, &TfVistaPrevia::sbAceptarClick);
    connect(sbSalir, &QPushButton::clicked, this, &TfVistaPrevia::sbSalirClick);

    setMinimumSize(200, 200);
    resize(419, 340);
    CentreOnScreen(this);
}

void TfVistaPrevia::ShowNames(const QStringList &oldNames, const QStringList &newNames)
{
    mOrigen->setPlainText(oldNames.join(u'\n'));
    mDestino->setPlainText(newNames.join(u'\n'));
}

void TfVistaPrevia::sbAceptarClick() { done(QDialog::Accepted); }

void TfVistaPrevia::sbSalirClick() { done(QDialog::Rejected); }
