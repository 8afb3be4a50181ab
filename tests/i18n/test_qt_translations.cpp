// Qt's own texts follow the interface language, and a later language replaces the earlier one.
#include "i18n/QtTranslations.h"

#include <QCoreApplication>
#include <QTest>

namespace {

QString undo()
{
    return QCoreApplication::translate("QLineEdit", "&Undo");
}

} // namespace

class TestQtTranslations : public QObject
{
    Q_OBJECT

private slots:
    void languageOfCodes_data()
    {
        QTest::addColumn<QByteArray>("locale");
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("language");
        QTest::newRow("menu language") << QByteArray("ru_RU.UTF-8") << "RUS"
                                       << "ru";
        QTest::newRow("menu language, not the system's") << QByteArray("ru_RU.UTF-8") << "ITA"
                                                         << "it";
        QTest::newRow("the system's own code") << QByteArray("pt_BR.UTF-8") << "PTB"
                                               << "pt";
        QTest::newRow("another system's code") << QByteArray("ru_RU.UTF-8") << "PTB"
                                               << "";
        QTest::newRow("no code") << QByteArray("C") << ""
                                 << "";
    }

    void languageOfCodes()
    {
        QFETCH(QByteArray, locale);
        QFETCH(QString, code);
        QFETCH(QString, language);
        const QByteArray before = qgetenv("LC_ALL");
        qputenv("LC_ALL", locale);
        const QString got = QtTranslations::languageOf(code);
        qputenv("LC_ALL", before);
        QCOMPARE(got, language);
    }

    void installedTranslationFollowsTheLanguage()
    {
        QCOMPARE(undo(), QStringLiteral("&Undo"));
        QVERIFY2(QtTranslations::install(QStringLiteral("RUS")),
                 "Qt's Russian translation is missing (scripts/packages.txt: qt6-translations-l10n)");
        const QString russian = undo();
        QVERIFY2(russian != QStringLiteral("&Undo"), qPrintable(russian));
        // Another language replaces it; one without a translation leaves Qt's English.
        QVERIFY(QtTranslations::install(QStringLiteral("DEU")));
        QVERIFY(undo() != russian);
        QVERIFY(undo() != QStringLiteral("&Undo"));
        QVERIFY(!QtTranslations::install(QStringLiteral("XYZ")));
        QCOMPARE(undo(), QStringLiteral("&Undo"));
    }
};

QTEST_GUILESS_MAIN(TestQtTranslations)
#include "test_qt_translations.moc"
