#include "platform/LogindPower.h"

#include <QDBusMessage>

LogindPower::LogindPower() = default;

LogindPower::LogindPower(const QDBusConnection &bus) : m_bus(bus) {}

bool LogindPower::call(const QString &method)
{
    if (!m_bus)
        m_bus = QDBusConnection::systemBus();
    if (!m_bus->isConnected())
        return false;
    QDBusMessage message = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.login1"),
                                                          QStringLiteral("/org/freedesktop/login1"),
                                                          QStringLiteral("org.freedesktop.login1.Manager"), method);
    // false: not interactive, so no password dialog can hold the request back.
    message << false;
    const QDBusMessage reply = m_bus->call(message, QDBus::Block, 10000);
    return reply.type() == QDBusMessage::ReplyMessage;
}

bool LogindPower::powerOff()
{
    return call(QStringLiteral("PowerOff"));
}

bool LogindPower::suspend()
{
    return call(QStringLiteral("Suspend"));
}
