// The [Form] settings: defaults, reading rules per key, the write order, and what a save leaves alone.
#include "app/ProgramValues.h"
#include "app/Settings.h"
#include "files/IniFile.h"
#include "platform/Failure.h"
#include "platform/TextCodec.h"

#include "FakeServices.h"
#include "TempAppDir.h"

#include <QtTest>

namespace {

QVariant field(const Settings &s, const QString &name)
{
    const QVariantMap byKey{{"Left", s.left},
                            {"Top", s.top},
                            {"N7", s.n7},
                            {"N36", s.n36},
                            {"N5", s.n5},
                            {"N8", s.n8},
                            {"N9", s.n9},
                            {"language", s.language},
                            {"dayTudey", s.lastGreetingDate},
                            {"DirBackup", s.backupDir},
                            {"EcomomMesaage", s.newsLeadMinutes}};
    return byKey.value(name);
}

const QStringList kWriteOrder
    = {"Left", "Top", "N5", "N7", "N8", "N9", "N36", "language", "dayTudey", "DirBackup", "EcomomMesaage"};

} // namespace

class TestSettings : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { qputenv("LC_ALL", "ru_RU.UTF-8"); } // the default language follows the locale
    void noFileGivesDefaults();
    void readsEachKey_data();
    void readsEachKey();
    void leadTimeMinusOneRoundTrip();
    void newFileHoldsKeysInWriteOrder();
    void saveLeavesForeignKeysAndSections();
    void refusedSaveRaisesFailureAndStops();
    void roundTripUnderLocales_data();
    void roundTripUnderLocales();
    void programValuesCarryOver();
};

void TestSettings::noFileGivesDefaults()
{
    TempAppDir dir;
    FakeClock clock;
    const IniFile file(dir.path(QStringLiteral("veltrane.ini")), &clock);
    Settings s;
    s.read(file);
    QCOMPARE(s.left, 200);
    QCOMPARE(s.top, 200);
    QCOMPARE(s.n7, false);
    QCOMPARE(s.n36, true);
    QCOMPARE(s.n5, true);
    QCOMPARE(s.n8, false);
    QCOMPARE(s.n9, true);
    QCOMPARE(s.language, QStringLiteral("RUS")); // the tests run under ru_RU.UTF-8
    QCOMPARE(s.lastGreetingDate, QDate(2012, 1, 1));
    QCOMPARE(s.backupDir, QString());
    QCOMPARE(s.newsLeadMinutes, 15);
    QVERIFY(!dir.exists(QStringLiteral("veltrane.ini"))); // reading creates nothing
}

void TestSettings::readsEachKey_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QVariant>("expected");

    QTest::newRow("N5 yes is the default") << QByteArray("N5=yes") << "N5" << QVariant(true);
    QTest::newRow("N5 2 is on") << QByteArray("N5=2") << "N5" << QVariant(true);
    QTest::newRow("N5 0x0 is off") << QByteArray("N5=0x0") << "N5" << QVariant(false);
    QTest::newRow("N8 on") << QByteArray("n8=1") << "N8" << QVariant(true);
    QTest::newRow("N36 off") << QByteArray("N36=0") << "N36" << QVariant(false);
    QTest::newRow("position off every screen") << QByteArray("Left=-30000") << "Left" << QVariant(-30000);
    QTest::newRow("Top hex") << QByteArray("Top=0x64") << "Top" << QVariant(100);
    QTest::newRow("Top garbage") << QByteArray("Top=abc") << "Top" << QVariant(200);
    QTest::newRow("odd lead time kept") << QByteArray("EcomomMesaage=7") << "EcomomMesaage" << QVariant(7);
    QTest::newRow("language ENU") << QByteArray("language=ENU") << "language" << QVariant(QStringLiteral("ENU"));
    QTest::newRow("language empty") << QByteArray("language=") << "language" << QVariant(QString());
    // The code names a file beside the program; anything but a plain name gives the system's code.
    QTest::newRow("language up two folders")
        << QByteArray("language=../../x") << "language" << QVariant(QStringLiteral("RUS"));
    QTest::newRow("language absolute") << QByteArray("language=/tmp/x") << "language"
                                       << QVariant(QStringLiteral("RUS"));
    QTest::newRow("language with a dot") << QByteArray("language=RUS.bak") << "language"
                                         << QVariant(QStringLiteral("RUS"));
    QTest::newRow("language non-ASCII letters")
        << QByteArray("language=РУС") << "language" << QVariant(QStringLiteral("RUS"));
    QTest::newRow("language over 32 characters")
        << QByteArray("language=ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456") << "language" << QVariant(QStringLiteral("RUS"));
    QTest::newRow("language digits kept") << QByteArray("language=x2") << "language" << QVariant(QStringLiteral("x2"));
    QTest::newRow("date") << QByteArray("dayTudey=15.03.2013") << "dayTudey" << QVariant(QDate(2013, 3, 15));
    QTest::newRow("date with time") << QByteArray("dayTudey=15.03.2013 8:00:00") << "dayTudey"
                                    << QVariant(QDate(2013, 3, 15));
    QTest::newRow("date of another format")
        << QByteArray("dayTudey=3/15/2013") << "dayTudey" << QVariant(QDate(2012, 1, 1));
    QTest::newRow("date garbage") << QByteArray("dayTudey=never") << "dayTudey" << QVariant(QDate(2012, 1, 1));
    QTest::newRow("backup folder trimmed")
        << QByteArray("DirBackup=  /srv/Архив  ") << "DirBackup" << QVariant(QStringLiteral("/srv/Архив"));
    QTest::newRow("backup folder from Windows") << TextCodec::toWindows1251(QStringLiteral("DirBackup=D:\\Архив"))
                                                << "DirBackup" << QVariant(QStringLiteral("D:\\Архив"));
}

void TestSettings::readsEachKey()
{
    QFETCH(QByteArray, line);
    QFETCH(QString, name);
    QFETCH(QVariant, expected);
    TempAppDir dir;
    QVERIFY(dir.write(QStringLiteral("veltrane.ini"), "[Form]\n" + line + "\n"));
    FakeClock clock;
    Settings s;
    s.read(IniFile(dir.path(QStringLiteral("veltrane.ini")), &clock));
    QCOMPARE(field(s, name), expected);
    // Every other key keeps its default.
    const Settings defaults;
    for (const QString &other : kWriteOrder) {
        if (other != name)
            QCOMPARE(field(s, other), field(defaults, other));
    }
}

void TestSettings::leadTimeMinusOneRoundTrip()
{
    TempAppDir dir;
    FakeClock clock;
    IniFile file(dir.path(QStringLiteral("veltrane.ini")), &clock);
    Settings s;
    s.newsLeadMinutes = -1;
    s.write(file);
    QVERIFY(dir.read(QStringLiteral("veltrane.ini")).contains("\nEcomomMesaage=-1\n"));
    Settings back;
    back.read(file);
    QCOMPARE(back.newsLeadMinutes, -1);
}

void TestSettings::newFileHoldsKeysInWriteOrder()
{
    TempAppDir dir;
    FakeClock clock;
    IniFile file(dir.path(QStringLiteral("veltrane.ini")), &clock);
    Settings s;
    s.left = 10;
    s.top = 20;
    s.n5 = false;
    s.n7 = true;
    s.n8 = true;
    s.n9 = false;
    s.n36 = false;
    s.language = QStringLiteral("ENG");
    s.lastGreetingDate = QDate(2026, 3, 5);
    s.backupDir = QStringLiteral("/home/u/Архив");
    s.newsLeadMinutes = 60;
    s.write(file);
    QCOMPARE(dir.read(QStringLiteral("veltrane.ini")),
             QStringLiteral("[Form]\nLeft=10\nTop=20\nN5=0\nN7=1\nN8=1\nN9=0\nN36=0\nlanguage=ENG\n"
                            "dayTudey=05.03.2026\nDirBackup=/home/u/Архив\nEcomomMesaage=60\n")
                 .toUtf8());
    Settings back;
    back.read(file);
    for (const QString &name : kWriteOrder)
        QCOMPARE(field(back, name), field(s, name));
}

void TestSettings::saveLeavesForeignKeysAndSections()
{
    TempAppDir dir;
    const QByteArray services = "[Services]\nSiteUrl=http://127.0.0.1:9999\nSmtpPassword=secret\n";
    QVERIFY(dir.write(QStringLiteral("veltrane.ini"), "[Form]\nTop=5\nMyOwnKey=stays\n\n" + services));
    FakeClock clock;
    IniFile file(dir.path(QStringLiteral("veltrane.ini")), &clock);
    Settings s;
    s.read(file);
    s.write(file);
    const QByteArray after = dir.read(QStringLiteral("veltrane.ini"));
    QVERIFY2(after.endsWith("\n\n" + services), after.constData());
    QCOMPARE(file.keys(QStringLiteral("Form")), (QStringList{"Top", "MyOwnKey", "Left", "N5", "N7", "N8", "N9", "N36",
                                                             "language", "dayTudey", "DirBackup", "EcomomMesaage"}));
    QCOMPARE(file.readInteger(QStringLiteral("Form"), QStringLiteral("Top"), 0), 5);
}

void TestSettings::refusedSaveRaisesFailureAndStops()
{
    TempAppDir dir;
    QVERIFY(dir.write(QStringLiteral("notafolder"), "x"));
    const QString path = dir.path(QStringLiteral("notafolder/veltrane.ini"));
    FakeClock clock;
    IniFile file(path, &clock);
    QVERIFY_THROWS_EXCEPTION(Failure, Settings().write(file));
    try {
        Settings().write(file);
    } catch (const Failure &f) {
        QCOMPARE(f.text(), QStringLiteral("Unable to write to ") + path);
    }
}

void TestSettings::roundTripUnderLocales_data()
{
    QTest::addColumn<QString>("dateFormat");
    QTest::addColumn<QString>("timeFormat");
    QTest::newRow("ru_RU") << "dd.MM.yyyy"
                           << "H:mm:ss";
    QTest::newRow("en_US") << "M/d/yy"
                           << "h:mm:ss AP";
}

void TestSettings::roundTripUnderLocales()
{
    QFETCH(QString, dateFormat);
    QFETCH(QString, timeFormat);
    TempAppDir dir;
    FakeClock clock;
    clock.setFormats(dateFormat, timeFormat);
    IniFile file(dir.path(QStringLiteral("veltrane.ini")), &clock);
    Settings s;
    s.lastGreetingDate = QDate(2026, 3, 5);
    s.write(file);
    Settings back;
    back.read(file);
    QCOMPARE(back.lastGreetingDate, QDate(2026, 3, 5));

    // A file written under the other format does not parse here: the greeting date falls back.
    FakeClock other;
    other.setFormats(dateFormat.startsWith(QLatin1Char('d')) ? QStringLiteral("M/d/yy") : QStringLiteral("dd.MM.yyyy"),
                     timeFormat);
    Settings s2;
    s2.lastGreetingDate = QDate(2026, 3, 15);
    IniFile otherFile(dir.path(QStringLiteral("other.ini")), &other);
    s2.write(otherFile);
    Settings back2;
    back2.read(IniFile(dir.path(QStringLiteral("other.ini")), &clock));
    QCOMPARE(back2.lastGreetingDate, QDate(2012, 1, 1));
}

void TestSettings::programValuesCarryOver()
{
    Settings s;
    s.language = QStringLiteral("UKR");
    s.lastGreetingDate = QDate(2026, 1, 2);
    s.backupDir = QStringLiteral("/b");
    s.newsLeadMinutes = 3;
    ProgramValues values;
    s.applyTo(values);
    QCOMPARE(values.langCode, QStringLiteral("UKR"));
    QCOMPARE(values.lastGreetingDate, QDate(2026, 1, 2));
    QCOMPARE(values.backupDir, QStringLiteral("/b"));
    QCOMPARE(values.newsLeadMinutes, 3);
    values.newsLeadMinutes = -1;
    Settings back;
    back.takeFrom(values);
    QCOMPARE(back.newsLeadMinutes, -1);
    QCOMPARE(back.language, QStringLiteral("UKR"));
}

QTEST_GUILESS_MAIN(TestSettings)
#include "test_settings.moc"
