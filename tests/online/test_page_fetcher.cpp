// FetchPage: the request on the wire, redirects, the kept page, the marker rule and bounded, re-entrant waits.
#include "FakeServices.h"
#include "LoopbackHttpServer.h"
#include "online/PageFetcher.h"

#include <QSignalSpy>
#include <QTest>
#include <QTimer>

using Server = LoopbackHttpServer;

class TestPageFetcher : public QObject
{
    Q_OBJECT

private:
    FakeNetState m_net;

    std::unique_ptr<PageFetcher> fetcher()
    {
        m_net.online = true;
        auto f = std::make_unique<PageFetcher>(&m_net);
        f->setTimeouts({2000, 3000});
        return f;
    }

private slots:
    void requestOnTheWireIsExact()
    {
        Server server;
        QVERIFY(server.listen());
        auto f = fetcher();
        f->fetchPage(server.url(QStringLiteral("/attachments/update.html?v=1")).toString());

        QCOMPARE(server.requests().size(), 1);
        const QByteArray expected
            = "POST /attachments/update.html?v=1 HTTP/1.0\r\n"
              "Content-Type: application/x-www-form-urlencoded\r\n"
              "Content-Length: 0\r\n"
              "Connection: keep-alive\r\n"
              "Host: 127.0.0.1:"
              + QByteArray::number(server.port())
              + "\r\n"
                "Accept: text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8\r\n"
                "Accept-Charset: windows-1251,utf-8;q=0.7,*;q=0.7\r\n"
                "Accept-Language: ru,en-us;q=0.7,en;q=0.3\r\n"
                "Referer: http://www.example.com/\r\n"
                "User-Agent: Mozilla/5.0 (Windows; U; Windows NT 5.1; ru; rv:1.9.0.10) Gecko/2009042316 "
                "Firefox/3.0.10\r\n"
                "\r\n";
        QCOMPARE(server.requests().first().raw, expected);
        QCOMPARE(f->lastPageText(), QStringLiteral("hello"));
    }

    void hostHeaderNamesPortOnlyWhenNotEighty_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<QByteArray>("host");
        QTest::newRow("default port") << "http://site.test/x" << QByteArray("site.test");
        QTest::newRow("explicit 80") << "http://site.test:80/x" << QByteArray("site.test");
        QTest::newRow("8080") << "http://site.test:8080/x" << QByteArray("site.test:8080");
    }
    void hostHeaderNamesPortOnlyWhenNotEighty()
    {
        QFETCH(QString, url);
        QFETCH(QByteArray, host);
        const QByteArray request = PageFetcher::buildRequest(QUrl(url), "POST", {}, {});
        QVERIFY2(request.contains("\r\nHost: " + host + "\r\n"), request.constData());
    }

    void paramsAreJoinedAndEncoded()
    {
        Server server;
        QVERIFY(server.listen());
        auto f = fetcher();
        f->fetchPage(server.url().toString(), {{"a", "1 2"}, {"b", "x&y"}});
        QCOMPARE(server.requests().first().body, QByteArray("a=1%202&b=x%26y"));
        QCOMPARE(server.requests().first().header("Content-Length"), QByteArray("15"));
    }

    void offlineSendsNothingAndKeepsPage()
    {
        Server server;
        QVERIFY(server.listen());
        auto f = fetcher();
        f->fetchPage(server.url().toString());
        QCOMPARE(f->lastPageText(), QStringLiteral("hello"));
        m_net.online = false;
        server.setHandler([](const Server::Request &) {
            return Server::reply(200, "OK", "other");
        });
        f->fetchPage(server.url().toString());
        QCOMPARE(server.requests().size(), 1);
        QCOMPARE(f->lastPageText(), QStringLiteral("hello"));
    }

    void failureKeepsLastGoodPage_data()
    {
        QTest::addColumn<int>("kind");
        QTest::newRow("404") << 0;
        QTest::newRow("500") << 1;
        QTest::newRow("connection refused") << 2;
        QTest::newRow("unreadable status line") << 3;
        QTest::newRow("body cut short") << 4;
        QTest::newRow("server never answers") << 5;
    }
    void failureKeepsLastGoodPage()
    {
        QFETCH(int, kind);
        Server server;
        QVERIFY(server.listen());
        auto f = fetcher();
        f->setTimeouts({1000, 300});
        server.setHandler([](const Server::Request &) {
            return Server::reply(200, "OK", "good page");
        });
        f->fetchPage(server.url().toString());
        QCOMPARE(f->lastPageText(), QStringLiteral("good page"));

        QString url = server.url().toString();
        server.setHandler([kind](const Server::Request &) {
            switch (kind) {
            case 0: return Server::reply(404, "Not Found", "<html>missing</html>");
            case 1: return Server::reply(500, "Internal Server Error", "oops");
            case 3: return Server::Reply{"garbage\r\n\r\n", false, false, 0};
            case 4: return Server::Reply{"HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\nshort", false, false, 0};
            default: return Server::silent();
            }
        });
        if (kind == 2) {
            Server closed;
            QVERIFY(closed.listen());
            url = closed.url().toString();
        } // closed's port is free again here: nobody listens on it
        f->fetchPage(url);
        QCOMPARE(f->lastPageText(), QStringLiteral("good page"));
    }

    void redirectsFollowedUpToFifteen_data()
    {
        QTest::addColumn<int>("redirects");
        QTest::addColumn<bool>("arrives");
        QTest::addColumn<bool>("async");
        for (bool async : {false, true}) {
            const char *way = async ? "without waiting: " : "waiting: ";
            QTest::addRow("%sone", way) << 1 << true << async;
            QTest::addRow("%sfifteen", way) << 15 << true << async;
            QTest::addRow("%ssixteen", way) << 16 << false << async;
        }
    }
    void redirectsFollowedUpToFifteen()
    {
        QFETCH(int, redirects);
        QFETCH(bool, arrives);
        QFETCH(bool, async);
        Server server;
        QVERIFY(server.listen());
        server.setHandler([redirects](const Server::Request &r) {
            const int step = r.target.mid(QByteArray("/step").size()).toInt();
            if (step < redirects)
                return Server::reply(302, "Found", {}, {{"Location", "/step" + QByteArray::number(step + 1)}});
            return Server::reply(200, "OK", "final");
        });
        auto f = fetcher();
        if (async) {
            bool done = false;
            f->fetchPageAsync(server.url(QStringLiteral("/step0")).toString(), [&done] {
                done = true;
            });
            QVERIFY(!done);
            QTRY_VERIFY(done);
        } else {
            f->fetchPage(server.url(QStringLiteral("/step0")).toString());
        }
        QCOMPARE(f->lastPageText(), arrives ? QStringLiteral("final") : QString());
        QCOMPARE(server.requests().size(), qMin(redirects, PageFetcher::MaxRedirects) + 1);
        // A 302 after a POST fetches the new address with GET, like a browser.
        QCOMPARE(server.requests().at(1).method, QByteArray("GET"));
    }

    void cookiesLiveForOneFetchOnly()
    {
        Server server;
        QVERIFY(server.listen());
        server.setHandler([](const Server::Request &r) {
            if (r.target == "/login")
                return Server::reply(302, "Found", {}, {{"Location", "/page"}, {"Set-Cookie", "sid=42; Path=/"}});
            return Server::reply(200, "OK", "page");
        });
        auto f = fetcher();
        f->fetchPage(server.url(QStringLiteral("/login")).toString());
        f->fetchPage(server.url(QStringLiteral("/page")).toString());
        QCOMPARE(server.requests().size(), 3);
        QCOMPARE(server.requests().at(1).header("Cookie"), QByteArray("sid=42"));
        QCOMPARE(server.requests().at(2).header("Cookie"), QByteArray());
    }

    void pageIsKeptByteForByte()
    {
        // Windows-1251 text and a NUL: no character-set conversion anywhere.
        const QByteArray body("\xC2\xE5\xF0\xF1\xE8\xFF 2.1.0.3\0end", 17);
        Server server;
        QVERIFY(server.listen());
        server.setHandler([body](const Server::Request &) {
            return Server::replyUntilClose(200, "OK", body);
        });
        auto f = fetcher();
        f->fetchPage(server.url().toString());
        QCOMPARE(f->lastPageBytes(), body);
        QCOMPARE(f->lastPageText().size(), body.size());
        QCOMPARE(f->lastPageText().toLatin1(), body);
    }

    void markerAsksForAttentionUntilAPageWithoutIt()
    {
        Server server;
        QVERIFY(server.listen());
        auto f = fetcher();
        QSignalSpy marker(f.get(), &PageFetcher::registrationMarkerSeen);
        QList<Server::Reply> replies{
            Server::reply(200, "OK", "plain"),        // no marker
            Server::reply(200, "OK", "x s1_reg=1 y"), // marker arrives
            Server::reply(404, "Not Found", "gone"),  // failed: the kept page still has it
            Server::reply(200, "OK", "clean page"),   // a page without it ends the rule
            Server::reply(500, "Error", "s1_reg="),   // a failed page never counts
        };
        const QList<int> expected{0, 1, 2, 2, 2};
        server.setHandler([&replies](const Server::Request &) {
            return replies.takeFirst();
        });
        for (int i = 0; i < expected.size(); ++i) {
            f->fetchPage(server.url().toString());
            QCOMPARE(marker.size(), expected.at(i));
        }
        m_net.online = false;
        f->fetchPage(server.url().toString());
        QCOMPARE(marker.size(), 2);
    }

    void silentServerEndsInTimeOutWhileEventsAreServed()
    {
        Server server;
        QVERIFY(server.listen());
        server.setHandler([](const Server::Request &) {
            return Server::silent();
        });
        auto f = fetcher();
        f->setTimeouts({1000, 400});
        int ticks = 0;
        QTimer timer;
        connect(&timer, &QTimer::timeout, [&ticks] {
            ++ticks;
        });
        timer.start(20);
        f->fetchPage(server.url().toString());
        QVERIFY2(ticks >= 3, qPrintable(QString::number(ticks)));
        QCOMPARE(server.requests().size(), 1);
        QCOMPARE(f->lastPageText(), QString());
    }

    void fetcherDestroyedDuringTheWait()
    {
        // The window closing while a redirect chain is under way: the chain's end touches nothing of it.
        Server server;
        QVERIFY(server.listen());
        server.setHandler([](const Server::Request &r) {
            if (r.target == "/a")
                return Server::delayed(Server::reply(302, "Found", {}, {{"Location", "/b"}}), 200);
            return Server::reply(200, "OK", "b");
        });
        m_net.online = true;
        auto *f = new PageFetcher(&m_net);
        QTimer::singleShot(50, [f] {
            delete f;
        });
        f->fetchPage(server.url(QStringLiteral("/a")).toString());
        QCOMPARE(server.requests().size(), 2);
    }

    void fetcherDestroyedBeforeTheAnswerWithoutWaiting()
    {
        Server server;
        QVERIFY(server.listen());
        server.setHandler([](const Server::Request &) {
            return Server::delayed(Server::reply(200, "OK", "late"), 200);
        });
        m_net.online = true;
        auto *f = new PageFetcher(&m_net);
        bool done = false;
        f->fetchPageAsync(server.url().toString(), [&done] {
            done = true;
        });
        QTRY_COMPARE(server.requests().size(), 1);
        delete f;
        QTest::qWait(400);
        QVERIFY(!done);
    }

    void offlineWithoutWaitingAnswersLaterAndSendsNothing()
    {
        Server server;
        QVERIFY(server.listen());
        auto f = fetcher();
        m_net.online = false;
        bool done = false;
        f->fetchPageAsync(server.url().toString(), [&done] {
            done = true;
        });
        QVERIFY(!done);
        QTRY_VERIFY(done);
        QCOMPARE(server.requests().size(), 0);
    }

    void nestedFetchesKeepTheirOwnAnswers()
    {
        // The outer fetch waits for a slow page; a timer starts another fetch inside that wait.
        Server server;
        QVERIFY(server.listen());
        server.setHandler([](const Server::Request &r) {
            if (r.target == "/slow")
                return Server::delayed(Server::replyChunked(200, "OK", QByteArray(5000, 'A'), 700), 300);
            return Server::reply(200, "OK", QByteArray(3000, 'B'));
        });
        auto f = fetcher();
        QByteArray innerPage;
        QTimer::singleShot(50, [&] {
            f->fetchPage(server.url(QStringLiteral("/fast")).toString());
            innerPage = f->lastPageBytes();
        });
        f->fetchPage(server.url(QStringLiteral("/slow")).toString());
        QCOMPARE(innerPage, QByteArray(3000, 'B'));
        // The last one to complete sets the page.
        QCOMPARE(f->lastPageBytes(), QByteArray(5000, 'A'));
    }
};

QTEST_GUILESS_MAIN(TestPageFetcher)
#include "test_page_fetcher.moc"
