// A connection on Qt's TCP socket, or on its TLS socket when it may switch to TLS.
#pragma once

#include "platform/Net.h"

#include <QObject>
#include <QPointer>

class QTcpSocket;

class QtNetConnection : public QObject, public NetConnection
{
    Q_OBJECT
public:
    QtNetConnection(Hooks hooks, bool tls, const QByteArray &extraCaPem);
    ~QtNetConnection() override;

    void connectToHost(const QString &host, quint16 port) override;
    void write(const QByteArray &data) override;
    QByteArray readAll() override;
    qint64 bytesAvailable() const override;
    bool isConnected() const override;
    void startClientEncryption(const QString &peerName) override;
    void closeAfter(const QByteArray &last, int timeoutMs) override;

private:
    void end(End how, const QString &text);
    /// Lets go of the socket: nothing of it reaches this object again, and it is deleted from the event loop (it
    /// may be inside one of its own signals now).
    void dropSocket();

    Hooks m_hooks;
    QPointer<QTcpSocket> m_socket;
    bool m_ended = false;
};
