// MachineId: the first non-loopback adapter with a hardware address, written upper-case with dashes.
#include "online/MachineId.h"

#include <QRegularExpression>
#include <QTest>

using Adapters = QList<MachineId::Adapter>;
Q_DECLARE_METATYPE(Adapters)

class TestMachineId : public QObject
{
    Q_OBJECT

private slots:
    void fromAdapters_data()
    {
        QTest::addColumn<Adapters>("adapters");
        QTest::addColumn<QString>("id");
        QTest::newRow("none") << Adapters{} << "mac not found";
        QTest::newRow("loopback only") << Adapters{{true, "00:00:00:00:00:00"}} << "mac not found";
        QTest::newRow("lower case written upper")
            << Adapters{{true, "00:00:00:00:00:00"}, {false, "00:1a:2b:3c:4d:5e"}} << "00-1A-2B-3C-4D-5E";
        QTest::newRow("first of two") << Adapters{{false, "02:00:00:00:00:01"}, {false, "02:00:00:00:00:02"}}
                                      << "02-00-00-00-00-01";
        QTest::newRow("tunnel without address passed over")
            << Adapters{{false, ""}, {false, "aa:bb:cc:dd:ee:ff"}} << "AA-BB-CC-DD-EE-FF";
        QTest::newRow("not six bytes") << Adapters{{false, "00:11:22:33:44:55:66:77"}} << "mac not found";
        QTest::newRow("garbage") << Adapters{{false, "zz:11:22:33:44:55"}} << "mac not found";
    }
    void fromAdapters()
    {
        QFETCH(Adapters, adapters);
        QFETCH(QString, id);
        QCOMPARE(MachineId::fromAdapters(adapters), id);
    }

    void currentHasTheWrittenForm()
    {
        const QString id = MachineId::current();
        QVERIFY2(id == QLatin1String(MachineId::NotFound)
                     || QRegularExpression(QStringLiteral("^[0-9A-F]{2}(-[0-9A-F]{2}){5}$")).match(id).hasMatch(),
                 qPrintable(id));
    }
};

QTEST_GUILESS_MAIN(TestMachineId)
#include "test_machine_id.moc"
