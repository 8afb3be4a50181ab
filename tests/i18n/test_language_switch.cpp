// The language switch: About texts into the old file, then the new language, a save, a restart, the end.
#include "files/IniFile.h"
#include "i18n/LanguageFiles.h"
#include "i18n/LanguageSwitch.h"
#include "i18n/LanguageTexts.h"

#include "FakeServices.h"
#include "TempAppDir.h"

#include <QLabel>
#include <QPushButton>
#include <QWidget>
#include <QtTest>

class TestLanguageSwitch : public QObject
{
    Q_OBJECT

private slots:
    void stepsRunInOrder();
    void sameLanguageStillRestarts();
    void failedSaveStopsTheSwitch();
};

namespace {

struct Fixture
{
    TempAppDir dir;
    FakeShell shell;
    QString langCode = QStringLiteral("RUS");
    QWidget form1;
    QLabel *label12 = new QLabel(&form1);
    QWidget about;
    QPushButton *button2 = new QPushButton(&about);
    LanguageTexts form1Texts{LanguageTexts::Section::Form1};
    LanguageTexts aboutTexts{LanguageTexts::Section::AboutBox};
    QStringList events;

    Fixture()
    {
        label12->setObjectName(QStringLiteral("Label12"));
        button2->setObjectName(QStringLiteral("Button2"));
    }

    LanguageSwitch::Parts parts()
    {
        LanguageSwitch::Parts p;
        p.appDir = dir.appDir();
        p.langCode = &langCode;
        p.shell = &shell;
        p.form1 = &form1Texts;
        p.form1Root = &form1;
        p.about = &aboutTexts;
        p.aboutWindow = &about;
        p.languageLoaded = [this](const QString &code) {
            events << QStringLiteral("loaded ") + code + QStringLiteral(" caption ") + label12->text();
        };
        p.saveSettings = [this](const QString &code) {
            events << QStringLiteral("save ") + code + QStringLiteral(" langCode ") + langCode
                          + QStringLiteral(" started ") + QString::number(shell.started.size());
            LanguageFiles::saveLanguage(dir.appDir(), code, form1Texts, &form1);
        };
        p.quit = [this] {
            events << QStringLiteral("quit started ") + shell.started.join(QLatin1Char(','));
        };
        return p;
    }
};

} // namespace

void TestLanguageSwitch::stepsRunInOrder()
{
    Fixture f;
    QVERIFY(f.dir.write(QStringLiteral("ENG.ini"), "[Form1]\nLabel12=Reminder text\n"));
    f.button2->setText(QStringLiteral("Обновить сейчас")); // a caption the About window shows at the moment
    LanguageSwitch(f.parts()).switchTo(QStringLiteral("ENG"));

    QCOMPARE(f.langCode, QStringLiteral("ENG"));
    QCOMPARE(f.events, (QStringList{QStringLiteral("loaded ENG caption Reminder text"),
                                    QStringLiteral("save ENG langCode ENG started 0"),
                                    QStringLiteral("quit started ") + f.dir.appDir() + QStringLiteral("Veltrane")}));
    // The About texts went into the file of the language being left, and only there.
    const IniFile rus(f.dir.path(QStringLiteral("RUS.ini")));
    QCOMPARE(rus.readString(QStringLiteral("AboutBox"), QStringLiteral("Button2Caption"), {}),
             QStringLiteral("Обновить сейчас"));
    QCOMPARE(rus.keys(QStringLiteral("Form1")), QStringList());
    const IniFile eng(f.dir.path(QStringLiteral("ENG.ini")));
    QCOMPARE(eng.keys(QStringLiteral("AboutBox")), QStringList());
    QCOMPARE(eng.readString(QStringLiteral("Form1"), QStringLiteral("Label12"), {}), QStringLiteral("Reminder text"));
    QCOMPARE(eng.keys(QStringLiteral("Form1")).size(), 89);
}

void TestLanguageSwitch::sameLanguageStillRestarts()
{
    Fixture f;
    f.shell.accept = false; // the program cannot be started: this copy ends all the same
    LanguageSwitch(f.parts()).switchTo(QStringLiteral("RUS"));
    QCOMPARE(f.events.size(), 3);
    QCOMPARE(f.shell.started, QStringList{f.dir.appDir() + QStringLiteral("Veltrane")});
    const IniFile rus(f.dir.path(QStringLiteral("RUS.ini")));
    QCOMPARE(rus.keys(QStringLiteral("AboutBox")).size(), 18);
    QCOMPARE(rus.keys(QStringLiteral("Form1")).size(), 89);
}

void TestLanguageSwitch::failedSaveStopsTheSwitch()
{
    Fixture f;
    QVERIFY(f.dir.write(QStringLiteral("file"), "x"));
    LanguageSwitch::Parts p = f.parts();
    p.appDir = f.dir.path(QStringLiteral("file/")); // a folder that cannot hold files
    QVERIFY_THROWS_EXCEPTION(Failure, LanguageSwitch(p).switchTo(QStringLiteral("ENG")));
    QCOMPARE(f.langCode, QStringLiteral("RUS"));
    QVERIFY(f.events.isEmpty());
    QVERIFY(f.shell.started.isEmpty());
}

QTEST_MAIN(TestLanguageSwitch)
#include "test_language_switch.moc"
