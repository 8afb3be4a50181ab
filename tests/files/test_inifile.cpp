// The settings-file engine: reading rules, write-through, key placement, escaping, atomic replace, dates.
#include "files/IniFile.h"
#include "platform/Failure.h"
#include "platform/TextCodec.h"

#include "FakeServices.h"
#include "TempAppDir.h"

#include <QLocale>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

const QString kForm = QStringLiteral("Form");

ino_t inode(const QString &path)
{
    struct stat st = {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_ino : 0;
}

} // namespace

class TestIniFile : public QObject
{
    Q_OBJECT

private slots:
    void readString_data();
    void readString();
    void readInteger_data();
    void readInteger();
    void readBool_data();
    void readBool();
    void longValueIsCut();

    void newFileListsKeysInWriteOrder();
    void writeThroughIsSeenByAnotherObject();
    void writeKeepsEveryOtherLine();
    void newKeyGoesToTheEndOfItsSection();
    void unchangedWriteLeavesTheFileAlone();
    void batchReplacesTheFileOnce();
    void windows1251FileIsReadAndRewrittenAsUtf8();

    void ordinaryValuesAreWrittenAsTheyAre_data();
    void ordinaryValuesAreWrittenAsTheyAre();
    void lineBreakValueReadsBackAsOneValue_data();
    void lineBreakValueReadsBackAsOneValue();

    void refusedWriteRaisesFailure();
    void failedWriteLeavesOldFileWhole();

    void parseDate_data();
    void parseDate();
    void dateRoundTrip_data();
    void dateRoundTrip();
};

void TestIniFile::readString_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected");

    const QString def = QStringLiteral("<default>");
    QTest::newRow("no file") << QByteArray() << "DirBackup" << def;
    QTest::newRow("plain") << QByteArray("[Form]\nDirBackup=/home/u/backup\n") << "DirBackup"
                           << "/home/u/backup";
    QTest::newRow("key case") << QByteArray("[Form]\ndirbackup=x\n") << "DirBackup"
                              << "x";
    QTest::newRow("section case") << QByteArray("[FORM]\nDirBackup=x\n") << "DirBackup"
                                  << "x";
    QTest::newRow("blanks trimmed") << QByteArray("[Form]\n  DirBackup =   a b  \t\n") << "DirBackup"
                                    << "a b";
    QTest::newRow("empty is empty") << QByteArray("[Form]\nDirBackup=\n") << "DirBackup"
                                    << "";
    QTest::newRow("other section") << QByteArray("[Other]\nDirBackup=x\n[Form]\nLeft=1\n") << "DirBackup" << def;
    QTest::newRow("before any section") << QByteArray("DirBackup=x\n[Form]\n") << "DirBackup" << def;
    QTest::newRow("comment") << QByteArray("[Form]\n;DirBackup=x\n") << "DirBackup" << def;
    QTest::newRow("key twice: the first") << QByteArray("[Form]\nDirBackup=a\nDIRBACKUP=b\n") << "DirBackup"
                                          << "a";
    QTest::newRow("section twice: the first")
        << QByteArray("[Form]\nLeft=1\n[Other]\n[form]\nDirBackup=x\n") << "DirBackup" << def;
    QTest::newRow("crlf") << QByteArray("[Form]\r\nDirBackup=x\r\nLeft=1\r\n") << "DirBackup"
                          << "x";
    QTest::newRow("no final newline") << QByteArray("[Form]\nDirBackup=x") << "DirBackup"
                                      << "x";
    QTest::newRow("equals in value") << QByteArray("[Form]\nDirBackup=a=b\n") << "DirBackup"
                                     << "a=b";
    QTest::newRow("utf-8") << QByteArray("[Form]\nDirBackup=/home/u/Архив\n") << "DirBackup"
                           << "/home/u/Архив";
    QTest::newRow("utf-8 bom") << QByteArray("\xEF\xBB\xBF[Form]\nDirBackup=x\n") << "DirBackup"
                               << "x";
    QTest::newRow("windows-1251") << QByteArray("[Form]\nDirBackup=C:\\\xC0\xF0\xF5\xE8\xE2\n") << "DirBackup"
                                  << "C:\\Архив";
    QTest::newRow("hand-quoted") << QByteArray("[Form]\nDirBackup=\"x y\"\n") << "DirBackup"
                                 << "x y";
    QTest::newRow("quotes not ours") << QByteArray("[Form]\nDirBackup=\"C:\\dir\"\n") << "DirBackup"
                                     << "\"C:\\dir\"";
}

void TestIniFile::readString()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, key);
    QFETCH(QString, expected);
    TempAppDir dir;
    if (!content.isEmpty())
        QVERIFY(dir.write(QStringLiteral("veltrane.ini"), content));
    const IniFile file(dir.path(QStringLiteral("veltrane.ini")));
    QCOMPARE(file.readString(kForm, key, QStringLiteral("<default>")), expected);
    // A batch read from one reading of the file gives each key what a read of its own gives, in order.
    const QList<QPair<QString, QString>> batch = {{QStringLiteral("Missing"), QStringLiteral("m")},
                                                  {key, QStringLiteral("<default>")},
                                                  {key.toUpper(), QStringLiteral("<default>")}};
    QCOMPARE(file.readStrings(kForm, batch), QStringList({QStringLiteral("m"), expected, expected}));
}

void TestIniFile::readInteger_data()
{
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<int>("expected");

    // The default is 15 throughout.
    QTest::newRow("decimal") << QByteArray("30") << 30;
    QTest::newRow("minus") << QByteArray("-1") << -1;
    QTest::newRow("blanks") << QByteArray("  60 ") << 60;
    QTest::newRow("hex") << QByteArray("0x1F") << 31;
    QTest::newRow("hex upper X") << QByteArray("0X10") << 16;
    QTest::newRow("hex all bits") << QByteArray("0xFFFFFFFF") << -1;
    QTest::newRow("bare 0x") << QByteArray("0x") << 15;
    QTest::newRow("hex too long") << QByteArray("0x1FFFFFFFF") << 15;
    QTest::newRow("hex garbage") << QByteArray("0xZZ") << 15;
    QTest::newRow("hex twice") << QByteArray("0x0x5") << 15;
    QTest::newRow("word") << QByteArray("yes") << 15;
    QTest::newRow("trailing letters") << QByteArray("12abc") << 15;
    QTest::newRow("group separator") << QByteArray("1,000") << 15;
    QTest::newRow("beyond 32 bits") << QByteArray("99999999999") << 15;
    QTest::newRow("empty") << QByteArray("") << 15;
}

void TestIniFile::readInteger()
{
    QFETCH(QByteArray, value);
    QFETCH(int, expected);
    TempAppDir dir;
    QVERIFY(dir.write(QStringLiteral("veltrane.ini"), "[Form]\nEcomomMesaage=" + value + "\n"));
    const IniFile file(dir.path(QStringLiteral("veltrane.ini")));
    QCOMPARE(file.readInteger(kForm, QStringLiteral("EcomomMesaage"), 15), expected);
}

void TestIniFile::readBool_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<bool>("defaultValue");
    QTest::addColumn<bool>("expected");

    QTest::newRow("missing, default on") << QByteArray() << true << true;
    QTest::newRow("missing, default off") << QByteArray() << false << false;
    QTest::newRow("1") << QByteArray("N5=1") << false << true;
    QTest::newRow("0") << QByteArray("N5=0") << true << false;
    QTest::newRow("2 is on") << QByteArray("N5=2") << false << true;
    QTest::newRow("-1 is on") << QByteArray("N5=-1") << false << true;
    QTest::newRow("0x0 is off") << QByteArray("N5=0x0") << true << false;
    QTest::newRow("yes keeps default on") << QByteArray("N5=yes") << true << true;
    QTest::newRow("yes keeps default off") << QByteArray("N5=yes") << false << false;
    QTest::newRow("empty keeps default") << QByteArray("N5=") << true << true;
}

void TestIniFile::readBool()
{
    QFETCH(QByteArray, line);
    QFETCH(bool, defaultValue);
    QFETCH(bool, expected);
    TempAppDir dir;
    QVERIFY(dir.write(QStringLiteral("veltrane.ini"), "[Form]\n" + line + "\n"));
    const IniFile file(dir.path(QStringLiteral("veltrane.ini")));
    QCOMPARE(file.readBool(kForm, QStringLiteral("N5"), defaultValue), expected);
}

void TestIniFile::longValueIsCut()
{
    TempAppDir dir;
    IniFile file(dir.path(QStringLiteral("veltrane.ini")));
    const QString value = QString(3000, QLatin1Char('a'));
    file.writeString(kForm, QStringLiteral("DirBackup"), value);
    QCOMPARE(file.readString(kForm, QStringLiteral("DirBackup"), {}), value.left(2047));
}

void TestIniFile::newFileListsKeysInWriteOrder()
{
    TempAppDir dir;
    IniFile file(dir.path(QStringLiteral("veltrane.ini")));
    file.writeInteger(kForm, QStringLiteral("Left"), 10);
    file.writeInteger(kForm, QStringLiteral("Top"), -20);
    file.writeBool(kForm, QStringLiteral("N5"), true);
    file.writeString(kForm, QStringLiteral("DirBackup"), QString());
    QCOMPARE(dir.read(QStringLiteral("veltrane.ini")), QByteArray("[Form]\nLeft=10\nTop=-20\nN5=1\nDirBackup=\n"));
}

void TestIniFile::writeThroughIsSeenByAnotherObject()
{
    TempAppDir dir;
    IniFile writer(dir.path(QStringLiteral("veltrane.ini")));
    const IniFile reader(dir.path(QStringLiteral("veltrane.ini")));
    writer.writeInteger(kForm, QStringLiteral("Left"), 1);
    QCOMPARE(reader.readInteger(kForm, QStringLiteral("Left"), 200), 1);
    writer.writeInteger(kForm, QStringLiteral("left"), 2); // same key, other case
    QCOMPARE(reader.readInteger(kForm, QStringLiteral("LEFT"), 200), 2);
    QCOMPARE(reader.keys(kForm), QStringList{QStringLiteral("Left")});
}

void TestIniFile::writeKeepsEveryOtherLine()
{
    TempAppDir dir;
    const QByteArray before = "; written by hand\r\n"
                              "[Form]\r\n"
                              "LEFT = 5\r\n"
                              "Custom=keep me  \r\n"
                              "\r\n"
                              "[Services]\r\n"
                              "SiteUrl=http://127.0.0.1:9000\r\n"
                              "SmtpPort=2526\r\n";
    QVERIFY(dir.write(QStringLiteral("veltrane.ini"), before));
    IniFile file(dir.path(QStringLiteral("veltrane.ini")));
    file.writeInteger(kForm, QStringLiteral("Left"), 300);
    QByteArray expected = before;
    expected.replace("LEFT = 5", "LEFT=300"); // the key keeps its spelling; the line ending stays CRLF
    QCOMPARE(dir.read(QStringLiteral("veltrane.ini")), expected);
}

void TestIniFile::newKeyGoesToTheEndOfItsSection()
{
    TempAppDir dir;
    QVERIFY(dir.write(QStringLiteral("veltrane.ini"), "[Form]\nLeft=1\n\n[Services]\nMailTo=a@localhost\n"));
    IniFile file(dir.path(QStringLiteral("veltrane.ini")));
    file.writeInteger(kForm, QStringLiteral("Top"), 2);
    file.writeString(QStringLiteral("Form1"), QStringLiteral("mN1"), QStringLiteral("Quit"));
    QCOMPARE(dir.read(QStringLiteral("veltrane.ini")),
             QByteArray("[Form]\nLeft=1\nTop=2\n\n[Services]\nMailTo=a@localhost\n\n[Form1]\nmN1=Quit\n"));
}

void TestIniFile::unchangedWriteLeavesTheFileAlone()
{
    TempAppDir dir;
    const QString path = dir.path(QStringLiteral("veltrane.ini"));
    IniFile file(path);
    file.writeInteger(kForm, QStringLiteral("Left"), 1);
    const ino_t first = inode(path);
    file.writeInteger(kForm, QStringLiteral("Left"), 1);
    QCOMPARE(inode(path), first);
    file.writeInteger(kForm, QStringLiteral("Left"), 2);
    QVERIFY(inode(path) != first); // a real change replaces the file
}

void TestIniFile::batchReplacesTheFileOnce()
{
    TempAppDir dir;
    const QString path = dir.path(QStringLiteral("RUS.ini"));
    QVERIFY(dir.write(QStringLiteral("RUS.ini"), "[Form1]\nmN2=Minimize\n[AboutBox]\nCaption=About\n"));
    IniFile file(path);
    const QList<QPair<QString, QString>> values = {{QStringLiteral("mN1"), QStringLiteral("Quit")},
                                                   {QStringLiteral("MN2"), QStringLiteral("Hide")},
                                                   {QStringLiteral("mN15"), QStringLiteral("About")}};
    file.writeStrings(QStringLiteral("Form1"), values);
    QCOMPARE(dir.read(QStringLiteral("RUS.ini")),
             QByteArray("[Form1]\nmN2=Hide\nmN1=Quit\nmN15=About\n[AboutBox]\nCaption=About\n"));
    const ino_t once = inode(path);
    file.writeStrings(QStringLiteral("Form1"), values);
    QCOMPARE(inode(path), once);

    IniFile refused(dir.path(QStringLiteral("RUS.ini/RUS.ini")));
    QVERIFY_THROWS_EXCEPTION(Failure, refused.writeStrings(QStringLiteral("Form1"), values));
}

void TestIniFile::windows1251FileIsReadAndRewrittenAsUtf8()
{
    TempAppDir dir;
    QVERIFY(dir.write(QStringLiteral("RUS.ini"), TextCodec::toWindows1251(QStringLiteral("[Form1]\nmN1=Выход\n"))));
    IniFile file(dir.path(QStringLiteral("RUS.ini")));
    QCOMPARE(file.readString(QStringLiteral("Form1"), QStringLiteral("mN1"), {}), QStringLiteral("Выход"));
    file.writeString(QStringLiteral("Form1"), QStringLiteral("mN2"), QStringLiteral("Свернуть"));
    QCOMPARE(dir.read(QStringLiteral("RUS.ini")), QStringLiteral("[Form1]\nmN1=Выход\nmN2=Свернуть\n").toUtf8());
}

void TestIniFile::ordinaryValuesAreWrittenAsTheyAre_data()
{
    QTest::addColumn<QString>("value");
    QTest::newRow("path") << QStringLiteral("C:\\new folder\\x");
    QTest::newRow("inner quotes") << QStringLiteral("say \"hi\" now");
    QTest::newRow("leading quote") << QStringLiteral("\"half");
    QTest::newRow("cyrillic") << QStringLiteral("Доброе утро!");
    QTest::newRow("equals and brackets") << QStringLiteral("[a]=b");
    QTest::newRow("empty") << QString();
}

void TestIniFile::ordinaryValuesAreWrittenAsTheyAre()
{
    QFETCH(QString, value);
    TempAppDir dir;
    IniFile file(dir.path(QStringLiteral("x.ini")));
    file.writeString(kForm, QStringLiteral("k"), value);
    QCOMPARE(dir.read(QStringLiteral("x.ini")), (QStringLiteral("[Form]\nk=") + value + QStringLiteral("\n")).toUtf8());
    QCOMPARE(file.readString(kForm, QStringLiteral("k"), QStringLiteral("<default>")), value);
}

void TestIniFile::lineBreakValueReadsBackAsOneValue_data()
{
    QTest::addColumn<QString>("value");
    QTest::newRow("key injection") << QStringLiteral("/tmp/a\nLeft=-5000\n[Services]\nSiteUrl=http://evil");
    QTest::newRow("crlf and backslashes") << QStringLiteral("a\\n\r\nb\\");
    QTest::newRow("quotes and breaks") << QStringLiteral("\"x\"\n\"y\"");
    QTest::newRow("looks quoted") << QStringLiteral("\"quoted\"");
    QTest::newRow("looks escaped") << QStringLiteral("\"a\\nb\"");
    QTest::newRow("lone break") << QStringLiteral("\n");
}

void TestIniFile::lineBreakValueReadsBackAsOneValue()
{
    QFETCH(QString, value);
    TempAppDir dir;
    IniFile file(dir.path(QStringLiteral("x.ini")));
    file.writeString(kForm, QStringLiteral("DirBackup"), value);
    file.writeInteger(kForm, QStringLiteral("Top"), 7);
    QCOMPARE(file.readString(kForm, QStringLiteral("DirBackup"), {}), value);
    QCOMPARE(file.keys(kForm), (QStringList{QStringLiteral("DirBackup"), QStringLiteral("Top")}));
    QCOMPARE(file.keys(QStringLiteral("Services")), QStringList());
    QCOMPARE(file.readInteger(kForm, QStringLiteral("Left"), 200), 200);
    QCOMPARE(dir.read(QStringLiteral("x.ini")).count('\n'), 3);
}

void TestIniFile::refusedWriteRaisesFailure()
{
    TempAppDir dir;
    QVERIFY(dir.write(QStringLiteral("plainfile"), "x"));
    // A folder that is really a file cannot take the settings, even for root.
    const QString path = dir.path(QStringLiteral("plainfile/veltrane.ini"));
    IniFile file(path);
    try {
        file.writeInteger(kForm, QStringLiteral("Left"), 1);
        QFAIL("no failure raised");
    } catch (const Failure &f) {
        QCOMPARE(f.text(), QStringLiteral("Unable to write to ") + path);
    }
}

void TestIniFile::failedWriteLeavesOldFileWhole()
{
    TempAppDir dir;
    const QString path = dir.path(QStringLiteral("veltrane.ini"));
    QByteArray before = "[Form]\n";
    for (int i = 0; i < 50; ++i)
        before += "Key" + QByteArray::number(i) + "=some value that takes room\n";
    QVERIFY(dir.write(QStringLiteral("veltrane.ini"), before));

    // Let no file grow past 100 bytes: the new content cannot be written in full, as on a full disk.
    rlimit saved = {};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 100;
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
    bool raised = false;
    try {
        IniFile(path).writeString(kForm, QStringLiteral("Key0"), QStringLiteral("changed"));
    } catch (const Failure &f) {
        raised = f.text() == QStringLiteral("Unable to write to ") + path;
    }
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    QVERIFY(raised);
    QCOMPARE(dir.read(QStringLiteral("veltrane.ini")), before);
    QCOMPARE(QDir(dir.appDir()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("veltrane.ini")});
}

void TestIniFile::parseDate_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("dateFormat");
    QTest::addColumn<QString>("timeFormat");
    QTest::addColumn<QDate>("expected");

    const QString ru = QStringLiteral("dd.MM.yyyy");
    const QString ruTime = QStringLiteral("H:mm:ss");
    const QString us = QStringLiteral("M/d/yy");
    const QString usTime = QStringLiteral("h:mm:ss AP");
    QTest::newRow("ru") << "15.03.2013" << ru << ruTime << QDate(2013, 3, 15);
    QTest::newRow("ru single digits") << "5.3.2013" << ru << ruTime << QDate(2013, 3, 5);
    QTest::newRow("ru with time") << "15.03.2013 14:30:05" << ru << ruTime << QDate(2013, 3, 15);
    QTest::newRow("ru with short time") << "15.03.2013 9:05" << ru << ruTime << QDate(2013, 3, 15);
    QTest::newRow("ru, bad time") << "15.03.2013 25:99" << ru << ruTime << QDate();
    QTest::newRow("ru, us text") << "3/15/26" << ru << ruTime << QDate();
    QTest::newRow("ru, iso text") << "2013-03-15" << ru << ruTime << QDate();
    QTest::newRow("ru, impossible day") << "31.02.2013" << ru << ruTime << QDate();
    QTest::newRow("us this century") << "3/15/26" << us << usTime << QDate(2026, 3, 15);
    QTest::newRow("us greeting default") << "1/1/12" << us << usTime << QDate(2012, 1, 1);
    QTest::newRow("us far ahead is last century") << "1/1/80" << us << usTime << QDate(1980, 1, 1);
    QTest::newRow("us four-digit year") << "3/15/2026" << us << usTime << QDate(2026, 3, 15);
    QTest::newRow("us with time") << "3/15/26 2:30:00 PM" << us << usTime << QDate(2026, 3, 15);
    QTest::newRow("us, ru text") << "15.03.2013" << us << usTime << QDate();
    QTest::newRow("empty") << "" << ru << ruTime << QDate();
    QTest::newRow("words") << "yesterday" << ru << ruTime << QDate();
}

void TestIniFile::parseDate()
{
    QFETCH(QString, text);
    QFETCH(QString, dateFormat);
    QFETCH(QString, timeFormat);
    QFETCH(QDate, expected);
    QCOMPARE(IniFile::parseDate(text, dateFormat, timeFormat, 2026), expected);
}

void TestIniFile::dateRoundTrip_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QDate>("date");
    for (const char *name : {"ru_RU", "en_US", "de_DE", "en_GB"}) {
        for (const QDate &d : {QDate(2026, 3, 15), QDate(2012, 1, 1), QDate(2000, 12, 31), QDate(2049, 7, 4)})
            QTest::addRow("%s %s", name, qPrintable(d.toString(Qt::ISODate))) << QString::fromLatin1(name) << d;
    }
}

void TestIniFile::dateRoundTrip()
{
    QFETCH(QString, locale);
    QFETCH(QDate, date);
    FakeClock clock;
    const QLocale l(locale);
    clock.setFormats(l.dateFormat(QLocale::ShortFormat),
                     l.timeFormat(QLocale::LongFormat).remove(QLatin1Char('t')).trimmed());
    TempAppDir dir;
    IniFile file(dir.path(QStringLiteral("veltrane.ini")), &clock);
    file.writeDate(kForm, QStringLiteral("dayTudey"), date);
    QCOMPARE(file.readString(kForm, QStringLiteral("dayTudey"), {}), date.toString(clock.shortDateFormat()));
    QCOMPARE(file.readDate(kForm, QStringLiteral("dayTudey"), QDate(1999, 9, 9)), date);
}

QTEST_GUILESS_MAIN(TestIniFile)
#include "test_inifile.moc"
