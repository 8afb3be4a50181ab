// The mail client against a real SMTP server on loopback (tools/smtp_server.py), plus its reply reader and the
// DATA encoding on their own.
#include "LoopbackSmtpServer.h"
#include "online/SmtpMail.h"
#include "online/SmtpReplyReader.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QHash>
#include <QJsonObject>
#include <QProcess>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

namespace {

SmtpEnvelope sampleMail()
{
    SmtpEnvelope mail;
    mail.from = QStringLiteral("feedback@example.test");
    mail.to = QStringLiteral("author@example.test");
    // A line that begins with a dot checks that it is doubled on the way and undoubled by the server.
    mail.content = "From: feedback@example.test\r\n"
                   "To: author@example.test\r\n"
                   "Subject: Veltrane. ID:00-1A-2B-3C-4D-5E\r\n"
                   "X-Mailer: Veltrane test\r\n"
                   "MIME-Version: 1.0\r\n"
                   "Content-Type: text/plain; charset=us-ascii\r\n"
                   "\r\n"
                   "First line\n"
                   ".hidden dot line\n"
                   "\n"
                   "user@example.test\n";
    return mail;
}

struct Outcome
{
    bool ok = false;
    QString error;
    qint64 ms = 0;
};

Outcome sendAndWait(SmtpMail &client, const SmtpServer &server, const SmtpEnvelope &mail, int waitMs = 20000)
{
    QSignalSpy finished(&client, &SmtpMail::finished);
    QElapsedTimer clock;
    clock.start();
    client.send(server, mail);
    Outcome outcome;
    if (!finished.wait(waitMs))
        return outcome;
    outcome.ms = clock.elapsed();
    outcome.ok = finished.first().at(0).toBool();
    outcome.error = finished.first().at(1).toString();
    // Exactly one report per mail.
    QTest::qWait(100);
    if (finished.size() != 1)
        outcome.error += QStringLiteral(" (reported %1 times)").arg(finished.size());
    return outcome;
}

SmtpServer loopback(quint16 port, const QString &user = {}, const QString &password = {})
{
    return SmtpServer{QStringLiteral("127.0.0.1"), port, user, password};
}

// A peer that answers from a script, for the conversations a real server will not hold: an EHLO refused, data
// pushed after the STARTTLS go-ahead, a refused recipient. Records every line the client sends.
class ScriptedPeer : public QObject
{
public:
    /// Replies by command word ("EHLO", "STARTTLS", "RCPT", ...), "greeting" and "end" (after the mail's dot);
    /// anything not named gets a plain success.
    explicit ScriptedPeer(const QHash<QByteArray, QByteArray> &script) : m_script(script)
    {
        m_server.listen(QHostAddress::LocalHost);
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            m_socket = m_server.nextPendingConnection();
            m_socket->write(reply("greeting", "220 peer ready\r\n"));
            connect(m_socket, &QTcpSocket::readyRead, this, &ScriptedPeer::onReadyRead);
        });
    }

    quint16 port() const { return m_server.serverPort(); }
    QList<QByteArray> lines;

private:
    QByteArray reply(const QByteArray &key, const QByteArray &otherwise) const
    {
        return m_script.value(key, otherwise);
    }

    void onReadyRead()
    {
        while (m_socket->canReadLine()) {
            const QByteArray line = m_socket->readLine().chopped(2);
            if (m_inData) {
                if (line == ".") {
                    m_inData = false;
                    m_socket->write(reply("end", "250 taken\r\n"));
                }
                continue;
            }
            lines << line;
            if (m_authStep > 0) {
                m_socket->write(m_authStep++ == 1 ? "334 UGFzc3dvcmQ6\r\n" : "235 welcome\r\n");
                if (m_authStep > 2)
                    m_authStep = 0;
                continue;
            }
            const QByteArray word = line.split(' ').first().split(':').first().toUpper();
            if (word == "AUTH")
                m_authStep = 1;
            if (word == "DATA")
                m_inData = !m_script.contains("DATA");
            static const QHash<QByteArray, QByteArray> plain{{"EHLO", "250-peer\r\n250 HELP\r\n"},
                                                             {"AUTH", "334 VXNlcm5hbWU6\r\n"},
                                                             {"DATA", "354 go ahead\r\n"},
                                                             {"QUIT", "221 bye\r\n"}};
            m_socket->write(reply(word, plain.value(word, "250 OK\r\n")));
        }
    }

    QHash<QByteArray, QByteArray> m_script;
    QTcpServer m_server;
    QTcpSocket *m_socket = nullptr;
    bool m_inData = false;
    int m_authStep = 0;
};

} // namespace

class TestSmtpMail : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_cert;
    QString m_key;

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY2(LoopbackSmtpServer::available(), "/usr/bin/python3 with python3-aiosmtpd is needed");
        // A throw-away certificate for 127.0.0.1, trusted only by the clients that are told to.
        m_cert = m_dir.filePath(QStringLiteral("cert.pem"));
        m_key = m_dir.filePath(QStringLiteral("key.pem"));
        QProcess openssl;
        openssl.start(QStringLiteral("openssl"),
                      {"req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes", "-keyout",
                       m_key, "-out", m_cert, "-days", "2", "-subj", "/CN=127.0.0.1", "-addext",
                       "subjectAltName=IP:127.0.0.1"});
        QVERIFY2(openssl.waitForFinished(20000), "openssl did not finish");
        QVERIFY2(openssl.exitCode() == 0, openssl.readAllStandardError().constData());
    }

    void replyReader_data()
    {
        QTest::addColumn<QList<QByteArray>>("chunks");
        QTest::addColumn<QList<int>>("codes");
        QTest::addColumn<QList<int>>("lineCounts");
        QTest::addColumn<bool>("fails");

        using Chunks = QList<QByteArray>;
        using Ints = QList<int>;
        QTest::newRow("one line") << Chunks{"220 mail.test ready\r\n"} << Ints{220} << Ints{1} << false;
        QTest::newRow("multi-line in one packet")
            << Chunks{"250-mail.test\r\n250-STARTTLS\r\n250-AUTH LOGIN PLAIN\r\n250 HELP\r\n"} << Ints{250} << Ints{4}
            << false;
        QTest::newRow("multi-line cut inside the code and between CR and LF")
            << Chunks{"25", "0-mail.test\r", "\n250-AUTH LOG", "IN\r\n2", "50 HELP\r", "\n"} << Ints{250} << Ints{3}
            << false;
        QTest::newRow("two replies in one packet")
            << Chunks{"250 OK\r\n354 go ahead\r\n"} << Ints{250, 354} << Ints{1, 1} << false;
        QTest::newRow("a reply and the start of the next")
            << Chunks{"250 OK\r\n334 VXNl", "cm5hbWU6\r\n"} << Ints{250, 334} << Ints{1, 1} << false;
        QTest::newRow("bare LF line ends and a bare code") << Chunks{"250-a\n250\n"} << Ints{250} << Ints{2} << false;
        QTest::newRow("incomplete line waits") << Chunks{"250 O"} << Ints{} << Ints{} << false;
        QTest::newRow("not a reply") << Chunks{"hello\r\n"} << Ints{} << Ints{} << true;
        QTest::newRow("code changes inside a reply") << Chunks{"250-a\r\n251 b\r\n"} << Ints{} << Ints{} << true;
        QTest::newRow("endless line") << Chunks{QByteArray("250 ") + QByteArray(5000, 'x')} << Ints{} << Ints{} << true;
        const QByteArray longest = "250 " + QByteArray(SmtpReplyReader::MaxLineLength - 4, 'x');
        QTest::newRow("longest line, its LF in the next packet")
            << Chunks{longest + "\r", "\n"} << Ints{250} << Ints{1} << false;
        QTest::newRow("endless reply") << Chunks{QByteArray("250-x\r\n").repeated(200) + "250 end\r\n"} << Ints{}
                                       << Ints{} << true;
    }

    void replyReader()
    {
        QFETCH(QList<QByteArray>, chunks);
        QFETCH(QList<int>, codes);
        QFETCH(QList<int>, lineCounts);
        QFETCH(bool, fails);

        SmtpReplyReader reader;
        bool ok = true;
        for (const QByteArray &chunk : chunks)
            ok = reader.feed(chunk) && ok;
        QCOMPARE(!ok, fails);
        QCOMPARE(reader.failed(), fails);
        QList<int> gotCodes, gotCounts;
        while (reader.hasReply()) {
            const SmtpReplyReader::Reply reply = reader.takeReply();
            gotCodes << reply.code;
            gotCounts << int(reply.lines.size());
        }
        QCOMPARE(gotCodes, codes);
        QCOMPARE(gotCounts, lineCounts);
    }

    void dataPayload_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QByteArray>("payload");
        QTest::newRow("CRLF kept") << QByteArray("a\r\nb\r\n") << QByteArray("a\r\nb\r\n.\r\n");
        QTest::newRow("LF and CR become CRLF") << QByteArray("a\nb\rc\n") << QByteArray("a\r\nb\r\nc\r\n.\r\n");
        QTest::newRow("last line without an end") << QByteArray("a\r\nb") << QByteArray("a\r\nb\r\n.\r\n");
        QTest::newRow("leading dots doubled")
            << QByteArray(".\n..x\ny.z\n") << QByteArray("..\r\n...x\r\ny.z\r\n.\r\n");
        QTest::newRow("a lone dot line cannot end the mail early")
            << QByteArray("a\r\n.\r\nb\r\n") << QByteArray("a\r\n..\r\nb\r\n.\r\n");
        QTest::newRow("empty") << QByteArray() << QByteArray(".\r\n");
    }

    void dataPayload()
    {
        QFETCH(QByteArray, content);
        QFETCH(QByteArray, payload);
        QCOMPARE(SmtpMail::dataPayload(content), payload);
    }

    void deliversWithLogin()
    {
        LoopbackSmtpServer server;
        QVERIFY(server.start({"--user", "feedback@example.test", "--password", "s3cr:t"}));
        SmtpMail client;
        client.setLocalName(QStringLiteral("desk.test"));
        const Outcome out
            = sendAndWait(client, loopback(server.port(), "feedback@example.test", "s3cr:t"), sampleMail());
        QVERIFY2(out.ok, qPrintable(out.error));

        const QJsonObject got = server.nextRecord();
        QCOMPARE(got.value("event").toString(), QStringLiteral("mail"));
        QCOMPARE(got.value("helo").toString(), QStringLiteral("desk.test"));
        QCOMPARE(got.value("tls").toBool(), false);
        QCOMPARE(got.value("login").toObject().value("user").toString(), QStringLiteral("feedback@example.test"));
        QCOMPARE(got.value("login").toObject().value("password").toString(), QStringLiteral("s3cr:t"));
        QCOMPARE(got.value("mail_from").toString(), QStringLiteral("feedback@example.test"));
        QCOMPARE(got.value("rcpt_tos").toVariant().toStringList(), QStringList{"author@example.test"});
        QCOMPARE(got.value("subject").toString(), QStringLiteral("Veltrane. ID:00-1A-2B-3C-4D-5E"));
        QCOMPARE(got.value("body").toString(),
                 QStringLiteral("First line\r\n.hidden dot line\r\n\r\nuser@example.test\r\n"));
    }

    void noLoginWithoutAnAccountOrWithoutLoginOnOffer_data()
    {
        QTest::addColumn<QStringList>("serverOptions");
        QTest::addColumn<QString>("user");
        // The server without an account announces AUTH PLAIN only, and refuses every login.
        QTest::newRow("server does not announce LOGIN") << QStringList{} << QStringLiteral("feedback@example.test");
        QTest::newRow("no account set") << QStringList{"--user", "x", "--password", "y"} << QString();
    }

    void noLoginWithoutAnAccountOrWithoutLoginOnOffer()
    {
        QFETCH(QStringList, serverOptions);
        QFETCH(QString, user);
        LoopbackSmtpServer server;
        QVERIFY(server.start(serverOptions));
        SmtpMail client;
        const Outcome out = sendAndWait(client, loopback(server.port(), user, "pw"), sampleMail());
        QVERIFY2(out.ok, qPrintable(out.error));
        const QJsonObject got = server.nextRecord();
        QCOMPARE(got.value("event").toString(), QStringLiteral("mail"));
        QVERIFY(got.value("login").isNull());
        QCOMPARE(got.value("subject").toString(), QStringLiteral("Veltrane. ID:00-1A-2B-3C-4D-5E"));
    }

    void refusedLoginEndsWithTheServersReply()
    {
        LoopbackSmtpServer server;
        QVERIFY(server.start({"--user", "feedback@example.test", "--password", "right"}));
        SmtpMail client;
        const Outcome out
            = sendAndWait(client, loopback(server.port(), "feedback@example.test", "wrong"), sampleMail());
        QVERIFY(!out.ok);
        QVERIFY2(out.error.startsWith(QStringLiteral("535")), qPrintable(out.error));
        QCOMPARE(server.nextRecord().value("event").toString(), QStringLiteral("login refused"));
        QVERIFY(server.nextRecord(500).isEmpty()); // no mail
    }

    void switchesToTlsBeforeTheLogin()
    {
        LoopbackSmtpServer server;
        // The server announces AUTH only after STARTTLS: a login is possible only over TLS.
        QVERIFY(server.start(
            {"--cert", m_cert, "--key", m_key, "--user", "feedback@example.test", "--password", "s3cret"}));
        SmtpMail client;
        QFile certificate(m_cert);
        QVERIFY(certificate.open(QIODevice::ReadOnly));
        client.setExtraCaCertificates(certificate.readAll());
        const Outcome out
            = sendAndWait(client, loopback(server.port(), "feedback@example.test", "s3cret"), sampleMail());
        QVERIFY2(out.ok, qPrintable(out.error));
        const QJsonObject got = server.nextRecord();
        QCOMPARE(got.value("tls").toBool(), true);
        QCOMPARE(got.value("login").toObject().value("password").toString(), QStringLiteral("s3cret"));
        QCOMPARE(got.value("body").toString(),
                 QStringLiteral("First line\r\n.hidden dot line\r\n\r\nuser@example.test\r\n"));
    }

    void untrustedCertificateStopsTheMailAndThePassword()
    {
        LoopbackSmtpServer server;
        QVERIFY(server.start(
            {"--cert", m_cert, "--key", m_key, "--user", "feedback@example.test", "--password", "s3cret"}));
        SmtpMail client; // trusts the system's certificates only
        const Outcome out
            = sendAndWait(client, loopback(server.port(), "feedback@example.test", "s3cret"), sampleMail());
        QVERIFY(!out.ok);
        QVERIFY2(out.error.contains(QStringLiteral("TLS")), qPrintable(out.error));
        QVERIFY(server.nextRecord(500).isEmpty()); // neither a mail nor a login attempt
    }

    void repliesInPiecesAreReadWhole()
    {
        LoopbackSmtpServer server;
        QVERIFY(server.start({"--split", "--user", "feedback@example.test", "--password", "pw"}));
        SmtpMail client;
        const Outcome out = sendAndWait(client, loopback(server.port(), "feedback@example.test", "pw"), sampleMail());
        QVERIFY2(out.ok, qPrintable(out.error));
        const QJsonObject got = server.nextRecord();
        QCOMPARE(got.value("login").toObject().value("user").toString(), QStringLiteral("feedback@example.test"));
        QCOMPARE(got.value("rcpt_tos").toVariant().toStringList(), QStringList{"author@example.test"});
    }

    void silentServerEndsWithinTheReplyTimeout_data()
    {
        QTest::addColumn<QString>("stallAt");
        QTest::newRow("no greeting") << QString();
        QTest::newRow("after MAIL FROM") << QStringLiteral("MAIL");
        QTest::newRow("after the mail's end") << QStringLiteral("DATA");
    }

    void silentServerEndsWithinTheReplyTimeout()
    {
        QFETCH(QString, stallAt);
        LoopbackSmtpServer server;
        QTcpServer mute; // accepts and never says a word
        quint16 port = 0;
        if (stallAt.isEmpty()) {
            QVERIFY(mute.listen(QHostAddress::LocalHost));
            port = mute.serverPort();
        } else {
            QVERIFY(server.start({"--stall", stallAt}));
            port = server.port();
        }
        SmtpMail client;
        client.setReplyTimeoutMs(800);
        const Outcome out = sendAndWait(client, loopback(port), sampleMail(), 10000);
        QVERIFY2(!out.ok && !out.error.isEmpty(), "no failure reported");
        QVERIFY2(out.error.contains(QStringLiteral("did not answer")), qPrintable(out.error));
    }

    void unreachableServerFails()
    {
        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost));
        const quint16 port = closed.serverPort();
        closed.close();
        SmtpMail client;
        const Outcome out = sendAndWait(client, loopback(port), sampleMail(), 10000);
        QVERIFY(!out.ok);
        QVERIFY2(!out.error.isEmpty(), "no reason given");
    }

    void scriptedConversations_data()
    {
        using Script = QHash<QByteArray, QByteArray>;
        QTest::addColumn<Script>("script");
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("error");
        QTest::addColumn<QList<QByteArray>>("lines");

        const QByteArray from = "MAIL FROM:<feedback@example.test>", to = "RCPT TO:<author@example.test>";
        QTest::newRow("EHLO refused: HELO, no extensions")
            << Script{{"EHLO", "502 not here\r\n"}} << QStringLiteral("u") << QString()
            << QList<QByteArray>{"EHLO desk.test", "HELO desk.test", "RSET", from, to, "DATA", "QUIT"};
        QTest::newRow("LOGIN announced in the AUTH= form")
            << Script{{"EHLO", "250-peer\r\n250 AUTH=LOGIN\r\n"}} << QStringLiteral("u") << QString()
            << QList<QByteArray>{"EHLO desk.test", "RSET", "AUTH LOGIN", "dQ==", "cHc=", from, to, "DATA", "QUIT"};
        QTest::newRow("recipient forwarded (251)")
            << Script{{"RCPT", "251 forwarded\r\n"}} << QString() << QString()
            << QList<QByteArray>{"EHLO desk.test", "RSET", from, to, "DATA", "QUIT"};
        QTest::newRow("recipient refused")
            << Script{{"RCPT", "550 5.1.1 no such user\r\n"}} << QString() << QStringLiteral("550 5.1.1 no such user")
            << QList<QByteArray>{"EHLO desk.test", "RSET", from, to, "QUIT"};
        QTest::newRow("greeting refused") << Script{{"greeting", "554 go away\r\n"}} << QString()
                                          << QStringLiteral("554 go away") << QList<QByteArray>{"QUIT"};
        QTest::newRow("mail refused at its end")
            << Script{{"end", "552 too big\r\n"}} << QString() << QStringLiteral("552 too big")
            << QList<QByteArray>{"EHLO desk.test", "RSET", from, to, "DATA", "QUIT"};
        // Whatever comes after the go-ahead would be read as if it had come through TLS.
        QTest::newRow("data pushed after the STARTTLS go-ahead")
            << Script{{"EHLO", "250-peer\r\n250 STARTTLS\r\n"}, {"STARTTLS", "220 go\r\n250 AUTH=LOGIN\r\n"}}
            << QStringLiteral("u") << QStringLiteral("The mail server sent data after agreeing to STARTTLS")
            << QList<QByteArray>{"EHLO desk.test", "STARTTLS"};
    }

    void scriptedConversations()
    {
        using Script = QHash<QByteArray, QByteArray>;
        QFETCH(Script, script);
        QFETCH(QString, user);
        QFETCH(QString, error);
        QFETCH(QList<QByteArray>, lines);
        ScriptedPeer peer(script);
        SmtpMail client;
        client.setLocalName(QStringLiteral("desk.test"));
        const Outcome out = sendAndWait(client, loopback(peer.port(), user, "pw"), sampleMail(), 10000);
        QCOMPARE(out.ok, error.isEmpty());
        QCOMPARE(out.error, error);
        QTRY_COMPARE_WITH_TIMEOUT(peer.lines, lines, 2000);
    }

    void aReceiverMayWaitInANestedLoop()
    {
        // What the window does with the outcome: a message box, whose event loop runs for as long as the user
        // leaves it up. The connection being closed meanwhile must not pull anything from under the client.
        LoopbackSmtpServer server;
        QVERIFY(server.start());
        SmtpMail client;
        int outcomes = 0;
        connect(&client, &SmtpMail::finished, this, [&outcomes] {
            ++outcomes;
            QEventLoop box;
            QTimer::singleShot(2500, &box, &QEventLoop::quit);
            box.exec();
        });
        client.send(loopback(server.port()), sampleMail());
        QTRY_COMPARE_WITH_TIMEOUT(outcomes, 1, 15000);
        QCOMPARE(server.nextRecord().value("event").toString(), QStringLiteral("mail"));
        const Outcome again = sendAndWait(client, loopback(server.port()), sampleMail());
        QVERIFY2(again.ok, qPrintable(again.error));
    }

    void unsafeAddressesAreRefusedBeforeConnecting_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::newRow("line break in the recipient")
            << QStringLiteral("a@b.test") << QStringLiteral("x@y.test>\r\nRCPT TO:<z@w.test");
        QTest::newRow("empty sender") << QString() << QStringLiteral("x@y.test");
        QTest::newRow("space in the sender") << QStringLiteral("a b@c.test") << QStringLiteral("x@y.test");
    }

    void unsafeAddressesAreRefusedBeforeConnecting()
    {
        QFETCH(QString, from);
        QFETCH(QString, to);
        QTcpServer listener;
        QVERIFY(listener.listen(QHostAddress::LocalHost));
        SmtpMail client;
        SmtpEnvelope mail = sampleMail();
        mail.from = from;
        mail.to = to;
        const Outcome out = sendAndWait(client, loopback(listener.serverPort()), mail, 5000);
        QVERIFY(!out.ok);
        QVERIFY(out.error.contains(QStringLiteral("cannot be used")));
        QVERIFY(!listener.hasPendingConnections());
    }
};

QTEST_GUILESS_MAIN(TestSmtpMail)
#include "test_smtp_mail.moc"
