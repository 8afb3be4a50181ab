#include "LoopbackHttpServer.h"

#include <QHostAddress>
#include <QTcpSocket>
#include <QTimer>

QByteArray LoopbackHttpServer::Request::header(const QByteArray &name) const
{
    for (const auto &h : headers)
        if (h.first.compare(name, Qt::CaseInsensitive) == 0)
            return h.second;
    return {};
}

QList<QByteArray> LoopbackHttpServer::Request::headerNames() const
{
    QList<QByteArray> names;
    for (const auto &h : headers)
        names << h.first;
    return names;
}

LoopbackHttpServer::LoopbackHttpServer(QObject *parent) : QObject(parent)
{
    m_handler = [](const Request &) {
        return reply(200, "OK", "hello");
    };
    connect(&m_server, &QTcpServer::newConnection, this, &LoopbackHttpServer::accept);
}

LoopbackHttpServer::~LoopbackHttpServer()
{
    // The open connections die with the server; their handlers must not run into a half-destroyed one.
    for (QTcpSocket *socket : m_server.findChildren<QTcpSocket *>())
        socket->disconnect(this);
}

bool LoopbackHttpServer::listen()
{
    return m_server.listen(QHostAddress::LocalHost, 0);
}

QUrl LoopbackHttpServer::url(const QString &path) const
{
    return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(port()).arg(path));
}

LoopbackHttpServer::Reply LoopbackHttpServer::reply(int status, const QByteArray &reason, const QByteArray &body,
                                                    const QList<QPair<QByteArray, QByteArray>> &headers)
{
    QByteArray raw = "HTTP/1.1 " + QByteArray::number(status) + ' ' + reason + "\r\n";
    bool framed = false;
    for (const auto &h : headers) {
        raw += h.first + ": " + h.second + "\r\n";
        framed = framed || h.first.compare("Content-Length", Qt::CaseInsensitive) == 0
                 || h.first.compare("Transfer-Encoding", Qt::CaseInsensitive) == 0;
    }
    if (!framed)
        raw += "Content-Length: " + QByteArray::number(body.size()) + "\r\n";
    raw += "\r\n" + body;
    return Reply{raw, false, false, 0};
}

LoopbackHttpServer::Reply LoopbackHttpServer::replyUntilClose(int status, const QByteArray &reason,
                                                              const QByteArray &body)
{
    return Reply{"HTTP/1.0 " + QByteArray::number(status) + ' ' + reason + "\r\n\r\n" + body, false, false, 0};
}

LoopbackHttpServer::Reply LoopbackHttpServer::replyChunked(int status, const QByteArray &reason, const QByteArray &body,
                                                           int chunkSize)
{
    QByteArray raw = "HTTP/1.1 " + QByteArray::number(status) + ' ' + reason + "\r\nTransfer-Encoding: chunked\r\n\r\n";
    for (qsizetype at = 0; at < body.size(); at += chunkSize) {
        const QByteArray piece = body.mid(at, chunkSize);
        raw += QByteArray::number(piece.size(), 16) + ";ext=1\r\n" + piece + "\r\n";
    }
    raw += "0\r\n\r\n";
    return Reply{raw, false, false, 0};
}

LoopbackHttpServer::Reply LoopbackHttpServer::silent()
{
    return Reply{{}, true, false, 0};
}

LoopbackHttpServer::Reply LoopbackHttpServer::delayed(Reply reply, int delayMs)
{
    reply.delayMs = delayMs;
    return reply;
}

void LoopbackHttpServer::accept()
{
    while (QTcpSocket *socket = m_server.nextPendingConnection()) {
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
            readFrom(socket);
        });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            m_pending.remove(socket);
            socket->deleteLater();
        });
    }
}

void LoopbackHttpServer::readFrom(QTcpSocket *socket)
{
    QByteArray &buf = m_pending[socket];
    buf += socket->readAll();
    const qsizetype headEnd = buf.indexOf("\r\n\r\n");
    if (headEnd < 0)
        return;

    Request r;
    const QList<QByteArray> lines = buf.left(headEnd).split('\n');
    const QList<QByteArray> first = lines.value(0).trimmed().split(' ');
    r.method = first.value(0);
    r.target = first.value(1);
    r.version = first.value(2);
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray line = lines.at(i).trimmed();
        const qsizetype colon = line.indexOf(':');
        if (colon > 0)
            r.headers.append({line.left(colon), line.mid(colon + 1).trimmed()});
    }
    const qsizetype length = r.header("Content-Length").toLongLong();
    if (buf.size() < headEnd + 4 + length)
        return;
    r.body = buf.mid(headEnd + 4, length);
    r.raw = buf.left(headEnd + 4 + length);
    buf.remove(0, headEnd + 4 + length);
    m_requests.append(r);

    const Reply answer = m_handler(r);
    if (answer.silent)
        return;
    auto send = [socket, answer] {
        socket->write(answer.raw);
        if (!answer.keepOpen)
            socket->disconnectFromHost();
    };
    if (answer.delayMs > 0)
        QTimer::singleShot(answer.delayMs, socket, send);
    else
        send();
}
