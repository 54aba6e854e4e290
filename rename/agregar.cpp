#include "rename/agregar.h"

#include "platform/settingskey.h"
#include "rename/formparts.h"
#include "rename/spinedit.h"
#include "widgets/formstorage.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TfAgregar::TfAgregar(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("fAgregar"));
    setWindowTitle(QStringLiteral("Agregar"));

    Label2 = BoldLabel(this, "Label2", QStringLiteral("Cadena :"));
    edCadena = Named(new QLineEdit(this), "edCadena");
    Label1 = BoldLabel(this, "Label1", QStringLiteral("Posición en la que se añadirá la cadena (0 - principio) :"));
    sePosicion = Named(new NumberSpinEdit(this, 0, 9999, 0), "sePosicion");
    Label2->setBuddy(edCadena);
    Label1->setBuddy(sePosicion);

    auto *layout = new QVBoxLayout(this);
    auto *fields = new QGridLayout;
    // The text gets the whole width; the long label of the position sits beside its field.
    fields->addWidget(Label2, 0, 0);
    fields->addWidget(edCadena, 0, 1, 1, 2);
    fields->addWidget(Label1, 1, 0, 1, 2);
    fields->addWidget(sePosicion, 1, 2);
    fields->setColumnStretch(1, 1);
    layout->addLayout(fields);
    layout->addStretch(1);
    AddAcceptCancelBar(this, layout, sbAceptar, sbSalir);
    FixDialogFrame(this, QSize(399, 108));

    connect(sePosicion, &QSpinBox::valueChanged, this, &TfAgregar::sePosicionChange);
    connect(sbAceptar, &QPushButton::clicked, this, &TfAgregar::sbAceptarClick);
    connect(sbSalir, &QPushButton::clicked, this, &TfAgregar::sbSalirClick);

    FormStorage1 = Named(new FormStorage(this, IniFilePath(), QStringLiteral("TfAgregar"),
                                         {QStringLiteral("edCadena.Text"), QStringLiteral("sePosicion.Value")}),
                         "FormStorage1");
}

TfAgregar::~TfAgregar() { FormStorage1->SaveBeforeDestruction(); }

void TfAgregar::sePosicionChange()
{
    if (sePosicion->value() < 0)
        sePosicion->setValue(0);
}

void TfAgregar::sbAceptarClick()
{
    if (edCadena->text().isEmpty())
        return;
    sePosicion->interpretText();
    done(QDialog::Accepted);
}

void TfAgregar::sbSalirClick() { done(QDialog::Rejected); }
