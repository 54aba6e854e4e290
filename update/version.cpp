#include "update/version.h"

#include "platform/dialogs.h"
#include "platform/placement.h"
#include "update/ThreadVersion.h"
#include "update/addresses.h"

#include <QCloseEvent>
#include <QDesktopServices>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

QUrl TfVersion::VersionFileUrl = QUrl(QString::fromLatin1(Addresses::VersionFile));
int TfVersion::TickMilliseconds = 1000;

void CheckForNewVersion(QWidget *owner) { CheckForNewVersion(owner, CheckedVersionOf(ProgramVersion())); }

void CheckForNewVersion(QWidget *owner, const CheckedVersion &running)
{
    CheckedVersion server;
    {
        TfVersion fVersion(owner);
        Dialogs::Current().Exec(fVersion);
        server = fVersion.Server;
    }
    // Cancelled, timed out, nothing or something unreadable came back (already reported).
    if (server.Major == 0)
        return;
    if (IsNewerVersion(server, running)) {
        if (Dialogs::Current().Ask(owner, QStringLiteral("Atención"),
                                   QStringLiteral("Existe una nueva versión del programa.\n"
                                                  "¿Deseas abrir la página web para actualizarte?"),
                                   Dialogs::Icon::Information))
            QDesktopServices::openUrl(QUrl(QString::fromLatin1(Addresses::WebPage)));
    } else {
        Dialogs::Current().Message(owner, QStringLiteral("Sin cambios"),
                                   QStringLiteral("No se han detectado nuevas versiones del programa."),
                                   Dialogs::Icon::Information);
    }
}

TfVersion::TfVersion(QWidget *parent) : TfVersion(VersionFileUrl, TickMilliseconds, parent) {}

TfVersion::TfVersion(const QUrl &versionFile, int tickMilliseconds, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), versionFile_(versionFile),
      tickMilliseconds_(tickMilliseconds)
{
    setObjectName(QStringLiteral("fVersion"));
    setWindowTitle(QStringLiteral("Control de versiones"));

    Label1 = new QLabel(QStringLiteral("Conectando con el servidor ..."), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Barra = new QProgressBar(this);
    Barra->setObjectName(QStringLiteral("Barra"));
    Barra->setRange(0, TimeOutTicks);
    Barra->setValue(0);
    Barra->setFormat(QStringLiteral("%p%"));
    Barra->setTextVisible(true);
    Button1 = new QPushButton(QStringLiteral("Cancelar"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setAutoDefault(false);
    connect(Button1, &QPushButton::clicked, this, &TfVersion::Button1Click);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Button1);
    buttons->addStretch();
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 14, 16, 12);
    layout->setSpacing(10);
    layout->addWidget(Label1);
    layout->addWidget(Barra);
    layout->addLayout(buttons);
    setFixedSize(340, layout->sizeHint().height());
    CentreOnScreen(this);

    Reloj = new QTimer(this);
    Reloj->setObjectName(QStringLiteral("Reloj"));
    Reloj->setInterval(tickMilliseconds_);
    connect(Reloj, &QTimer::timeout, this, &TfVersion::RelojTimer);
    Reloj->start();

    FormCreate();
}

TfVersion::~TfVersion()
{
    // The worker never outlives its window: stop it and wait for its end.
    if (worker_) {
        worker_->disconnect(this);
        worker_.reset();
    }
}

TThreadVersion *TfVersion::Worker() const { return worker_.get(); }

void TfVersion::FormCreate()
{
    Server = {};
    Ticks = 0;
    Barra->setMaximum(TimeOutTicks);
    // Well beyond the time-out, in case nobody asks the worker to stop.
    worker_ = std::make_unique<TThreadVersion>(versionFile_, 2 * TimeOutTicks * tickMilliseconds_);
    connect(worker_.get(), &QThread::finished, this, &TfVersion::WorkerEnded, Qt::QueuedConnection);
    worker_->start();
}

void TfVersion::Button1Click()
{
    Button1->setEnabled(false);
    if (!ended_)
        worker_->RequestStop();
}

void TfVersion::RelojTimer()
{
    ++Ticks;
    Barra->setValue(qMin(Ticks, Barra->maximum()));
    if (Ticks == TimeOutTicks && !ended_) {
        worker_->RequestStop();
        Button1->setEnabled(false);
        ShowWarning(QStringLiteral("Tiempo de espera agotado"),
                    QStringLiteral("No se ha podido conectar con el servidor."));
    }
}

void TfVersion::WorkerEnded()
{
    // A box of this window is open: its end is handled once the box is gone.
    if (boxOpen_) {
        endWaiting_ = true;
        return;
    }
    MiTerminate();
}

void TfVersion::MiTerminate()
{
    if (ended_)
        return;
    ended_ = true;
    Reloj->stop();
    Button1->setEnabled(false);
    const QString text = worker_->Result();
    if (worker_->BodyTooLarge() || !text.isEmpty()) {
        if (!ParseVersionText(text, Server)) {
            Server = {};
            ShowWarning(QStringLiteral("Error en la comunicación"),
                        QStringLiteral("No se ha podido conectar con el servidor."));
        }
    }
    done(QDialog::Accepted);
}

void TfVersion::ShowWarning(const QString &caption, const QString &text)
{
    boxOpen_ = true;
    Dialogs::Current().Message(this, caption, text, Dialogs::Icon::Warning);
    boxOpen_ = false;
    if (endWaiting_) {
        endWaiting_ = false;
        MiTerminate();
    }
}

// Escape and the window manager's close ask the worker to stop, like "Cancelar"; the window
// closes once the worker has ended.
void TfVersion::reject()
{
    if (ended_)
        QDialog::reject();
    else
        Button1Click();
}

void TfVersion::closeEvent(QCloseEvent *event)
{
    if (ended_) {
        QDialog::closeEvent(event);
        return;
    }
    event->ignore();
    Button1Click();
}
