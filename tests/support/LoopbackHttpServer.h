// A scripted HTTP server on 127.0.0.1 for tests: records every raw request and answers from a handler.
#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPair>
#include <QTcpServer>
#include <QUrl>
#include <functional>

class QTcpSocket;

class LoopbackHttpServer : public QObject
{
    Q_OBJECT
public:
    struct Request
    {
        /// Every byte received: request line, headers, blank line and body.
        QByteArray raw;
        QByteArray method, target, version;
        QList<QPair<QByteArray, QByteArray>> headers;
        QByteArray body;
        /// The first header of that name (case-insensitive), or empty.
        QByteArray header(const QByteArray &name) const;
        /// Header names in the order they came.
        QList<QByteArray> headerNames() const;
    };

    struct Reply
    {
        /// Bytes written back as they are.
        QByteArray raw;
        /// Accept the request and never answer (the connection stays open until the client gives up).
        bool silent = false;
        /// Leave the connection open after writing (the client must stop at the framing).
        bool keepOpen = false;
        /// Answer only after this many milliseconds.
        int delayMs = 0;
    };

    using Handler = std::function<Reply(const Request &)>;

    explicit LoopbackHttpServer(QObject *parent = nullptr);
    ~LoopbackHttpServer() override;

    /// Listens on 127.0.0.1 at a free port; false when it cannot.
    bool listen();
    quint16 port() const { return m_server.serverPort(); }
    /// http://127.0.0.1:port + path.
    QUrl url(const QString &path = QStringLiteral("/")) const;

    void setHandler(Handler handler) { m_handler = std::move(handler); }
    /// A reply with status line, the headers given, Content-Length (unless a framing header is given) and body.
    static Reply reply(int status, const QByteArray &reason, const QByteArray &body = {},
                       const QList<QPair<QByteArray, QByteArray>> &headers = {});
    /// A body without Content-Length, ended by closing the connection.
    static Reply replyUntilClose(int status, const QByteArray &reason, const QByteArray &body);
    /// A body in chunked transfer encoding, split into pieces of chunkSize bytes.
    static Reply replyChunked(int status, const QByteArray &reason, const QByteArray &body, int chunkSize);
    static Reply silent();
    static Reply delayed(Reply reply, int delayMs);

    const QList<Request> &requests() const { return m_requests; }
    void clearRequests() { m_requests.clear(); }

private:
    void accept();
    void readFrom(QTcpSocket *socket);

    QTcpServer m_server;
    Handler m_handler;
    QList<Request> m_requests;
    QHash<QTcpSocket *, QByteArray> m_pending;
};
