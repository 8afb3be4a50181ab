// The autostart entry (written, removed, valid for the desktop, its failure) and the web-link items.
#include "app/Autostart.h"
#include "app/PopupMenuWidget.h"
#include "app/WebLinks.h"
#include "platform/Failure.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

class TestShellCommands : public QObject
{
    Q_OBJECT

    QString readEntry(const Autostart &a)
    {
        QFile f(a.entryPath());
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }

private slots:
    void checkingWritesTheEntryAndUncheckingRemovesIt()
    {
        QTemporaryDir config;
        const Autostart a(QStringLiteral("/opt/Veltrane/"), config.path());
        QCOMPARE(a.entryPath(), config.path() + "/autostart/Veltrane.desktop");
        // Twice on, then off: no entry is left, and a second off is no error.
        a.apply(true);
        a.apply(true);
        const QString text = readEntry(a);
        QVERIFY2(text.startsWith("[Desktop Entry]\n"), qPrintable(text));
        QVERIFY2(text.contains("\nExec=\"/opt/Veltrane/Veltrane\"\n"), qPrintable(text));
        QVERIFY(text.contains("\nType=Application\n"));
        a.apply(false);
        QVERIFY(!QFile::exists(a.entryPath()));
        a.apply(false);
    }

    void theConfigFolderFollowsTheEnvironment_data()
    {
        QTest::addColumn<QByteArray>("xdg");
        QTest::addColumn<QString>("expected");
        QTest::newRow("set") << QByteArray("/tmp/cfg/") << QStringLiteral("/tmp/cfg");
        QTest::newRow("unset") << QByteArray() << QDir::homePath() + "/.config";
        QTest::newRow("relative is ignored") << QByteArray("cfg") << QDir::homePath() + "/.config";
    }
    void theConfigFolderFollowsTheEnvironment()
    {
        QFETCH(QByteArray, xdg);
        QFETCH(QString, expected);
        const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
        if (xdg.isNull())
            qunsetenv("XDG_CONFIG_HOME");
        else
            qputenv("XDG_CONFIG_HOME", xdg);
        const QString found = Autostart::configHomeFromEnvironment();
        qputenv("XDG_CONFIG_HOME", saved);
        QCOMPARE(found, expected);
    }

    void theProgramPathIsQuotedForTheDesktop_data()
    {
        QTest::addColumn<QString>("appDir");
        QTest::addColumn<QString>("exec");
        QTest::newRow("plain") << "/opt/v/"
                               << R"("/opt/v/Veltrane")";
        QTest::newRow("spaces") << "/home/a b/My Apps/"
                                << R"("/home/a b/My Apps/Veltrane")";
        QTest::newRow("double quote") << "/x/\"q\"/"
                                      << R"("/x/\\"q\\"/Veltrane")";
        QTest::newRow("dollar and backtick") << "/x/$H`/"
                                             << R"("/x/\\$H\\`/Veltrane")";
        QTest::newRow("backslash") << "/x\\y/"
                                   << R"("/x\\\\y/Veltrane")";
        QTest::newRow("percent") << "/x/100%/"
                                 << R"("/x/100%%/Veltrane")";
        QTest::newRow("cyrillic") << "/home/трейдер/"
                                  << R"("/home/трейдер/Veltrane")";
    }
    void theProgramPathIsQuotedForTheDesktop()
    {
        QFETCH(QString, appDir);
        QFETCH(QString, exec);
        QCOMPARE(Autostart::execValue(appDir + "Veltrane"), exec);

        // The desktop's own checker accepts the entry as written.
        const QString validator = QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
        QVERIFY2(!validator.isEmpty(), "desktop-file-validate (desktop-file-utils) is not installed");
        QTemporaryDir config;
        const Autostart a(appDir, config.path());
        a.apply(true);
        QProcess check;
        check.start(validator, {a.entryPath()});
        QVERIFY(check.waitForFinished(30000));
        const QByteArray said = check.readAllStandardOutput() + check.readAllStandardError();
        QVERIFY2(check.exitCode() == 0 && said.isEmpty(), said.constData());
    }

    void anEntryThatCannotBeWrittenIsReportedAndTheOldOneKept()
    {
        QTemporaryDir config;
        // The autostart folder cannot be made: a file has its name.
        QFile blocker(config.filePath("autostart"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        const Autostart blocked(QStringLiteral("/opt/v/"), config.path());
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("autostart"));
        try {
            blocked.apply(true);
            QFAIL("a write that cannot happen must not pass for done");
        } catch (const Failure &f) {
            QCOMPARE(f.text(), QStringLiteral("Failed to set data for 'Veltrane'"));
        }

        // An entry written before stays whole when the new one cannot replace it.
        QTemporaryDir config2;
        const Autostart a(QStringLiteral("/opt/v/"), config2.path());
        a.apply(true);
        const QString before = readEntry(a);
        const Autostart bad(QStringLiteral("/opt/new\nline/"), config2.path());
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("cannot be named"));
        QVERIFY_THROWS_EXCEPTION(Failure, bad.apply(true));
        QCOMPARE(readEntry(a), before);
    }

    void everyLinkItemOpensAWebAddress()
    {
        PopupMenuWidget menu;
        const QString site = QStringLiteral("http://127.0.0.1:8080");
        const QStringList names = WebLinks::itemNames();
        QCOMPARE(names.size(), 23);
        for (const QString &name : names) {
            QVERIFY2(menu.item(name), qPrintable(name + " is not an item of the menu"));
            const QUrl url = WebLinks::address(name, site);
            QVERIFY2(url.isValid() && (url.scheme() == "https" || url.scheme() == "http") && !url.host().isEmpty(),
                     qPrintable(name));
        }
        for (const char *siteItem : {"Veltraneru1", "Veltranenet1", "veltraneru2"})
            QCOMPARE(WebLinks::address(QLatin1String(siteItem), site), QUrl(site + "/"));
        QVERIFY(WebLinks::address(QStringLiteral("N25"), site).isEmpty());
    }
};

QTEST_MAIN(TestShellCommands)
#include "test_shell_commands.moc"
