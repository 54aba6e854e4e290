#include "update/ThreadVersion.h"

#include <QEventLoop>
#include <QMutexLocker>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

namespace {
constexpr int StopPollMs = 100;

// Errors of the connection itself, as opposed to an answer whose status is an error: the
// body of an error page is still an answer and is taken over like any other.
bool IsTransportError(QNetworkReply::NetworkError error)
{
    return error != QNetworkReply::NoError && error < QNetworkReply::ContentAccessDenied;
}
} // namespace

TThreadVersion::TThreadVersion(const QUrl &url, int transferTimeoutMs, QObject *parent)
    : QThread(parent), url_(url), transferTimeoutMs_(transferTimeoutMs)
{
    setObjectName(QStringLiteral("TThreadVersion"));
}

TThreadVersion::~TThreadVersion()
{
    RequestStop();
    wait();
}

void TThreadVersion::RequestStop()
{
    stop_ = true;
    QMutexLocker lock(&mutex_);
    wake_.wakeAll();
}

bool TThreadVersion::StopRequested() const { return stop_; }

QString TThreadVersion::Result() const
{
    QMutexLocker lock(&mutex_);
    return result_;
}

bool TThreadVersion::BodyTooLarge() const { return tooLarge_; }

void TThreadVersion::run() { Execute(); }

void TThreadVersion::Execute()
{
    bool failed = false;
    const QByteArray body = Get(failed);
    // A server that answers with nothing keeps the check waiting until it is stopped; a
    // request that failed ends it at once.
    QMutexLocker lock(&mutex_);
    while (!stop_ && !failed && body.isEmpty())
        wake_.wait(&mutex_, StopPollMs);
    result_ = QString::fromLatin1(body);
}

QByteArray TThreadVersion::Get(bool &failed)
{
    failed = true;
    if (stop_)
        return {};
    QNetworkAccessManager manager;
    QNetworkRequest request(url_);
    if (transferTimeoutMs_ > 0)
        request.setTransferTimeout(transferTimeoutMs_);
    QNetworkReply *reply = manager.get(request);
    QByteArray body;
    QEventLoop loop;

    const auto tooLarge = [&] {
        tooLarge_ = true;
        reply->abort();
    };
    QObject::connect(reply, &QNetworkReply::metaDataChanged, &loop, [&] {
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        if (length.isValid() && length.toLongLong() > MaxBodySize)
            tooLarge();
    });
    QObject::connect(reply, &QNetworkReply::readyRead, &loop, [&] {
        body += reply->read(MaxBodySize + 1 - body.size());
        if (body.size() > MaxBodySize)
            tooLarge();
    });
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QTimer poll;
    poll.setInterval(StopPollMs);
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (stop_)
            reply->abort();
    });
    poll.start();
    if (!reply->isFinished())
        loop.exec();
    poll.stop();

    if (!tooLarge_ && !IsTransportError(reply->error()))
        body += reply->read(MaxBodySize + 1 - body.size());
    if (body.size() > MaxBodySize)
        tooLarge_ = true;
    const bool keep = !tooLarge_ && !IsTransportError(reply->error());
    failed = !keep || reply->error() != QNetworkReply::NoError;
    delete reply;
    return keep ? body : QByteArray();
}
