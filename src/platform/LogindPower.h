// Powers off and suspends through logind on the system bus, without asking the user.
#pragma once

#include "platform/Power.h"

#include <QDBusConnection>
#include <optional>

class LogindPower : public Power
{
public:
    /// The system bus by default, connected at the first request (nothing of D-Bus is started before);
    /// tests hand in a connection to a private bus.
    LogindPower();
    explicit LogindPower(const QDBusConnection &bus);

    bool powerOff() override;
    bool suspend() override;

private:
    bool call(const QString &method);

    std::optional<QDBusConnection> m_bus;
};
