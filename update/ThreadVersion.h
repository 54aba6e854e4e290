#pragma once

#include <QByteArray>
#include <QMutex>
#include <QString>
#include <QThread>
#include <QUrl>
#include <QWaitCondition>

#include <atomic>

// The version check's worker: one GET of the version file on a thread of its own, so the
// dialog stays responsive. A stop request aborts a transfer in progress.
class TThreadVersion : public QThread {
    Q_OBJECT
public:
    // A larger answer is not a version file.
    static constexpr qint64 MaxBodySize = 64 * 1024;

    // transferTimeoutMs bounds the whole GET in case nobody asks the worker to stop.
    explicit TThreadVersion(const QUrl &url, int transferTimeoutMs, QObject *parent = nullptr);
    ~TThreadVersion() override;

    // Asks the worker to stop; it ends within about 100 ms. Safe from any thread.
    void RequestStop();
    bool StopRequested() const;

    // Read once the worker has ended.
    QString Result() const;           // the response body, empty when nothing arrived
    bool BodyTooLarge() const;        // the answer was cut off for being too large

protected:
    void run() override;
    void Execute();

private:
    // Runs the GET on this thread's own event loop: the body when it arrived, or empty.
    // failed tells a request that went wrong (or was stopped) from an empty answer.
    QByteArray Get(bool &failed);

    const QUrl url_;
    const int transferTimeoutMs_;
    std::atomic_bool stop_{false};
    std::atomic_bool tooLarge_{false};
    QString result_;
    mutable QMutex mutex_;
    QWaitCondition wake_;
};
