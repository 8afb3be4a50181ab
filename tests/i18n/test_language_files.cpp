// Language files: reading with defaults, the complete write-back, captions on named objects, the About section.
#include "files/IniFile.h"
#include "i18n/CaptionBinder.h"
#include "i18n/LanguageFiles.h"
#include "i18n/LanguageTexts.h"
#include "platform/Failure.h"
#include "platform/TextCodec.h"

#include "TempAppDir.h"

#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QWidget>
#include <QtTest>

namespace {

const QString kForm1 = QStringLiteral("Form1");
const QString kAbout = QStringLiteral("AboutBox");

// A stand-in main window carrying a few of the named objects the real one has.
struct Window
{
    QWidget root;
    QMenu *popup = new QMenu(&root);
    QAction *n1 = popup->addAction(QString());
    QMenu *n21 = new QMenu(popup);
    QAction *cut1 = popup->addAction(QString());
    QGroupBox *group = new QGroupBox(&root);
    QCheckBox *day3 = new QCheckBox(group);
    QLabel *label12 = new QLabel(group);

    Window()
    {
        popup->setObjectName(QStringLiteral("PopupMenu1"));
        n1->setObjectName(QStringLiteral("N1"));
        n21->setObjectName(QStringLiteral("N21"));
        popup->addMenu(n21);
        cut1->setObjectName(QStringLiteral("Cut1"));
        day3->setObjectName(QStringLiteral("Day3"));
        label12->setObjectName(QStringLiteral("Label12"));
    }
};

QStringList form1FileOrder()
{
    QStringList order = LanguageTexts(LanguageTexts::Section::Form1).writingOrder();
    for (const auto &[key, value] : LanguageTexts::writeOnlyKeys())
        order << key;
    return order;
}

} // namespace

class TestLanguageFiles : public QObject
{
    Q_OBJECT

private slots:
    void tablesAreComplete();
    void missingFileIsCreatedEmpty();
    void fileWithOneKey();
    void windows1251File();
    void emptyValueStaysEmpty();
    void firstSaveWritesEveryKeyInOrder();
    void saveWritesCurrentCaptions();
    void trailingBlankLastsUntilReload();
    void binderSkipsMissingObjectsAndUsesTitles();
    void partMadeLaterTakesItsTextsButNotTheWindowCaption();
    void aboutSectionOnlyBySaveAbout();
    void refusedSaveNamesTheFile();
    void codeThatIsNotAPlainNameIsRefused();
    void danglingLinkIsNotFollowedOutOfTheFolder();
};

void TestLanguageFiles::tablesAreComplete()
{
    // Every key read is written back and nothing else, so a partial file comes back complete.
    for (const auto section : {LanguageTexts::Section::Form1, LanguageTexts::Section::AboutBox}) {
        const LanguageTexts texts(section);
        QStringList read;
        for (const LanguageTexts::Key &k : texts.keys())
            read << k.key;
        QStringList written = texts.writingOrder();
        QCOMPARE(written.size(), read.size());
        written.sort();
        read.sort();
        QCOMPARE(written, read);
        QCOMPARE(QSet<QString>(read.begin(), read.end()).size(), read.size());
    }
    const LanguageTexts form1(LanguageTexts::Section::Form1);
    QCOMPARE(form1.keys().size(), 86);
    QCOMPARE(form1.text(QStringLiteral("sob2")).back(), QLatin1Char('c')); // Latin, as the files have it
    QCOMPARE(form1.text(QStringLiteral("tud")), QStringLiteral("Сегодня "));
    QCOMPARE(LanguageTexts(LanguageTexts::Section::AboutBox).text(QStringLiteral("Caption")).front(), QLatin1Char('O'));
}

void TestLanguageFiles::missingFileIsCreatedEmpty()
{
    TempAppDir dir;
    LanguageTexts texts(LanguageTexts::Section::Form1);
    LanguageFiles::loadLanguage(dir.appDir(), QStringLiteral("ENU"), texts, nullptr);
    QVERIFY(dir.exists(QStringLiteral("ENU.ini")));
    QCOMPARE(dir.read(QStringLiteral("ENU.ini")), QByteArray());
    QCOMPARE(texts.text(QStringLiteral("mN1")), QStringLiteral("Выход"));

    // The About window's load does not create its file.
    LanguageTexts about(LanguageTexts::Section::AboutBox);
    LanguageFiles::loadAbout(dir.appDir(), QStringLiteral("DEU"), about, nullptr);
    QVERIFY(!dir.exists(QStringLiteral("DEU.ini")));
    QCOMPARE(about.text(QStringLiteral("OKButton")), QStringLiteral("Закрыть"));
}

void TestLanguageFiles::fileWithOneKey()
{
    TempAppDir dir;
    QVERIFY(dir.write(QStringLiteral("ENG.ini"), "[Form1]\nmN1=Quit\n"));
    Window w;
    LanguageTexts texts(LanguageTexts::Section::Form1);
    LanguageFiles::loadLanguage(dir.appDir(), QStringLiteral("ENG"), texts, &w.root);
    QCOMPARE(w.n1->text(), QStringLiteral("Quit"));
    QCOMPARE(w.cut1->text(), QStringLiteral("Вырезать"));
    QCOMPARE(w.day3->text(), QStringLiteral("Вторник"));
    QCOMPARE(texts.text(QStringLiteral("Moscow")), QStringLiteral("Москва"));

    LanguageFiles::saveLanguage(dir.appDir(), QStringLiteral("ENG"), texts, &w.root);
    const IniFile file(dir.path(QStringLiteral("ENG.ini")));
    QCOMPARE(file.keys(kForm1).size(), form1FileOrder().size());
    QCOMPARE(file.readString(kForm1, QStringLiteral("mN1"), {}), QStringLiteral("Quit"));
    QCOMPARE(file.readString(kForm1, QStringLiteral("Moscow"), {}), QStringLiteral("Москва"));
}

void TestLanguageFiles::windows1251File()
{
    TempAppDir dir;
    QVERIFY(dir.write(QStringLiteral("UKR.ini"), TextCodec::toWindows1251(QStringLiteral(
                                                     "[Form1]\r\nmN1=Вихід\r\nKyiv=Київ\r\nMoscow=Москва\r\n"))));
    LanguageTexts texts(LanguageTexts::Section::Form1);
    LanguageFiles::loadLanguage(dir.appDir(), QStringLiteral("UKR"), texts, nullptr);
    QCOMPARE(texts.text(QStringLiteral("mN1")), QStringLiteral("Вихід"));
    LanguageFiles::saveLanguage(dir.appDir(), QStringLiteral("UKR"), texts, nullptr);
    const QByteArray saved = dir.read(QStringLiteral("UKR.ini"));
    QVERIFY(TextCodec::isValidUtf8(saved));
    QVERIFY(saved.startsWith(QStringLiteral("[Form1]\r\nmN1=Вихід\r\nKyiv=Київ\r\n").toUtf8()));
}

void TestLanguageFiles::emptyValueStaysEmpty()
{
    TempAppDir dir;
    QVERIFY(dir.write(QStringLiteral("RUS.ini"), "[Form1]\nmN1=\nDay3=   \n"));
    Window w;
    LanguageTexts texts(LanguageTexts::Section::Form1);
    LanguageFiles::loadLanguage(dir.appDir(), QStringLiteral("RUS"), texts, &w.root);
    QCOMPARE(w.n1->text(), QString());
    QCOMPARE(w.day3->text(), QString());
    QCOMPARE(texts.text(QStringLiteral("mN2")), QStringLiteral("Свернуть"));
}

void TestLanguageFiles::firstSaveWritesEveryKeyInOrder()
{
    TempAppDir dir;
    LanguageTexts texts(LanguageTexts::Section::Form1);
    LanguageFiles::loadLanguage(dir.appDir(), QStringLiteral("RUS"), texts, nullptr);
    LanguageFiles::saveLanguage(dir.appDir(), QStringLiteral("RUS"), texts, nullptr);
    const IniFile file(dir.path(QStringLiteral("RUS.ini")));
    QCOMPARE(file.keys(kForm1), form1FileOrder());
    QCOMPARE(file.keys(kAbout), QStringList());
    QCOMPARE(file.readString(kForm1, QStringLiteral("mN22"), {}), QStringLiteral("Русский"));
    QCOMPARE(file.readString(kForm1, QStringLiteral("Englich"), {}), QStringLiteral("Английский"));
    QCOMPARE(file.readString(kForm1, QStringLiteral("Franais"), {}), QStringLiteral("Французский"));
    const QByteArray bytes = dir.read(QStringLiteral("RUS.ini"));
    QVERIFY(bytes.startsWith(QStringLiteral("[Form1]\nWellington=Веллингтон\nSydney=Сидней\n").toUtf8()));
    QVERIFY(bytes.contains(QStringLiteral("\nJohannesburg=Йоханнесбург\ntud=Сегодня \nmorning=").toUtf8()));
    QVERIFY(bytes.endsWith(QStringLiteral("\nCombobox4Items3=Месяц\nmN22=Русский\nEnglich=Английский\n"
                                          "Franais=Французский\n")
                               .toUtf8()));

    // A second save with nothing changed leaves the file as it is.
    LanguageFiles::saveLanguage(dir.appDir(), QStringLiteral("RUS"), texts, nullptr);
    QCOMPARE(dir.read(QStringLiteral("RUS.ini")), bytes);
}

void TestLanguageFiles::saveWritesCurrentCaptions()
{
    TempAppDir dir;
    Window w;
    LanguageTexts texts(LanguageTexts::Section::Form1);
    LanguageFiles::loadLanguage(dir.appDir(), QStringLiteral("RUS"), texts, &w.root);
    QCOMPARE(w.label12->text(), QStringLiteral("Текст напоминания"));
    // The editor changes the caption with the event kind; a save writes what it shows, and the next start
    // shows it again.
    w.label12->setText(QStringLiteral("Путь к приложению"));
    w.cut1->setText(QStringLiteral("Cut"));
    w.n1->setText(QStringLiteral("Exit changed at run time")); // menu captions are written as held
    LanguageFiles::saveLanguage(dir.appDir(), QStringLiteral("RUS"), texts, &w.root);
    const IniFile file(dir.path(QStringLiteral("RUS.ini")));
    QCOMPARE(file.readString(kForm1, QStringLiteral("Label12"), {}), QStringLiteral("Путь к приложению"));
    QCOMPARE(file.readString(kForm1, QStringLiteral("mCut1"), {}), QStringLiteral("Cut"));
    QCOMPARE(file.readString(kForm1, QStringLiteral("mN1"), {}), QStringLiteral("Выход"));

    Window next;
    LanguageTexts again(LanguageTexts::Section::Form1);
    LanguageFiles::loadLanguage(dir.appDir(), QStringLiteral("RUS"), again, &next.root);
    QCOMPARE(next.label12->text(), QStringLiteral("Путь к приложению"));
}

void TestLanguageFiles::trailingBlankLastsUntilReload()
{
    TempAppDir dir;
    LanguageTexts texts(LanguageTexts::Section::Form1);
    LanguageFiles::loadLanguage(dir.appDir(), QStringLiteral("RUS"), texts, nullptr);
    QCOMPARE(texts.text(QStringLiteral("tud")), QStringLiteral("Сегодня "));
    LanguageFiles::saveLanguage(dir.appDir(), QStringLiteral("RUS"), texts, nullptr);
    LanguageTexts reloaded(LanguageTexts::Section::Form1);
    LanguageFiles::loadLanguage(dir.appDir(), QStringLiteral("RUS"), reloaded, nullptr);
    QCOMPARE(reloaded.text(QStringLiteral("tud")), QStringLiteral("Сегодня"));
    QCOMPARE(reloaded.text(QStringLiteral("Poff5")), QStringLiteral("Внимание! Компьютер будет выключен через"));
}

void TestLanguageFiles::binderSkipsMissingObjectsAndUsesTitles()
{
    LanguageTexts texts(LanguageTexts::Section::Form1);
    texts.setText(QStringLiteral("mN21"), QStringLiteral("Language"));
    texts.setText(QStringLiteral("DBCheckBox8"), QStringLiteral("Repeat"));
    QWidget root;
    auto *menu = new QMenu(&root);
    menu->setObjectName(QStringLiteral("N21"));
    auto *box = new QGroupBox(&root); // a group box by that name takes the text as its title
    box->setObjectName(QStringLiteral("DBCheckBox8"));
    CaptionBinder::apply(texts, &root);
    QCOMPARE(menu->title(), QStringLiteral("Language"));
    QCOMPARE(menu->menuAction()->text(), QStringLiteral("Language"));
    QCOMPARE(box->title(), QStringLiteral("Repeat"));

    box->setTitle(QStringLiteral("Repeat it"));
    CaptionBinder::collect(texts, &root);
    QCOMPARE(texts.text(QStringLiteral("DBCheckBox8")), QStringLiteral("Repeat it"));
    QCOMPARE(texts.text(QStringLiteral("Day1")), QStringLiteral("Воскресенье")); // no such object: held text stays
    QCOMPARE(CaptionBinder::captionProperty(&root, false), nullptr);
}

void TestLanguageFiles::partMadeLaterTakesItsTextsButNotTheWindowCaption()
{
    LanguageTexts texts(LanguageTexts::Section::Form1);
    texts.setText(QStringLiteral("Label12"), QStringLiteral("Reminder text"));
    texts.setText(QStringLiteral("DBCheckBox8"), QStringLiteral("Repeat"));
    QWidget window;
    window.setWindowTitle(QStringLiteral("Veltrane"));
    auto *outside = new QLabel(QStringLiteral("Label5 as it was"), &window);
    outside->setObjectName(QStringLiteral("Label5"));
    auto *part = new QWidget(&window);
    part->setObjectName(QStringLiteral("Panel4"));
    auto *label12 = new QLabel(new QWidget(part)); // deeper than a direct child
    label12->setObjectName(QStringLiteral("Label12"));
    auto *repeat = new QCheckBox(part);
    repeat->setObjectName(QStringLiteral("DBCheckBox8"));
    CaptionBinder::applyToPart(texts, part);
    QCOMPARE(label12->text(), QStringLiteral("Reminder text"));
    QCOMPARE(repeat->text(), QStringLiteral("Repeat"));
    QCOMPARE(outside->text(), QStringLiteral("Label5 as it was")); // only the part's objects change

    // The About texts have the window's own caption ("."): a part never takes it as its title.
    LanguageTexts about(LanguageTexts::Section::AboutBox);
    about.setText(QStringLiteral("Caption"), QStringLiteral("About"));
    CaptionBinder::applyToPart(about, part);
    QCOMPARE(part->windowTitle(), QString());
    QCOMPARE(window.windowTitle(), QStringLiteral("Veltrane"));
}

void TestLanguageFiles::aboutSectionOnlyBySaveAbout()
{
    TempAppDir dir;
    QVERIFY(dir.write(QStringLiteral("ENG.ini"), "[AboutBox]\nButton1Caption=Send\nCaption=About\n"));
    QWidget window;
    auto *button1 = new QLabel(&window);
    button1->setObjectName(QStringLiteral("Button1"));
    LanguageTexts about(LanguageTexts::Section::AboutBox);
    LanguageFiles::loadAbout(dir.appDir(), QStringLiteral("ENG"), about, &window);
    QCOMPARE(button1->text(), QStringLiteral("Send"));
    QCOMPARE(window.windowTitle(), QStringLiteral("About"));

    LanguageTexts form1(LanguageTexts::Section::Form1);
    LanguageFiles::saveLanguage(dir.appDir(), QStringLiteral("ENG"), form1, nullptr);
    const IniFile file(dir.path(QStringLiteral("ENG.ini")));
    QCOMPARE(file.keys(kAbout), (QStringList{QStringLiteral("Button1Caption"), QStringLiteral("Caption")}));

    window.setWindowTitle(QStringLiteral("About Veltrane"));
    LanguageFiles::saveAbout(dir.appDir(), QStringLiteral("ENG"), about, &window);
    QStringList expected = about.writingOrder();
    expected.removeAll(QStringLiteral("Button1Caption"));
    expected.removeAll(QStringLiteral("Caption"));
    expected.prepend(QStringLiteral("Caption"));
    expected.prepend(QStringLiteral("Button1Caption")); // keys already there keep their place
    QCOMPARE(file.keys(kAbout), expected);
    QCOMPARE(file.readString(kAbout, QStringLiteral("Caption"), {}), QStringLiteral("About Veltrane"));
    QCOMPARE(file.readString(kAbout, QStringLiteral("SendMSG10"), {}),
             QStringLiteral("Введите Ваш РЕАЛЬНЫЙ адрес электронной почты."));
    QCOMPARE(file.keys(kForm1), form1FileOrder());
}

void TestLanguageFiles::refusedSaveNamesTheFile()
{
    TempAppDir dir;
    QVERIFY(dir.write(QStringLiteral("folder"), "not a folder"));
    const QString appDir = dir.path(QStringLiteral("folder/"));
    LanguageTexts texts(LanguageTexts::Section::Form1);
    LanguageFiles::loadLanguage(appDir, QStringLiteral("RUS"), texts, nullptr); // cannot create it: no failure
    QCOMPARE(texts.text(QStringLiteral("mN1")), QStringLiteral("Выход"));
    try {
        LanguageFiles::saveLanguage(appDir, QStringLiteral("RUS"), texts, nullptr);
        QFAIL("no failure raised");
    } catch (const Failure &f) {
        QCOMPARE(f.text(), QStringLiteral("Unable to write to ") + appDir + QStringLiteral("RUS.ini"));
    }
}

void TestLanguageFiles::codeThatIsNotAPlainNameIsRefused()
{
    TempAppDir outer;
    QVERIFY(QDir(outer.appDir()).mkpath(QStringLiteral("a/b")));
    const QString appDir = outer.path(QStringLiteral("a/b/"));
    LanguageTexts texts(LanguageTexts::Section::Form1);
    for (const QString &code : {QStringLiteral("../../x"), QStringLiteral("../x"), QStringLiteral("x/y"),
                                QStringLiteral(".."), QStringLiteral("RUS ")}) {
        QVERIFY_THROWS_EXCEPTION(Failure, LanguageFiles::loadLanguage(appDir, code, texts, nullptr));
        QVERIFY_THROWS_EXCEPTION(Failure, LanguageFiles::saveLanguage(appDir, code, texts, nullptr));
        QVERIFY_THROWS_EXCEPTION(Failure, LanguageFiles::saveAbout(appDir, code, texts, nullptr));
    }
    // Nothing was made anywhere: the only entries are the two folders of the test itself.
    QCOMPARE(QDir(outer.appDir()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{"a"});
    QCOMPARE(QDir(appDir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
    QCOMPARE(QDir(outer.path(QStringLiteral("a"))).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
             QStringList{"b"});

    for (const QString &code : {QStringLiteral("RUS"), QStringLiteral("x2"), QString()})
        QVERIFY2(LanguageFiles::isPlainCode(code), qPrintable(code));
}

void TestLanguageFiles::danglingLinkIsNotFollowedOutOfTheFolder()
{
    TempAppDir dir;
    TempAppDir elsewhere;
    const QString target = elsewhere.path(QStringLiteral("made-through-the-link.ini"));
    QVERIFY(QFile::link(target, dir.path(QStringLiteral("ENU.ini"))));
    LanguageTexts texts(LanguageTexts::Section::Form1);
    try {
        LanguageFiles::loadLanguage(dir.appDir(), QStringLiteral("ENU"), texts, nullptr);
        QFAIL("no failure raised");
    } catch (const Failure &f) {
        QVERIFY2(f.text().contains(dir.path(QStringLiteral("ENU.ini"))), qPrintable(f.text()));
    }
    QVERIFY(!QFileInfo::exists(target));
    QVERIFY_THROWS_EXCEPTION(Failure, LanguageFiles::saveLanguage(dir.appDir(), QStringLiteral("ENU"), texts, nullptr));
    QVERIFY(!QFileInfo::exists(target));
    QVERIFY(QFileInfo(dir.path(QStringLiteral("ENU.ini"))).isSymLink());
}

QTEST_MAIN(TestLanguageFiles)
#include "test_language_files.moc"
