// The logind power adaptor against a mock logind on a private bus: the calls and their argument.
#include "platform/LogindPower.h"

#include <QDBusConnectionInterface>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

class TestLogindPower : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")).isEmpty())
            QSKIP("dbus-daemon is not installed");
        m_address = QStringLiteral("unix:path=") + m_dir.path() + QStringLiteral("/system_bus_socket");
        m_bus.setProgram(QStringLiteral("dbus-daemon"));
        m_bus.setArguments({QStringLiteral("--config-file=/usr/share/dbus-1/session.conf"), QStringLiteral("--nofork"),
                            QStringLiteral("--address=") + m_address});
        m_bus.start();
        QVERIFY(m_bus.waitForStarted());
        QTRY_VERIFY(QFile::exists(m_dir.path() + QStringLiteral("/system_bus_socket")));
        m_connection = QDBusConnection::connectToBus(m_address, QStringLiteral("logind-test"));
        QVERIFY(m_connection.isConnected());
    }
    void cleanupTestCase()
    {
        stopMock();
        QDBusConnection::disconnectFromBus(QStringLiteral("logind-test"));
        if (m_bus.state() != QProcess::NotRunning) {
            m_bus.terminate();
            m_bus.waitForFinished();
        }
    }

    void refusedWithoutLogind()
    {
        LogindPower power(m_connection);
        QVERIFY(!power.powerOff());
        QVERIFY(!power.suspend());
    }

    void powerOffAndSuspendWithoutInteraction()
    {
        startMock();
        LogindPower power(m_connection);
        QVERIFY(power.powerOff());
        QVERIFY(power.suspend());
        QTRY_VERIFY(log().contains("PowerOff False"));
        QTRY_VERIFY(log().contains("Suspend False"));
        QVERIFY(!log().contains("True"));
    }

private:
    QByteArray log() const
    {
        QFile f(m_dir.path() + QStringLiteral("/calls.log"));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    void startMock()
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"), m_address);
        m_mock.setProcessEnvironment(env);
        m_mock.setProgram(QStringLiteral("/usr/bin/python3"));
        m_mock.setArguments({QStringLiteral("-m"), QStringLiteral("dbusmock"), QStringLiteral("--system"),
                             QStringLiteral("--template"), QStringLiteral("logind"), QStringLiteral("-l"),
                             m_dir.path() + QStringLiteral("/calls.log")});
        m_mock.start();
        QVERIFY(m_mock.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(
            m_connection.interface()->isServiceRegistered(QStringLiteral("org.freedesktop.login1")).value(), 15000);
    }
    void stopMock()
    {
        if (m_mock.state() != QProcess::NotRunning) {
            m_mock.terminate();
            m_mock.waitForFinished();
        }
    }

    QTemporaryDir m_dir;
    QString m_address;
    QProcess m_bus;
    QProcess m_mock;
    QDBusConnection m_connection{QString()};
};

QTEST_GUILESS_MAIN(TestLogindPower)
#include "tst_LogindPower.moc"
