// The feedback form's checks, the body's lines and the composed mail.
#include "online/FeedbackMail.h"

#include <QTest>
#include <QTimeZone>

using FeedbackMail::InputProblem;
Q_DECLARE_METATYPE(InputProblem)

class TestFeedbackMail : public QObject
{
    Q_OBJECT

private slots:
    void checkInput_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("message");
        QTest::addColumn<InputProblem>("problem");
        const QString text = QStringLiteral("Привет");
        QTest::newRow("complete") << "a@b.cd" << text << InputProblem::None;
        QTest::newRow("empty address") << "" << text << InputProblem::NoAddress;
        QTest::newRow("blank address") << "   " << text << InputProblem::NoAddress;
        // The check takes the text as typed: a leading blank passes the emptiness test and fails the address one.
        QTest::newRow("leading blank") << " a@b.cd" << text << InputProblem::ImplausibleAddress;
        QTest::newRow("domain too short") << "a@b.c" << text << InputProblem::ImplausibleAddress;
        QTest::newRow("address comes before the message") << "a@b.c"
                                                          << "" << InputProblem::ImplausibleAddress;
        QTest::newRow("empty message") << "a@b.cd"
                                       << "" << InputProblem::NoMessage;
        QTest::newRow("message of blanks and line breaks") << "a@b.cd"
                                                           << " \r\n \n\t" << InputProblem::NoMessage;
    }

    void checkInput()
    {
        QFETCH(QString, address);
        QFETCH(QString, message);
        QFETCH(InputProblem, problem);
        QCOMPARE(FeedbackMail::checkInput(address, message), problem);
    }

    void problemTexts()
    {
        QCOMPARE(FeedbackMail::problemTextKey(InputProblem::NoAddress), QStringLiteral("SendMSG9"));
        QCOMPARE(FeedbackMail::problemTextKey(InputProblem::ImplausibleAddress), QStringLiteral("SendMSG10"));
        QCOMPARE(FeedbackMail::problemTextKey(InputProblem::NoMessage), QStringLiteral("SendMSG11"));
    }

    void bodyLines_data()
    {
        QTest::addColumn<QString>("message");
        QTest::addColumn<QStringList>("lines");
        const QString a = QStringLiteral("me@mail.test");
        QTest::newRow("one line") << "Hello" << QStringList{"Hello", "", "", a};
        QTest::newRow("LF, CRLF and CR") << "a\nb\r\nc\rd" << QStringList{"a", "b", "c", "d", "", "", a};
        QTest::newRow("final line break adds no line") << "a\n" << QStringList{"a", "", "", a};
        QTest::newRow("empty lines inside are kept") << "a\n\n\nb" << QStringList{"a", "", "", "b", "", "", a};
    }

    void bodyLines()
    {
        QFETCH(QString, message);
        QFETCH(QStringList, lines);
        QCOMPARE(FeedbackMail::bodyLines(message, QStringLiteral("me@mail.test")), lines);
    }

    void subjectWithoutAdapter()
    {
        QCOMPARE(FeedbackMail::subject(QStringLiteral("mac not found")), QStringLiteral("Veltrane. ID:mac not found"));
    }

    void composedMail()
    {
        FeedbackMail::Route route;
        route.mailTo = QStringLiteral("author@mail.test");
        QCOMPARE(route.sender(), QStringLiteral("author@mail.test"));
        route.server.user = QStringLiteral("account@mail.test");
        QCOMPARE(route.sender(), QStringLiteral("account@mail.test"));

        const QDateTime date(QDate(2026, 3, 5), QTime(14, 28, 30), QTimeZone(3 * 3600));
        const QStringList lines{QStringLiteral("Тест"), QString(), QString(), QStringLiteral("me@mail.test")};
        // A subject with a line break must not start a header of its own.
        const SmtpEnvelope mail = FeedbackMail::compose(route, QStringLiteral("ID:x\r\nBcc: x@y.test"), lines,
                                                        QStringLiteral("Veltrane 2.1.0.2"), date);
        QCOMPARE(mail.from, QStringLiteral("account@mail.test"));
        QCOMPARE(mail.to, QStringLiteral("author@mail.test"));
        const qsizetype split = mail.content.indexOf("\r\n\r\n");
        QVERIFY(split > 0);
        const QStringList headers = QString::fromLatin1(mail.content.left(split)).split(QStringLiteral("\r\n"));
        QVERIFY(headers.contains(QStringLiteral("Date: Thu, 05 Mar 2026 14:28:30 +0300")));
        QVERIFY(headers.contains(QStringLiteral("X-Mailer: Veltrane 2.1.0.2")));
        for (const QString &h : headers)
            QVERIFY2(!h.startsWith(QStringLiteral("Bcc")), qPrintable(h));
        const QByteArray body = QByteArray::fromBase64(mail.content.mid(split + 4).replace("\r\n", ""));
        QCOMPARE(QString::fromUtf8(body), QStringLiteral("Тест\r\n\r\n\r\nme@mail.test\r\n"));
    }

    void errorLineIsOneLine()
    {
        QCOMPARE(FeedbackMail::errorLine(QStringLiteral("535 bad\r\nlogin\n")), QStringLiteral("ERROR: 535 bad login"));
    }
};

QTEST_GUILESS_MAIN(TestFeedbackMail)
#include "test_feedback_mail.moc"
