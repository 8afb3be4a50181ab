// The About window's texts: loaded from section AboutBox onto its named controls, saved from what they show.
#include "app/AboutWindow.h"
#include "files/IniFile.h"

#include "TempAppDir.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

class TestAboutWindow : public QObject
{
    Q_OBJECT

private slots:
    void russianBeforeAnyFile();
    void loadAndSaveLang();
};

void TestAboutWindow::russianBeforeAnyFile()
{
    TempAppDir dir;
    AboutWindow w;
    w.loadLang(dir.appDir(), QStringLiteral("RUS"), QStringLiteral("2.1.0.2"));
    QVERIFY(!dir.exists(QStringLiteral("RUS.ini")));
    QCOMPARE(w.windowTitle(), QStringLiteral("O программе"));
    QCOMPARE(w.findChild<QLabel *>(QStringLiteral("Version"))->text(), QStringLiteral("Версия 2.1.0.2"));
    QCOMPARE(w.findChild<QLabel *>(QStringLiteral("LabeledEdit2Label"))->text(), QStringLiteral("Ваш email"));
    QCOMPARE(w.sendButton()->text(), QStringLiteral("Отправить сообщение автору"));
    QCOMPARE(w.updateButton()->text(), QStringLiteral("Проверить обновление"));
    QCOMPARE(w.findChild<QPushButton *>(QStringLiteral("OKButton"))->text(), QStringLiteral("Закрыть"));
    QCOMPARE(w.texts().text(QStringLiteral("SendMSG6")), QStringLiteral("У Вас самая последняя версия программы."));
}

void TestAboutWindow::loadAndSaveLang()
{
    TempAppDir dir;
    QVERIFY(dir.write(QStringLiteral("ENG.ini"), "[AboutBox]\nVersionCaption=Version\nGroupBox1=Message\n"
                                                 "SendMSG8=Error!\nCaption=About\n"));
    AboutWindow w;
    w.loadLang(dir.appDir(), QStringLiteral("ENG"), QStringLiteral("2.1.0.2"));
    QCOMPARE(w.windowTitle(), QStringLiteral("About"));
    QCOMPARE(w.findChild<QLabel *>(QStringLiteral("Version"))->text(), QStringLiteral("Version 2.1.0.2"));
    QCOMPARE(w.findChild<QGroupBox *>(QStringLiteral("GroupBox1"))->title(), QStringLiteral("Message"));
    QCOMPARE(w.texts().text(QStringLiteral("SendMSG8")), QStringLiteral("Error!"));

    w.sendButton()->setText(QStringLiteral("Send"));
    w.saveLang(dir.appDir(), QStringLiteral("ENG"));
    const IniFile file(dir.path(QStringLiteral("ENG.ini")));
    QCOMPARE(file.readString(QStringLiteral("AboutBox"), QStringLiteral("Button1Caption"), {}), QStringLiteral("Send"));
    QCOMPARE(file.readString(QStringLiteral("AboutBox"), QStringLiteral("VersionCaption"), {}),
             QStringLiteral("Version"));
    QCOMPARE(file.keys(QStringLiteral("AboutBox")).size(), 18);
}

QTEST_MAIN(TestAboutWindow)
#include "test_about_window.moc"
