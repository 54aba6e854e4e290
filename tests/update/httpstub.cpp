#include "tests/update/httpstub.h"

HttpStub::HttpStub()
{
    server_.listen(QHostAddress::LocalHost, 0);
    connect(&server_, &QTcpServer::newConnection, this, &HttpStub::Accept);
}

HttpStub::~HttpStub()
{
    for (const QPointer<QTcpSocket> &socket : sockets_)
        if (socket)
            socket->abort();
}

QUrl HttpStub::Url() const
{
    return QUrl(QStringLiteral("http://127.0.0.1:%1/versiones/carventoutilities.txt").arg(server_.serverPort()));
}

QByteArray HttpStub::Response(int status, const QByteArray &body, bool withLength)
{
    QByteArray head = "HTTP/1.1 " + QByteArray::number(status) + (status == 200 ? " OK" : " Error") + "\r\n"
                      "Content-Type: text/plain\r\nConnection: close\r\n";
    if (withLength)
        head += "Content-Length: " + QByteArray::number(body.size()) + "\r\n";
    return head + "\r\n" + body;
}

QUrl HttpStub::RefusedUrl()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const quint16 port = probe.serverPort();
    probe.close();
    return QUrl(QStringLiteral("http://127.0.0.1:%1/versiones/carventoutilities.txt").arg(port));
}

void HttpStub::Accept()
{
    while (QTcpSocket *socket = server_.nextPendingConnection()) {
        sockets_.append(socket);
        auto request = std::make_shared<QByteArray>();
        connect(socket, &QTcpSocket::readyRead, this, [this, socket, request] {
            *request += socket->readAll();
            if (!request->contains("\r\n\r\n"))
                return;
            requestLine = request->left(request->indexOf("\r\n"));
            request->clear();
            Serve(socket);
        });
    }
}

void HttpStub::Serve(QTcpSocket *socket)
{
    switch (behaviour) {
    case Behaviour::Answer:
        socket->write(reply);
        socket->disconnectFromHost();
        break;
    case Behaviour::Stall:
        socket->write(reply);
        break;
    case Behaviour::Silent:
        break;
    }
}
