#pragma once

#include "update/versionrules.h"

#include <QDialog>
#include <QUrl>

#include <memory>

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;
class TThreadVersion;

// Runs one whole check for a newer version with its window and messages; returns when the
// window has closed. The running version is the program's own unless one is given.
void CheckForNewVersion(QWidget *owner);
void CheckForNewVersion(QWidget *owner, const CheckedVersion &running);

// "Control de versiones": shows the progress of the check while the worker asks the server,
// and gives up after TimeOutTicks ticks.
class TfVersion : public QDialog {
    Q_OBJECT
public:
    static constexpr int TimeOutTicks = 30;
    // Where the version file is asked for, and how long a tick lasts, when the window is not
    // told otherwise (tests point them at a server of their own).
    static QUrl VersionFileUrl;
    static int TickMilliseconds;

    explicit TfVersion(QWidget *parent = nullptr);
    TfVersion(const QUrl &versionFile, int tickMilliseconds, QWidget *parent = nullptr);
    ~TfVersion() override;

    // The server's version; 0.0.0 until a version text has been read.
    CheckedVersion Server;
    int Ticks = 0;

    QLabel *Label1 = nullptr;
    QProgressBar *Barra = nullptr;
    QPushButton *Button1 = nullptr;
    QTimer *Reloj = nullptr;

    TThreadVersion *Worker() const;

public slots:
    void FormCreate();
    void Button1Click();
    void RelojTimer();
    void MiTerminate();

protected:
    void reject() override;
    void closeEvent(QCloseEvent *event) override;

private:
    void WorkerEnded();
    void ShowWarning(const QString &caption, const QString &text);

    const QUrl versionFile_;
    const int tickMilliseconds_;
    std::unique_ptr<TThreadVersion> worker_;
    bool ended_ = false;
    bool boxOpen_ = false;
    bool endWaiting_ = false;
};
