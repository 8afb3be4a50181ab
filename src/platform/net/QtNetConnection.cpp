#include "platform/net/QtNetConnection.h"

#include <QSslConfiguration>
#include <QSslSocket>
#include <QTimer>

QtNetConnection::QtNetConnection(Hooks hooks, bool tls, const QByteArray &extraCaPem) : m_hooks(std::move(hooks))
{
    // A hook may delete this object: each runs from a copy, and nothing of this object is touched after it.
    if (tls) {
        auto *socket = new QSslSocket(this);
        m_socket = socket;
        if (!extraCaPem.isEmpty()) {
            QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
            // Naming CA certificates switches off the on-demand loading of the system's: add those explicitly.
            configuration.setCaCertificates(QSslConfiguration::systemCaCertificates()
                                            + QSslCertificate::fromData(extraCaPem, QSsl::Pem));
            socket->setSslConfiguration(configuration);
        }
        socket->setPeerVerifyMode(QSslSocket::VerifyPeer);
        connect(socket, &QSslSocket::encrypted, this, [this] {
            if (auto hook = m_hooks.encrypted)
                hook();
        });
        connect(socket, &QSslSocket::sslErrors, this, [this](const QList<QSslError> &errors) {
            QStringList texts;
            for (const QSslError &e : errors)
                texts << e.errorString();
            end(End::TlsRefused, texts.join(QStringLiteral("; ")));
        });
    } else {
        m_socket = new QTcpSocket(this);
    }
    QTcpSocket *socket = m_socket;
    connect(socket, &QTcpSocket::connected, this, [this] {
        if (auto hook = m_hooks.connected)
            hook();
    });
    connect(socket, &QTcpSocket::readyRead, this, [this] {
        if (auto hook = m_hooks.readyRead)
            hook();
    });
    connect(socket, &QTcpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError error) {
        if (error == QAbstractSocket::RemoteHostClosedError)
            end(End::Closed, m_socket->errorString());
        else
            end(End::Failed, m_socket->errorString());
    });
    connect(socket, &QTcpSocket::disconnected, this, [this] {
        if (m_socket->error() == QAbstractSocket::UnknownSocketError)
            end(End::Closed, {});
        else if (m_socket->error() == QAbstractSocket::RemoteHostClosedError)
            end(End::Closed, m_socket->errorString());
        else
            end(End::Failed, m_socket->errorString());
    });
}

QtNetConnection::~QtNetConnection()
{
    dropSocket();
}

void QtNetConnection::dropSocket()
{
    if (QTcpSocket *socket = m_socket.data()) {
        m_socket.clear();
        socket->disconnect(this);
        socket->abort();
        socket->setParent(nullptr);
        socket->deleteLater();
    }
}

void QtNetConnection::end(End how, const QString &text)
{
    if (m_ended)
        return;
    m_ended = true;
    if (auto hook = m_hooks.ended)
        hook(how, text);
}

void QtNetConnection::connectToHost(const QString &host, quint16 port)
{
    if (m_socket)
        m_socket->connectToHost(host, port);
}

void QtNetConnection::write(const QByteArray &data)
{
    if (m_socket)
        m_socket->write(data);
}

QByteArray QtNetConnection::readAll()
{
    return m_socket ? m_socket->readAll() : QByteArray();
}

qint64 QtNetConnection::bytesAvailable() const
{
    return m_socket ? m_socket->bytesAvailable() : 0;
}

bool QtNetConnection::isConnected() const
{
    return m_socket && m_socket->state() == QAbstractSocket::ConnectedState;
}

void QtNetConnection::startClientEncryption(const QString &peerName)
{
    auto *socket = qobject_cast<QSslSocket *>(m_socket.data());
    if (!socket) {
        QMetaObject::invokeMethod(
            this,
            [this] {
                end(End::Failed, QStringLiteral("TLS was not prepared for this connection"));
            },
            Qt::QueuedConnection);
        return;
    }
    socket->setPeerVerifyName(peerName);
    socket->startClientEncryption();
}

void QtNetConnection::closeAfter(const QByteArray &last, int timeoutMs)
{
    m_hooks = {};
    m_ended = true;
    QTcpSocket *socket = m_socket.data();
    if (!socket || socket->state() != QAbstractSocket::ConnectedState) {
        deleteLater();
        return;
    }
    socket->disconnect(this);
    socket->write(last);
    connect(socket, &QTcpSocket::disconnected, this, &QObject::deleteLater);
    QTimer::singleShot(timeoutMs, this, &QObject::deleteLater);
    socket->disconnectFromHost();
}
