#include "rename/eliminar.h"

#include "platform/settingskey.h"
#include "rename/formparts.h"
#include "rename/spinedit.h"
#include "widgets/formstorage.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

TfEliminar::TfEliminar(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("fEliminar"));
    setWindowTitle(QStringLiteral("Eliminar"));

    pcPrincipal = Named(new QTabWidget(this), "pcPrincipal");
    pcPrincipal->setDocumentMode(true);

    tsPosicion = Named(new QWidget, "tsPosicion");
    Label1 = BoldLabel(tsPosicion, "Label1", QStringLiteral("Posición a partir de la cual eliminar :"));
    sePosicion = Named(new NumberSpinEdit(tsPosicion, 0, 9999, 0), "sePosicion");
    Label2 = BoldLabel(tsPosicion, "Label2", QStringLiteral("Número de caracteres a eliminar :"));
    seCaracteres = Named(new NumberSpinEdit(tsPosicion, 1, 9999, 1), "seCaracteres");
    Label1->setBuddy(sePosicion);
    Label2->setBuddy(seCaracteres);
    auto *positionPage = new QGridLayout(tsPosicion);
    positionPage->addWidget(Label1, 0, 0);
    positionPage->addWidget(sePosicion, 0, 1);
    positionPage->addWidget(Label2, 1, 0);
    positionPage->addWidget(seCaracteres, 1, 1);
    positionPage->setColumnStretch(0, 1);
    positionPage->setRowStretch(2, 1);

    tsCadena = Named(new QWidget, "tsCadena");
    Label3 = BoldLabel(tsCadena, "Label3", QStringLiteral("Cadena que se desea eliminar :"));
    edEliminar = Named(new QLineEdit(tsCadena), "edEliminar");
    Label3->setBuddy(edEliminar);
    auto *textPage = new QVBoxLayout(tsCadena);
    textPage->addWidget(Label3);
    textPage->addWidget(edEliminar);
    textPage->addStretch(1);

    pcPrincipal->addTab(tsPosicion, QStringLiteral("Desde posición"));
    pcPrincipal->addTab(tsCadena, QStringLiteral("Eliminar cadena"));
    pcPrincipal->setCurrentWidget(tsPosicion);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(pcPrincipal);
    AddAcceptCancelBar(this, layout, sbAceptar, sbSalir);
    FixDialogFrame(this, QSize(289, 135));

    connect(sePosicion, &QSpinBox::valueChanged, this, &TfEliminar::sePosicionChange);
    connect(sbAceptar, &QPushButton::clicked, this, &TfEliminar::sbAceptarClick);
    connect(sbSalir, &QPushButton::clicked, this, &TfEliminar::sbSalirClick);

    FormStorage1 = Named(new FormStorage(this, IniFilePath(), QStringLiteral("TfEliminar"),
                                         {QStringLiteral("edEliminar.Text"), QStringLiteral("pcPrincipal.ActivePage")}),
                         "FormStorage1");
}

TfEliminar::~TfEliminar() { FormStorage1->SaveBeforeDestruction(); }

void TfEliminar::sePosicionChange()
{
    if (sePosicion->value() < 0)
        sePosicion->setValue(0);
}

void TfEliminar::sbAceptarClick()
{
    sePosicion->interpretText();
    seCaracteres->interpretText();
    done(pcPrincipal->currentWidget() == tsCadena ? ResultYes : ResultOk);
}

void TfEliminar::sbSalirClick() { done(QDialog::Rejected); }
