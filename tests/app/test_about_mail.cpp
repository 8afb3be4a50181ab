// The About window's mail form end to end: its checks, the mail a real server on loopback receives, and what the
// user sees after success and failure.
#include "FakeServices.h"
#include "LoopbackSmtpServer.h"
#include "app/AboutWindow.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTcpServer>
#include <QtTest>

namespace {

FeedbackMail::Route route(quint16 port, const QString &password = QStringLiteral("pw"))
{
    return FeedbackMail::Route{
        SmtpServer{QStringLiteral("127.0.0.1"), port, QStringLiteral("feedback@mail.test"), password},
        QStringLiteral("author@mail.test")};
}

QString noAdapter()
{
    return QStringLiteral("mac not found");
}

} // namespace

class TestAboutMail : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY2(LoopbackSmtpServer::available(), "python3-aiosmtpd is needed"); }

    void onlineButtonsFollowTheStateAtEachShowing()
    {
        FakeNetState net;
        AboutWindow w;
        w.setNetState(&net);
        w.show();
        QVERIFY(!w.sendButton()->isEnabled());
        QVERIFY(!w.updateButton()->isEnabled());
        w.hide();
        net.online = true;
        w.show();
        QVERIFY(w.sendButton()->isEnabled());
        QVERIFY(w.updateButton()->isEnabled());
    }

    void centredOnTheMainWindowAtEachShowing()
    {
        QWidget owner;
        owner.setGeometry(300, 200, 510, 290);
        owner.show();
        AboutWindow w;
        w.setCentredOn(&owner);
        for (const QPoint &at : {QPoint(300, 200), QPoint(40, 500)}) {
            owner.move(at);
            w.show();
            QVERIFY((w.frameGeometry().center() - owner.frameGeometry().center()).manhattanLength() <= 2);
            w.hide();
        }
    }

    void inputErrors_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("focus");
        const QString memo = QStringLiteral("Memo1"), edit = QStringLiteral("LabeledEdit2");
        QTest::newRow("no address") << " "
                                    << "Текст"
                                    << "Введите Ваш адрес электронной почты." << edit;
        QTest::newRow("leading space") << " ivan@mail.test"
                                       << "Текст"
                                       << "Введите Ваш РЕАЛЬНЫЙ адрес электронной почты." << edit;
        QTest::newRow("Cyrillic address") << "иван@mail.test"
                                          << "Текст"
                                          << "Введите Ваш РЕАЛЬНЫЙ адрес электронной почты." << edit;
        QTest::newRow("no message") << "ivan@mail.test"
                                    << " \n\n "
                                    << "Вы не ввели текст сообщения." << memo;
    }

    void inputErrors()
    {
        QFETCH(QString, address);
        QFETCH(QString, message);
        QFETCH(QString, text);
        QFETCH(QString, focus);
        QTcpServer listener; // must not be reached
        QVERIFY(listener.listen(QHostAddress::LocalHost));
        FakeNetState net;
        net.online = true;
        FakePrompts prompts;
        AboutWindow w;
        w.setNetState(&net);
        w.setMail(&prompts, route(listener.serverPort()), noAdapter);
        w.show();
        w.emailEdit()->setText(address);
        w.messageEdit()->setPlainText(message);
        w.sendButton()->click();

        QCOMPARE(prompts.shown.size(), 1);
        QCOMPARE(prompts.shown.at(0).kind, QStringLiteral("error"));
        QCOMPARE(prompts.shown.at(0).title, QStringLiteral("Ошибка!"));
        QCOMPARE(prompts.shown.at(0).text, text);
        QCOMPARE(w.focusWidget()->objectName(), focus);
        QTest::qWait(200);
        QVERIFY(!listener.hasPendingConnections());
        QVERIFY(w.sendButton()->isEnabled());
        QCOMPARE(w.emailEdit()->text(), address);
        QCOMPARE(w.messageEdit()->toPlainText(), message);
    }

    void sentMailAndSuccessMessage()
    {
        LoopbackSmtpServer server;
        QVERIFY(server.start({"--user", "feedback@mail.test", "--password", "pw"}));
        FakeNetState net;
        net.online = true;
        FakePrompts prompts;
        AboutWindow w;
        w.setNetState(&net);
        w.setMail(&prompts, route(server.port()), noAdapter);
        w.show();
        const QString message = QStringLiteral("Добрый день!\n.точка в начале строки");
        w.emailEdit()->setText(QStringLiteral("ivan@mail.test"));
        w.messageEdit()->setPlainText(message);
        w.sendButton()->click();
        QVERIFY(!w.sendButton()->isEnabled()); // no second mail while this one is on its way

        QTRY_COMPARE_WITH_TIMEOUT(prompts.shown.size(), 1, 15000);
        QCOMPARE(prompts.shown.at(0).kind, QStringLiteral("information"));
        QCOMPARE(prompts.shown.at(0).title, QStringLiteral("Сообщение отправлено"));
        QCOMPARE(prompts.shown.at(0).text, QStringLiteral("Сообщение успешно отправлено"));
        QVERIFY(w.sendButton()->isEnabled());
        QCOMPARE(w.emailEdit()->text(), QStringLiteral("ivan@mail.test"));
        QCOMPARE(w.messageEdit()->toPlainText(), message);

        const QJsonObject got = server.nextRecord();
        QCOMPARE(got.value("subject").toString(), QStringLiteral("Veltrane. ID:mac not found"));
        QCOMPARE(got.value("mail_from").toString(), QStringLiteral("feedback@mail.test"));
        QCOMPARE(got.value("rcpt_tos").toVariant().toStringList(), QStringList{"author@mail.test"});
        QCOMPARE(got.value("login").toObject().value("user").toString(), QStringLiteral("feedback@mail.test"));
        QVERIFY(got.value("x_mailer").toString().startsWith(QStringLiteral("Veltrane")));
        QCOMPARE(got.value("body").toString(),
                 QStringLiteral("Добрый день!\r\n.точка в начале строки\r\n\r\n\r\nivan@mail.test\r\n"));
    }

    void failurePutsTheReasonAboveTheMessage()
    {
        LoopbackSmtpServer server;
        QVERIFY(server.start({"--user", "feedback@mail.test", "--password", "pw"}));
        FakeNetState net;
        net.online = true;
        FakePrompts prompts;
        AboutWindow w;
        w.setNetState(&net);
        w.setMail(&prompts, route(server.port(), QStringLiteral("wrong")), noAdapter);
        w.show();
        w.emailEdit()->setText(QStringLiteral("ivan@mail.test"));
        w.messageEdit()->setPlainText(QStringLiteral("first\nsecond"));
        w.sendButton()->click();

        QTRY_VERIFY_WITH_TIMEOUT(w.sendButton()->isEnabled(), 15000);
        const QStringList lines = w.messageEdit()->toPlainText().split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), 3);
        QVERIFY2(lines.at(0).startsWith(QStringLiteral("ERROR: 535")), qPrintable(lines.at(0)));
        QCOMPARE(lines.mid(1), (QStringList{"first", "second"}));
        QCOMPARE(w.emailEdit()->text(), QStringLiteral("ivan@mail.test"));
        QVERIFY(prompts.shown.isEmpty());
        QCOMPARE(server.nextRecord().value("event").toString(), QStringLiteral("login refused"));
        QVERIFY(server.nextRecord(300).isEmpty()); // no mail
    }
};

QTEST_MAIN(TestAboutMail)
#include "test_about_mail.moc"
