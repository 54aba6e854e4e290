#include "update/configuracion.h"

#include "platform/dialogs.h"
#include "platform/placement.h"
#include "platform/settingskey.h"
#include "update/version.h"
#include "widgets/buttons.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

TfConfiguracion::TfConfiguracion(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("fConfiguracion"));
    setWindowTitle(QStringLiteral("Configuración"));

    cbRevisar = new QCheckBox(QStringLiteral("Revisar si existen nuevas versiones al arrancar el programa"), this);
    cbRevisar->setObjectName(QStringLiteral("cbRevisar"));
    sbRevisarAhora = FlatButton(this, "sbRevisarAhora", QStringLiteral("Revisar versión ahora"),
                                Picture("view-refresh", QStyle::SP_BrowserReload), QStringLiteral("Revisar ahora"),
                                Qt::TabFocus);
    sbSalir = FlatButton(this, "sbSalir", QStringLiteral("Cerrar"),
                         Picture("window-close", QStyle::SP_DialogCloseButton), QStringLiteral("&Cerrar"),
                         Qt::TabFocus);
    for (QToolButton *button : {sbRevisarAhora, sbSalir})
        button->setIconSize(QSize(22, 22));
    connect(sbRevisarAhora, &QToolButton::clicked, this, &TfConfiguracion::sbRevisarAhoraClick);
    connect(sbSalir, &QToolButton::clicked, this, &TfConfiguracion::sbSalirClick);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(sbRevisarAhora);
    buttons->addStretch();
    buttons->addWidget(sbSalir);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 14, 14, 10);
    layout->setSpacing(12);
    layout->addWidget(cbRevisar);
    layout->addLayout(buttons);
    setFixedSize(layout->sizeHint());
    CentreOnScreen(this);

    FormCreate();
    // Connected only now, so showing the stored state writes nothing.
    connect(cbRevisar, &QCheckBox::toggled, this, &TfConfiguracion::cbRevisarClick);
}

void TfConfiguracion::FormCreate()
{
    SettingsKey key;
    if (!key.Open())
        return;
    if (!key.ValueExists(RevisarValue)) {
        key.WriteBool(RevisarValue, false);
        return;
    }
    bool check = false;
    if (!key.ReadBool(RevisarValue, check)) {
        Dialogs::Current().ReportError(this, key.LastError());
        return;
    }
    cbRevisar->setChecked(check);
}

void TfConfiguracion::cbRevisarClick()
{
    SettingsKey key;
    if (key.Open())
        key.WriteBool(RevisarValue, cbRevisar->isChecked());
}

void TfConfiguracion::sbRevisarAhoraClick() { CheckForNewVersion(this); }

void TfConfiguracion::sbSalirClick() { close(); }
