// The network module: loaded from its file, and without it every network use fails the way a network failure does
// (an exception or a failure text the caller already handles), from the event loop, never a crash or a hang.
#include "FakeServices.h"
#include "LoopbackHttpServer.h"
#include "calendar/FeedDownload.h"
#include "online/HttpExchange.h"
#include "online/HttpGetClient.h"
#include "online/MachineId.h"
#include "online/PageFetcher.h"
#include "online/SmtpMail.h"
#include "platform/Failure.h"
#include "platform/Net.h"

#include <QSignalSpy>
#include <QTest>

class TestNetModule : public QObject
{
    Q_OBJECT

    NetFactory *m_linked = nullptr;

private slots:
    void init() { m_linked = NetModule::factory(); }
    void cleanup() { NetModule::use(m_linked); }

    void theModuleFileOffersTheStack()
    {
        QString error;
        NetFactory *module = NetModule::load(QStringLiteral(NET_MODULE), &error);
        QVERIFY2(module, qPrintable(error));
        // The module's own stack answers a real exchange.
        NetModule::use(module);
        LoopbackHttpServer server;
        QVERIFY(server.listen());
        HttpGetClient client({2000, 3000});
        QCOMPARE(client.get(server.url(), "/"), QByteArray("hello"));

        QVERIFY(!NetModule::load(QStringLiteral("/nonexistent/VeltraneNet.so"), &error));
        QVERIFY(error.contains(QStringLiteral("VeltraneNet.so")));
    }

    void withoutTheModuleEveryUseFailsCleanly()
    {
        LoopbackHttpServer server;
        QVERIFY(server.listen());
        NetModule::use(nullptr);
        const QString missing = QString::fromLatin1(NetModule::Missing);

        // The exchange: from the event loop, once, with the module's failure; the server never hears of it.
        HttpExchange exchange(QStringLiteral("127.0.0.1"), server.port(), "GET / HTTP/1.1\r\n\r\n", {2000, 3000});
        QSignalSpy finished(&exchange, &HttpExchange::finished);
        exchange.start();
        QCOMPARE(finished.size(), 0);
        QVERIFY(finished.wait(2000));
        QCOMPARE(exchange.failure(), missing);

        HttpGetClient client({2000, 3000});
        try {
            client.get(server.url(), "/");
            QFAIL("a GET without the network module succeeded");
        } catch (const Failure &f) {
            QCOMPARE(f.text(), missing);
        }

        // The page keeps what it held, and the fetch still ends.
        FakeNetState net;
        net.online = true;
        PageFetcher pages(&net);
        bool done = false;
        pages.fetchPageAsync(server.url().toString(), [&] {
            done = true;
        });
        QTRY_VERIFY_WITH_TIMEOUT(done, 2000);
        QVERIFY(pages.lastPageText().isEmpty());
        QCOMPARE(server.requests().size(), 0);

        SmtpMail mail;
        QSignalSpy sent(&mail, &SmtpMail::finished);
        mail.send({QStringLiteral("127.0.0.1"), 25, {}, {}},
                  {QStringLiteral("a@example.test"), QStringLiteral("b@example.test"), "Subject: x\r\n\r\nbody"});
        QCOMPARE(sent.size(), 0);
        QVERIFY(sent.wait(2000));
        QCOMPARE(sent.first().at(0).toBool(), false);
        QCOMPARE(sent.first().at(1).toString(), missing);
        QVERIFY(!mail.isBusy());

        FeedDownload feed;
        QSignalSpy fed(&feed, &FeedDownload::finished);
        feed.start(server.url(QStringLiteral("/feed.xml")));
        QVERIFY(fed.wait(2000));
        QCOMPARE(fed.size(), 1);
        QCOMPARE(fed.first().at(1).toString(), missing);
        QVERIFY(!feed.isRunning());

        QCOMPARE(MachineId::current(), QString::fromLatin1(MachineId::NotFound));
    }
};

QTEST_GUILESS_MAIN(TestNetModule)
#include "test_net_module.moc"
