#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrl>

// A version server on 127.0.0.1 that answers each request in the way a test chose.
class HttpStub : public QObject {
    Q_OBJECT
public:
    enum class Behaviour {
        Answer,        // sends Reply, then closes
        Silent,        // accepts and never answers
        Stall,         // sends Reply (headers, maybe part of a body) and then nothing
    };

    HttpStub();
    ~HttpStub() override;

    Behaviour behaviour = Behaviour::Answer;
    QByteArray reply;
    QByteArray requestLine;    // of the last request

    QUrl Url() const;          // the version file's address on this server

    // A complete answer; withLength false leaves the body's end to the closing connection.
    static QByteArray Response(int status, const QByteArray &body, bool withLength = true);
    // An address where nothing listens.
    static QUrl RefusedUrl();

private:
    void Accept();
    void Serve(QTcpSocket *socket);

    QTcpServer server_;
    QList<QPointer<QTcpSocket>> sockets_;
};
