#include "rename/sustituir.h"

#include "platform/dialogs.h"
#include "platform/settingskey.h"
#include "rename/formparts.h"
#include "rename/newnames.h"
#include "widgets/formstorage.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TfSustituir::TfSustituir(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("fSustituir"));
    setWindowTitle(QStringLiteral("Sustituir"));

    Label2 = BoldLabel(this, "Label2", QStringLiteral("Sustituir :"));
    edSustituir = Named(new QLineEdit(this), "edSustituir");
    Label1 = BoldLabel(this, "Label1", QStringLiteral("por :"));
    edPor = Named(new QLineEdit(this), "edPor");
    Label2->setBuddy(edSustituir);
    Label1->setBuddy(edPor);

    auto *layout = new QVBoxLayout(this);
    auto *fields = new QGridLayout;
    fields->addWidget(Label2, 0, 0);
    fields->addWidget(edSustituir, 0, 1);
    fields->addWidget(Label1, 1, 0);
    fields->addWidget(edPor, 1, 1);
    fields->setColumnStretch(1, 1);
    layout->addLayout(fields);
    layout->addStretch(1);
    AddAcceptCancelBar(this, layout, sbAceptar, sbSalir);
    FixDialogFrame(this, QSize(397, 105));

    connect(sbAceptar, &QPushButton::clicked, this, &TfSustituir::sbAceptarClick);
    connect(sbSalir, &QPushButton::clicked, this, &TfSustituir::sbSalirClick);

    FormStorage1 = Named(new FormStorage(this, IniFilePath(), QStringLiteral("TfSustituir"),
                                         {QStringLiteral("edPor.Text"), QStringLiteral("edSustituir.Text")}),
                         "FormStorage1");
}

TfSustituir::~TfSustituir() { FormStorage1->SaveBeforeDestruction(); }

void TfSustituir::sbAceptarClick()
{
    if (edSustituir->text().isEmpty())
        return;
    if (IsEquivalentReplacement(edSustituir->text(), edPor->text())) {
        Dialogs::Current().Message(this, QStringLiteral("Atención"), EquivalentReplacementWarning,
                                   Dialogs::Icon::Warning);
        return;
    }
    done(QDialog::Accepted);
}

void TfSustituir::sbSalirClick() { done(QDialog::Rejected); }
