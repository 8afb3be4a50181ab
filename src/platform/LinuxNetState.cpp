#include "platform/LinuxNetState.h"

#include <QFile>
#include <QSet>

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

namespace {

constexpr unsigned RouteUp = 0x0001;     // RTF_UP
constexpr unsigned RouteReject = 0x0200; // RTF_REJECT

QByteArray readProcFile(const char *path)
{
    // /proc files report size 0: read to the end instead of trusting it.
    QFile f(QString::fromLatin1(path));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

QList<QString> LinuxNetState::defaultRouteInterfaces4(const QByteArray &route4)
{
    // Iface Destination Gateway Flags RefCnt Use Metric Mask MTU Window IRTT (hex, first line is a title)
    QList<QString> names;
    const QList<QByteArray> lines = route4.split('\n');
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QList<QByteArray> f = lines.at(i).simplified().split(' ');
        if (f.size() < 8)
            continue;
        bool ok = false;
        const unsigned flags = f.at(3).toUInt(&ok, 16);
        if (ok && f.at(1) == "00000000" && f.at(7) == "00000000" && (flags & RouteUp) && !(flags & RouteReject)
            && f.at(0) != "lo")
            names << QString::fromLatin1(f.at(0));
    }
    return names;
}

QList<QString> LinuxNetState::defaultRouteInterfaces6(const QByteArray &route6)
{
    // dest destlen src srclen nexthop metric refcnt use flags device (hex, no title)
    QList<QString> names;
    for (const QByteArray &line : route6.split('\n')) {
        const QList<QByteArray> f = line.simplified().split(' ');
        if (f.size() < 10)
            continue;
        bool ok = false;
        const unsigned flags = f.at(8).toUInt(&ok, 16);
        if (ok && f.at(0) == QByteArray(32, '0') && f.at(1) == "00" && (flags & RouteUp) && !(flags & RouteReject)
            && f.at(9) != "lo")
            names << QString::fromLatin1(f.at(9));
    }
    return names;
}

bool LinuxNetState::decide(const QList<Address> &addresses, const QByteArray &route4, const QByteArray &route6)
{
    QSet<QString> usable;
    for (const Address &a : addresses)
        if (a.up && a.running && !a.loopback && !a.linkLocal)
            usable.insert(a.interfaceName);
    const QList<QString> routed = defaultRouteInterfaces4(route4) + defaultRouteInterfaces6(route6);
    for (const QString &name : routed)
        if (usable.contains(name))
            return true;
    return false;
}

bool LinuxNetState::isOnline() const
{
    QList<Address> addresses;
    ifaddrs *list = nullptr;
    if (getifaddrs(&list) != 0)
        return false;
    for (ifaddrs *i = list; i; i = i->ifa_next) {
        if (!i->ifa_addr || !i->ifa_name)
            continue;
        Address a;
        a.interfaceName = QString::fromLocal8Bit(i->ifa_name);
        a.up = i->ifa_flags & IFF_UP;
        a.running = i->ifa_flags & IFF_RUNNING;
        a.loopback = i->ifa_flags & IFF_LOOPBACK;
        if (i->ifa_addr->sa_family == AF_INET) {
            const auto *in = reinterpret_cast<const sockaddr_in *>(i->ifa_addr);
            a.linkLocal = (ntohl(in->sin_addr.s_addr) >> 16) == 0xA9FE; // 169.254/16
        } else if (i->ifa_addr->sa_family == AF_INET6) {
            const auto *in6 = reinterpret_cast<const sockaddr_in6 *>(i->ifa_addr);
            const unsigned char *b = in6->sin6_addr.s6_addr;
            a.linkLocal = b[0] == 0xFE && (b[1] & 0xC0) == 0x80; // fe80::/10
        } else {
            continue; // link-layer entries carry no address
        }
        addresses << a;
    }
    freeifaddrs(list);
    return decide(addresses, readProcFile("/proc/net/route"), readProcFile("/proc/net/ipv6_route"));
}
