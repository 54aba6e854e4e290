#include "rename/numerar.h"

#include "platform/settingskey.h"
#include "rename/formparts.h"
#include "rename/spinedit.h"
#include "widgets/formstorage.h"

#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TfNumerar::TfNumerar(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("fNumerar"));
    setWindowTitle(QStringLiteral("Numerar"));

    Label1 = BoldLabel(this, "Label1", QStringLiteral("Primer número :"));
    seEmpezar = Named(new NumberSpinEdit(this, 0, 9999, 1), "seEmpezar");
    ckRellenar = Named(new QCheckBox(QStringLiteral("Rellenar con ceros a la izquierda"), this), "ckRellenar");
    Label2 = BoldLabel(this, "Label2", QStringLiteral("Longitud con los ceros :"));
    seLongitud = Named(new NumberSpinEdit(this, 2, 10, 2), "seLongitud");
    Label3 = BoldLabel(this, "Label3",
                       QStringLiteral("Posición en la que se añadirá la numeración (0 - principio) :"));
    sePosicion = Named(new NumberSpinEdit(this, 0, 9999, 0), "sePosicion");
    Label1->setBuddy(seEmpezar);
    Label2->setBuddy(seLongitud);
    Label3->setBuddy(sePosicion);

    auto *layout = new QVBoxLayout(this);
    auto *fields = new QGridLayout;
    fields->addWidget(Label1, 0, 0);
    fields->addWidget(seEmpezar, 0, 1);
    fields->addWidget(ckRellenar, 1, 0, 1, 2);
    fields->addWidget(Label2, 2, 0);
    fields->addWidget(seLongitud, 2, 1);
    fields->addWidget(Label3, 3, 0);
    fields->addWidget(sePosicion, 3, 1);
    fields->setColumnStretch(0, 1);
    layout->addLayout(fields);
    layout->addStretch(1);
    AddAcceptCancelBar(this, layout, sbAceptar, sbSalir);
    FixDialogFrame(this, QSize(415, 146));

    seLongitud->setEnabled(false);
    for (NumberSpinEdit *spin : {seEmpezar, seLongitud, sePosicion})
        connect(spin, &QSpinBox::valueChanged, this, &TfNumerar::seEmpezarChange);
    connect(ckRellenar, &QCheckBox::toggled, this, &TfNumerar::ckRellenarClick);
    connect(sbAceptar, &QPushButton::clicked, this, &TfNumerar::sbAceptarClick);
    connect(sbSalir, &QPushButton::clicked, this, &TfNumerar::sbSalirClick);

    FormStorage1 = Named(new FormStorage(this, IniFilePath(), QStringLiteral("TfNumerar"),
                                         {QStringLiteral("ckRellenar.Checked"), QStringLiteral("seLongitud.Value"),
                                          QStringLiteral("sePosicion.Value")}),
                         "FormStorage1");
}

TfNumerar::~TfNumerar() { FormStorage1->SaveBeforeDestruction(); }

void TfNumerar::seEmpezarChange()
{
    if (auto *spin = qobject_cast<NumberSpinEdit *>(sender()); spin && spin->value() < 0)
        spin->setValue(0);
}

void TfNumerar::ckRellenarClick() { seLongitud->setEnabled(ckRellenar->isChecked()); }

void TfNumerar::FormActivate() { seLongitud->setEnabled(ckRellenar->isChecked()); }

void TfNumerar::sbAceptarClick()
{
    for (NumberSpinEdit *spin : {seEmpezar, seLongitud, sePosicion})
        spin->interpretText();
    done(QDialog::Accepted);
}

void TfNumerar::sbSalirClick() { done(QDialog::Rejected); }

void TfNumerar::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    FormActivate();
}

void TfNumerar::changeEvent(QEvent *event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        FormActivate();
}
