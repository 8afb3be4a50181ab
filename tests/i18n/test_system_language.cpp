// The system language code and name from POSIX locale names, and the Windows-1251 conversion of the files.
#include "platform/SystemLanguage.h"
#include "platform/TextCodec.h"

#include <QtTest>

class TestSystemLanguage : public QObject
{
    Q_OBJECT

private slots:
    void code_data();
    void code();
    void environment();
    void windows1251RoundTrip();
    void utf8OrWindows1251();
};

void TestSystemLanguage::code_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("name");
    struct Row
    {
        const char *tag, *locale, *code, *name;
    };
    const Row rows[] = {
        {"ru", "ru_RU.UTF-8", "RUS", "Russian"},
        {"ru bare", "ru", "RUS", "Russian"},
        {"en_US", "en_US.UTF-8", "ENU", "English"},
        {"en_GB", "en_GB.ISO-8859-1", "ENG", "English"},
        {"de", "de_DE@euro", "DEU", "German"},
        {"de_AT", "de_AT.UTF-8", "DEA", "German"},
        {"fr", "fr_FR.UTF-8", "FRA", "French"},
        {"uk", "uk_UA.UTF-8", "UKR", "Ukrainian"},
        {"bg", "bg_BG.UTF-8", "BGR", "Bulgarian"},
        {"it", "it_IT.UTF-8", "ITA", "Italian"},
        {"pt_BR", "pt_BR.UTF-8", "PTB", "Portuguese"},
        {"not in the table", "eo_XX.UTF-8", "EOX", "Esperanto"},
        {"C", "C", "", ""},
        {"C.UTF-8", "C.UTF-8", "", ""},
        {"POSIX", "POSIX", "", ""},
        {"empty", "", "", ""},
    };
    for (const Row &r : rows) {
        QTest::newRow(r.tag) << QString::fromLatin1(r.locale) << QString::fromLatin1(r.code)
                             << QString::fromLatin1(r.name);
    }
}

void TestSystemLanguage::code()
{
    QFETCH(QString, locale);
    QFETCH(QString, code);
    QFETCH(QString, name);
    QCOMPARE(SystemLanguage::threeLetterCode(locale), code);
    QCOMPARE(SystemLanguage::englishName(locale), name);
}

void TestSystemLanguage::environment()
{
    const QByteArray savedAll = qgetenv("LC_ALL");
    const QByteArray savedMessages = qgetenv("LC_MESSAGES");
    const QByteArray savedLang = qgetenv("LANG");
    // LC_ALL wins over LC_MESSAGES, which wins over LANG; an empty variable counts as unset.
    qputenv("LANG", "ru_RU.UTF-8");
    qputenv("LC_MESSAGES", "");
    qputenv("LC_ALL", "en_GB.UTF-8");
    QCOMPARE(SystemLanguage::threeLetterCode(), QStringLiteral("ENG"));
    qunsetenv("LC_ALL");
    QCOMPARE(SystemLanguage::threeLetterCode(), QStringLiteral("RUS"));
    QCOMPARE(SystemLanguage::englishName(), QStringLiteral("Russian"));
    qputenv("LC_MESSAGES", "de_DE.UTF-8");
    QCOMPARE(SystemLanguage::threeLetterCode(), QStringLiteral("DEU"));
    qputenv("LC_ALL", savedAll);
    qputenv("LC_MESSAGES", savedMessages);
    qputenv("LANG", savedLang);
}

void TestSystemLanguage::windows1251RoundTrip()
{
    const QString text = QStringLiteral("Доброе утро! Ёжик, №5, «Київ» ґ");
    const QByteArray bytes = TextCodec::toWindows1251(text);
    QCOMPARE(bytes.size(), text.size()); // one byte per character
    QCOMPARE(static_cast<unsigned char>(bytes.at(0)), 0xC4u);
    QCOMPARE(TextCodec::fromWindows1251(bytes), text);
    QCOMPARE(TextCodec::toWindows1251(QStringLiteral("a€漢😀b")), QByteArray("a\x88??b"));
    QCOMPARE(TextCodec::fromWindows1251(QByteArray("a\x98z")), QStringLiteral("a\uFFFDz")); // 0x98 is unassigned
}

void TestSystemLanguage::utf8OrWindows1251()
{
    const QString text = QStringLiteral("[Form1]\nmN1=Выход\n");
    QCOMPARE(TextCodec::decodeFile(text.toUtf8()), text);
    QCOMPARE(TextCodec::decodeFile("\xEF\xBB\xBF" + text.toUtf8()), text);
    QCOMPARE(TextCodec::decodeFile(TextCodec::toWindows1251(text)), text);
    QVERIFY(TextCodec::isValidUtf8("plain ascii"));
    QVERIFY(!TextCodec::isValidUtf8("\xC2"));
}

QTEST_GUILESS_MAIN(TestSystemLanguage)
#include "test_system_language.moc"
