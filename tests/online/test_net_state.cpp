// The connection state: the decision from interfaces and routes, and the real one in a namespace without network.
#include "platform/LinuxNetState.h"

#include <QCoreApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

using Address = LinuxNetState::Address;

namespace {

const QByteArray Route4Title = "Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\tMask\t\tMTU\tWindow\tIRTT\n";
const QByteArray Route4Default = Route4Title
                                 + "eth0\t00000000\t010200C0\t0003\t0\t0\t0\t00000000\t0\t0\t0\n"
                                   "eth0\t000200C0\t00000000\t0001\t0\t0\t0\t00FFFFFF\t0\t0\t0\n";
const QByteArray Route4NoDefault = Route4Title + "eth0\t000200C0\t00000000\t0001\t0\t0\t0\t00FFFFFF\t0\t0\t0\n";
const QByteArray Route6Reject = "00000000000000000000000000000000 00 00000000000000000000000000000000 00 "
                                "00000000000000000000000000000000 ffffffff 00000001 00000000 00200200       lo\n";
const QByteArray Route6Default = "00000000000000000000000000000000 00 00000000000000000000000000000000 00 "
                                 "fd000000000000000000000000000001 00000400 00000002 00000000 00000003     eth0\n";

Address address(const QString &name, bool up, bool running, bool loopback, bool linkLocal)
{
    return Address{name, up, running, loopback, linkLocal};
}

} // namespace

class TestNetState : public QObject
{
    Q_OBJECT

private slots:
    void decision_data()
    {
        QTest::addColumn<QList<Address>>("addresses");
        QTest::addColumn<QByteArray>("route4");
        QTest::addColumn<QByteArray>("route6");
        QTest::addColumn<bool>("online");

        const Address lo = address("lo", true, true, true, false);
        const Address eth = address("eth0", true, true, false, false);
        QTest::newRow("ethernet with IPv4 default") << QList<Address>{lo, eth} << Route4Default << Route6Reject << true;
        QTest::newRow("IPv6 default only")
            << QList<Address>{lo, eth} << Route4NoDefault << (Route6Reject + Route6Default) << true;
        QTest::newRow("no default route") << QList<Address>{lo, eth} << Route4NoDefault << Route6Reject << false;
        QTest::newRow("loopback only") << QList<Address>{lo} << QByteArray() << QByteArray() << false;
        QTest::newRow("interface down") << QList<Address>{lo, address("eth0", false, false, false, false)}
                                        << Route4Default << QByteArray() << false;
        QTest::newRow("up, cable out") << QList<Address>{lo, address("eth0", true, false, false, false)}
                                       << Route4Default << QByteArray() << false;
        QTest::newRow("link-local address only")
            << QList<Address>{lo, address("eth0", true, true, false, true)} << Route4Default << QByteArray() << false;
        QTest::newRow("default route via another interface")
            << QList<Address>{lo, address("wlan0", true, true, false, false)} << Route4Default << QByteArray() << false;
        QTest::newRow("default route via lo")
            << QList<Address>{lo, eth} << Route4Title + "lo\t00000000\t00000000\t0001\t0\t0\t0\t00000000\t0\t0\t0\n"
            << QByteArray() << false;
        QTest::newRow("reject default") << QList<Address>{lo, eth}
                                        << Route4Title + "eth0\t00000000\t00000000\t0201\t0\t0\t0\t00000000\t0\t0\t0\n"
                                        << QByteArray() << false;
    }
    void decision()
    {
        QFETCH(QList<Address>, addresses);
        QFETCH(QByteArray, route4);
        QFETCH(QByteArray, route6);
        QFETCH(bool, online);
        QCOMPARE(LinuxNetState::decide(addresses, route4, route6), online);
    }

    void offlineInsideANamespaceWithoutNetwork()
    {
        const QString probe = QCoreApplication::applicationDirPath() + QStringLiteral("/netstate_probe");
        QProcess p;
        p.start(QStringLiteral("unshare"), {QStringLiteral("-n"), probe});
        QVERIFY(p.waitForFinished(10000));
        if (p.exitCode() != 0 && p.readAllStandardOutput().isEmpty())
            QSKIP("unshare -n is not allowed here");
        QCOMPARE(p.exitCode(), 1); // the probe exits 1 for offline
    }
};

QTEST_GUILESS_MAIN(TestNetState)
#include "test_net_state.moc"
