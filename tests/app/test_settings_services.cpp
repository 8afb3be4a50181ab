// The [Services] addresses: loopback defaults, what the file may change, and what it may not.
#include "app/ServiceAddresses.h"
#include "files/IniFile.h"

#include "TempAppDir.h"

#include <QHostAddress>
#include <QtTest>

class TestServiceAddresses : public QObject
{
    Q_OBJECT

private slots:
    void defaultsStayOnThisMachine();
    void fileOverrides();
    void badValuesKeepDefaults_data();
    void badValuesKeepDefaults();
};

void TestServiceAddresses::defaultsStayOnThisMachine()
{
    TempAppDir dir;
    ServiceAddresses a;
    a.read(IniFile(dir.path(QStringLiteral("veltrane.ini"))));
    for (const QUrl &url : {a.site(QStringLiteral("/attachments/update.html")), a.feed(),
                            a.speech(QStringLiteral("/translate_tts?ie=UTF-8&tl=ru&q=x"))}) {
        QVERIFY2(url.isValid(), qPrintable(url.toString()));
        QVERIFY2(QHostAddress(url.host()).isLoopback(), qPrintable(url.toString()));
    }
    QVERIFY(QHostAddress(a.smtpHost).isLoopback());
    QVERIFY(a.mailTo.endsWith(QLatin1String("@localhost")));
    QCOMPARE(a.site(QStringLiteral("/attachments/update.html")).toString(),
             QStringLiteral("http://127.0.0.1:8080/attachments/update.html"));
    QCOMPARE(a.feed().path(), QStringLiteral("/ffcal_week_this.xml"));
    QCOMPARE(a.smtpPort, 2525);
}

void TestServiceAddresses::fileOverrides()
{
    TempAppDir dir;
    QVERIFY(dir.write(QStringLiteral("veltrane.ini"),
                      "[Form]\nLeft=1\n[services]\n"
                      "siteurl=http://127.0.0.2:9000/\n"
                      "FeedUrl=http://127.0.0.3:9001/feed/week.xml\n"
                      "SpeechUrl=https://127.0.0.4:9002//\n"
                      "SmtpHost=127.0.0.5\nSmtpPort=0x24\nSmtpUser=me\nSmtpPassword= p w \nMailTo=boss@localhost\n"));
    ServiceAddresses a;
    a.read(IniFile(dir.path(QStringLiteral("veltrane.ini"))));
    QCOMPARE(a.site(QStringLiteral("/Veltrane/Google-234x60.php")).toString(),
             QStringLiteral("http://127.0.0.2:9000/Veltrane/Google-234x60.php"));
    QCOMPARE(a.feed().toString(), QStringLiteral("http://127.0.0.3:9001/feed/week.xml"));
    QCOMPARE(a.speech(QStringLiteral("/translate_tts?ie=UTF-8&tl=ru&q=%D0%B0")).toString(QUrl::FullyEncoded),
             QStringLiteral("https://127.0.0.4:9002/translate_tts?ie=UTF-8&tl=ru&q=%D0%B0"));
    QCOMPARE(a.smtpHost, QStringLiteral("127.0.0.5"));
    QCOMPARE(a.smtpPort, 36);
    QCOMPARE(a.smtpUser, QStringLiteral("me"));
    QCOMPARE(a.smtpPassword, QStringLiteral("p w"));
    QCOMPARE(a.mailTo, QStringLiteral("boss@localhost"));
}

void TestServiceAddresses::badValuesKeepDefaults_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::newRow("empty url") << QByteArray("SiteUrl=");
    QTest::newRow("no scheme") << QByteArray("SiteUrl=127.0.0.9:80");
    QTest::newRow("other scheme") << QByteArray("SiteUrl=ftp://127.0.0.9");
    QTest::newRow("port zero") << QByteArray("SmtpPort=0");
    QTest::newRow("port too big") << QByteArray("SmtpPort=70000");
    QTest::newRow("port text") << QByteArray("SmtpPort=smtp");
    QTest::newRow("empty host") << QByteArray("SmtpHost=");
}

void TestServiceAddresses::badValuesKeepDefaults()
{
    QFETCH(QByteArray, line);
    TempAppDir dir;
    QVERIFY(dir.write(QStringLiteral("veltrane.ini"), "[Services]\n" + line + "\n"));
    ServiceAddresses a;
    a.read(IniFile(dir.path(QStringLiteral("veltrane.ini"))));
    const ServiceAddresses defaults;
    QCOMPARE(a.siteUrl, defaults.siteUrl);
    QCOMPARE(a.smtpHost, defaults.smtpHost);
    QCOMPARE(a.smtpPort, defaults.smtpPort);
}

QTEST_GUILESS_MAIN(TestServiceAddresses)
#include "test_settings_services.moc"
