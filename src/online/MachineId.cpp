#include "online/MachineId.h"

#include <QStringList>

QString MachineId::fromAdapters(const QList<Adapter> &adapters)
{
    for (const Adapter &adapter : adapters) {
        if (adapter.loopback)
            continue;
        const QStringList bytes = adapter.hardwareAddress.split(QLatin1Char(':'));
        if (bytes.size() != 6)
            continue;
        QStringList out;
        for (const QString &b : bytes) {
            bool ok = false;
            const uint value = b.toUInt(&ok, 16);
            if (!ok || b.isEmpty() || b.size() > 2 || value > 0xFF)
                break;
            out << QStringLiteral("%1").arg(value, 2, 16, QLatin1Char('0')).toUpper();
        }
        // The first adapter with an address decides; one without (a tunnel) is passed over.
        if (out.size() == 6)
            return out.join(QLatin1Char('-'));
    }
    return QString::fromLatin1(NotFound);
}

QString MachineId::current()
{
    NetFactory *net = NetModule::factory();
    return fromAdapters(net ? net->adapters() : QList<Adapter>());
}
