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
    QTest::newRow("ru") << "ru_RU.UTF-8" << "RUS" << "Russian";
    QTest::newRow("ru bare") << "ru" << "RUS" << "Russian";
    QTest::newRow("en_US") << "en_US.UTF-8" << "ENU" << "English";
    QTest::newRow("en_GB") << "en_GB.ISO-8859-1" << "ENG" << "English";
    QTest::newRow("de") << "de_DE@euro" << "DEU" << "German";
    QTest::newRow("de_AT") << "de_AT.UTF-8" << "DEA" << "German";
    QTest::newRow("fr") << "fr_FR.UTF-8" << "FRA" << "French";
    QTest::newRow("uk") << "uk_UA.UTF-8" << "UKR" << "Ukrainian";
    QTest::newRow("bg") << "bg_BG.UTF-8" << "BGR" << "Bulgarian";
    QTest::newRow("it") << "it_IT.UTF-8" << "ITA" << "Italian";
    QTest::newRow("pt_BR") << "pt_BR.UTF-8" << "PTB" << "Portuguese";
    QTest::newRow("not in the table") << "eo_XX.UTF-8" << "EOX" << "Esperanto";
    QTest::newRow("C") << "C" << "" << "";
    QTest::newRow("C.UTF-8") << "C.UTF-8" << "" << "";
    QTest::newRow("POSIX") << "POSIX" << "" << "";
    QTest::newRow("empty") << "" << "" << "";
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
    // The tests run under LANG=LC_ALL=ru_RU.UTF-8; LC_ALL wins over LANG.
    QCOMPARE(SystemLanguage::threeLetterCode(), QStringLiteral("RUS"));
    QCOMPARE(SystemLanguage::englishName(), QStringLiteral("Russian"));
    const QByteArray saved = qgetenv("LC_ALL");
    qputenv("LC_ALL", "en_GB.UTF-8");
    QCOMPARE(SystemLanguage::threeLetterCode(), QStringLiteral("ENG"));
    qunsetenv("LC_ALL");
    QCOMPARE(SystemLanguage::localeName(), QString::fromLocal8Bit(qgetenv("LC_MESSAGES").isEmpty()
                                                                      ? qgetenv("LANG")
                                                                      : qgetenv("LC_MESSAGES")));
    qputenv("LC_ALL", saved);
}

void TestSystemLanguage::windows1251RoundTrip()
{
    const QString text = QStringLiteral("Доброе утро! Ёжик, №5, «Київ» ґ");
    const QByteArray bytes = TextCodec::toWindows1251(text);
    QCOMPARE(bytes.size(), text.size()); // one byte per character
    QCOMPARE(static_cast<unsigned char>(bytes.at(0)), 0xC4u);
    QCOMPARE(TextCodec::fromWindows1251(bytes), text);
    QCOMPARE(TextCodec::toWindows1251(QStringLiteral("a€漢b")), QByteArray("a\x88?b"));
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
