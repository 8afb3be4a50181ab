// The real connection state: an interface that is up with a usable address, and a default route through it.
#pragma once

#include "platform/NetState.h"

#include <QByteArray>
#include <QList>
#include <QString>

class LinuxNetState : public NetState
{
public:
    /// One address of one interface, as the decision needs it.
    struct Address
    {
        QString interfaceName;
        bool up = false;
        bool running = false;
        bool loopback = false;
        /// IPv4 169.254.0.0/16 or IPv6 fe80::/10.
        bool linkLocal = false;
    };

    /// Reads the interfaces (getifaddrs) and the kernel's route tables; sends nothing.
    bool isOnline() const override;

    /// Online when a default route (IPv4 0.0.0.0/0 in route4, IPv6 ::/0 in route6, both in the kernel's
    /// /proc text forms) that is up and not a reject route goes through an interface other than lo that is
    /// up and running, not loopback, and holds an address that is not link-local.
    static bool decide(const QList<Address> &addresses, const QByteArray &route4, const QByteArray &route6);

    /// Interfaces with a default route in each table.
    static QList<QString> defaultRouteInterfaces4(const QByteArray &route4);
    static QList<QString> defaultRouteInterfaces6(const QByteArray &route6);
};
