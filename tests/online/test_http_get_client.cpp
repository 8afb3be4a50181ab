// The voice's GET client: its request, response framings, errors raised, redirects and cookies kept.
#include "LoopbackHttpServer.h"
#include "online/HttpGetClient.h"
#include "platform/Failure.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>

using Server = LoopbackHttpServer;

class TestHttpGetClient : public QObject
{
    Q_OBJECT

private slots:
    void requestOnTheWireIsExact()
    {
        Server server;
        QVERIFY(server.listen());
        HttpGetClient client({2000, 3000});
        const QByteArray target = "/translate_tts?ie=UTF-8&tl=ru&q=%D0%94+a";
        QCOMPARE(client.get(server.url(), target), QByteArray("hello"));
        const QByteArray expected = "GET /translate_tts?ie=UTF-8&tl=ru&q=%D0%94+a HTTP/1.1\r\n"
                                    "Host: 127.0.0.1:"
                                    + QByteArray::number(server.port())
                                    + "\r\n"
                                      "Content-Type: text/html\r\n"
                                      "Accept: text/html, */*\r\n"
                                      "User-Agent: Mozilla/3.0 (compatible; Indy Library)\r\n"
                                      "Connection: close\r\n"
                                      "\r\n";
        QCOMPARE(server.requests().size(), 1);
        QCOMPARE(server.requests().first().raw, expected);
    }

    void bodyArrivesWhole_data()
    {
        QTest::addColumn<int>("framing");
        QTest::newRow("content length") << 0;
        QTest::newRow("content length, connection left open") << 1;
        QTest::newRow("chunked, small pieces") << 2;
        QTest::newRow("until close") << 3;
        QTest::newRow("after an interim 100") << 4;
    }
    void bodyArrivesWhole()
    {
        QFETCH(int, framing);
        QByteArray body;
        for (int i = 0; i < 200000; ++i)
            body += char(i * 7 % 256);
        Server server;
        QVERIFY(server.listen());
        server.setHandler([framing, body](const Server::Request &) {
            switch (framing) {
            case 1: {
                Server::Reply r = Server::reply(200, "OK", body);
                r.keepOpen = true;
                return r;
            }
            case 2: return Server::replyChunked(200, "OK", body, 777);
            case 3: return Server::replyUntilClose(200, "OK", body);
            case 4: {
                Server::Reply r = Server::reply(200, "OK", body);
                r.raw.prepend("HTTP/1.1 100 Continue\r\n\r\n");
                return r;
            }
            default: return Server::reply(200, "OK", body);
            }
        });
        HttpGetClient client({2000, 5000});
        QCOMPARE(client.get(server.url(), "/a.mp3"), body);
    }

    void failuresAreRaised_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("text");
        QTest::newRow("404") << 0 << "HTTP/1.1 404 Not Found";
        QTest::newRow("500") << 1 << "HTTP/1.1 500 Internal Server Error";
        QTest::newRow("connection refused") << 2 << "";
        QTest::newRow("never answers") << 3 << "Read timed out.";
        QTest::newRow("closed before the end") << 4 << "Connection closed gracefully.";
        QTest::newRow("unreadable status line") << 5 << "";
        QTest::newRow("redirect without a target") << 6 << "HTTP/1.1 302 Found";
    }
    void failuresAreRaised()
    {
        QFETCH(int, kind);
        QFETCH(QString, text);
        Server server;
        QVERIFY(server.listen());
        server.setHandler([kind](const Server::Request &) {
            switch (kind) {
            case 0: return Server::reply(404, "Not Found", "<html>no</html>");
            case 1: return Server::reply(500, "Internal Server Error");
            case 3: return Server::silent();
            case 4: return Server::Reply{"HTTP/1.1 200 OK\r\nContent-Length: 9\r\n\r\nabc", false, false, 0};
            case 5: return Server::Reply{"ICY 200 OK\r\n\r\n", false, false, 0};
            default: return Server::reply(302, "Found");
            }
        });
        QUrl url = server.url();
        if (kind == 2) {
            Server closed;
            QVERIFY(closed.listen());
            url = closed.url();
        }
        HttpGetClient client({1000, 300});
        try {
            client.get(url, "/x");
            QFAIL("no failure raised");
        } catch (const Failure &f) {
            QVERIFY(!f.text().isEmpty());
            if (!text.isEmpty())
                QCOMPARE(f.text(), text);
        }
    }

    void redirectIsNotFollowed()
    {
        Server server;
        QVERIFY(server.listen());
        server.setHandler([](const Server::Request &) {
            return Server::reply(302, "Found", "moved", {{"Location", "/elsewhere"}});
        });
        HttpGetClient client({2000, 3000});
        QCOMPARE(client.get(server.url(), "/x"), QByteArray("moved"));
        QCOMPARE(server.requests().size(), 1);
    }

    void cookiesLastForTheRun()
    {
        Server server;
        QVERIFY(server.listen());
        server.setHandler([](const Server::Request &r) {
            if (r.target == "/first")
                return Server::reply(200, "OK", "a", {{"Set-Cookie", "NID=abc; Path=/"}});
            return Server::reply(404, "Not Found", {}, {{"Set-Cookie", "PREF=2; Path=/"}});
        });
        HttpGetClient client({2000, 3000});
        client.get(server.url(), "/first");
        QVERIFY_THROWS_EXCEPTION(Failure, client.get(server.url(), "/second"));
        client.get(server.url(), "/first");
        QCOMPARE(server.requests().at(0).header("Cookie"), QByteArray());
        QCOMPARE(server.requests().at(1).header("Cookie"), QByteArray("NID=abc"));
        QCOMPARE(server.requests().at(2).header("Cookie"), QByteArray("NID=abc; PREF=2"));
    }

    void connectThatHangsEndsInConnectTimeOut()
    {
        // A listener whose accept queue is full drops further handshakes: the connect never completes.
        QTcpServer full;
        full.setListenBacklogSize(0);
        QVERIFY(full.listen(QHostAddress::LocalHost, 0));
        full.pauseAccepting();
        std::vector<std::unique_ptr<QTcpSocket>> fillers;
        for (int i = 0; i < 4; ++i) {
            fillers.push_back(std::make_unique<QTcpSocket>());
            fillers.back()->connectToHost(QHostAddress::LocalHost, full.serverPort());
        }
        QTest::qWait(100);
        QTcpSocket probe;
        probe.connectToHost(QHostAddress::LocalHost, full.serverPort());
        if (probe.waitForConnected(200))
            QSKIP("this kernel completes handshakes beyond a full accept queue");
        HttpGetClient client({300, 5000});
        try {
            client.get(QUrl(QStringLiteral("http://127.0.0.1:%1").arg(full.serverPort())), "/x");
            QFAIL("no failure raised");
        } catch (const Failure &f) {
            QCOMPARE(f.text(), QStringLiteral("Connect timed out."));
        }
    }

    void waitServesEventsAndEndsInTimeOut()
    {
        Server server;
        QVERIFY(server.listen());
        server.setHandler([](const Server::Request &) {
            return Server::silent();
        });
        HttpGetClient client({1000, 400});
        int ticks = 0;
        QTimer timer;
        connect(&timer, &QTimer::timeout, [&ticks] {
            ++ticks;
        });
        timer.start(20);
        QVERIFY_THROWS_EXCEPTION(Failure, client.get(server.url(), "/x"));
        QVERIFY2(ticks >= 3, qPrintable(QString::number(ticks)));
    }
};

QTEST_GUILESS_MAIN(TestHttpGetClient)
#include "test_http_get_client.moc"
