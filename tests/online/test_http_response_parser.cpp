// The response reader: framings in any split, and the bounds a hostile server meets (header block, chunk sizes).
#include "LoopbackHttpServer.h"
#include "online/HttpExchange.h"
#include "online/HttpResponseParser.h"

#include <QSignalSpy>
#include <QTest>

namespace {

// Feeds bytes in pieces of step bytes (0: all at once), then the close when closeAfter.
HttpResponseParser parseIn(const QByteArray &bytes, int step, bool closeAfter)
{
    HttpResponseParser parser;
    if (step <= 0) {
        parser.feed(bytes);
    } else {
        for (qsizetype at = 0; at < bytes.size() && !parser.done() && !parser.bad(); at += step)
            parser.feed(bytes.mid(at, step));
    }
    if (closeAfter && !parser.done() && !parser.bad())
        parser.closed();
    return parser;
}

QByteArray headerLines(qsizetype bytes)
{
    QByteArray block;
    for (int i = 0; block.size() < bytes; ++i)
        block += "X-Filler-" + QByteArray::number(i) + ": " + QByteArray(100, 'a') + "\r\n";
    return block;
}

} // namespace

class TestHttpResponseParser : public QObject
{
    Q_OBJECT

private slots:
    void responses_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("closeAfter");
        QTest::addColumn<QString>("error");
        QTest::addColumn<QByteArray>("body");

        QTest::newRow("length") << QByteArray("HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello") << false << QString()
                                << QByteArray("hello");
        QTest::newRow("chunked") << QByteArray("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n"
                                               "3\r\nhel\r\n2;x=y\r\nlo\r\n0\r\nT: 1\r\n\r\n")
                                 << false << QString() << QByteArray("hello");
        QTest::newRow("until close") << QByteArray("HTTP/1.0 200 OK\r\n\r\nhello") << true << QString()
                                     << QByteArray("hello");
        QTest::newRow("interim answer first")
            << QByteArray("HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok") << false
            << QString() << QByteArray("ok");
        QTest::newRow("headers just under the bound")
            << QByteArray("HTTP/1.1 200 OK\r\n" + headerLines(60 * 1024) + "Content-Length: 2\r\n\r\nok") << false
            << QString() << QByteArray("ok");
        QTest::newRow("headers past the bound")
            << QByteArray("HTTP/1.1 200 OK\r\n" + headerLines(70 * 1024) + "Content-Length: 2\r\n\r\nok") << false
            << QStringLiteral("Response headers too large.") << QByteArray();
        QTest::newRow("one endless header line")
            << QByteArray("HTTP/1.1 200 OK\r\nX: " + QByteArray(70 * 1024, 'a')) << false
            << QStringLiteral("Response headers too large.") << QByteArray();
        QTest::newRow("interim answers without end")
            << QByteArray("HTTP/1.1 100 Continue\r\n\r\n").repeated(5000) << false
            << QStringLiteral("Response headers too large.") << QByteArray();
        QTest::newRow("trailer without end")
            << QByteArray("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n0\r\n" + headerLines(70 * 1024))
            << false << QStringLiteral("Response headers too large.") << QByteArray();
        QTest::newRow("chunk size at the top of the range")
            << QByteArray("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n1\r\na\r\n7fffffffffffffff\r\n")
            << false << QStringLiteral("Invalid chunk size: 7fffffffffffffff") << QByteArray();
        QTest::newRow("negative length") << QByteArray("HTTP/1.1 200 OK\r\nContent-Length: -1\r\n\r\n") << false
                                         << QStringLiteral("Invalid Content-Length: -1") << QByteArray();
        QTest::newRow("closed inside the headers") << QByteArray("HTTP/1.1 200 OK\r\nA: b\r\n") << true
                                                   << QStringLiteral("Connection closed gracefully.") << QByteArray();
        QTest::newRow("not http") << QByteArray("SSH-2.0-x\r\n") << false
                                  << QStringLiteral("Invalid HTTP response line: SSH-2.0-x") << QByteArray();
    }

    void responses()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, closeAfter);
        QFETCH(QString, error);
        QFETCH(QByteArray, body);
        // The same outcome whether the bytes come at once, one by one or in odd pieces.
        for (const int step : {0, 1, 7, 4096}) {
            HttpResponseParser parser = parseIn(bytes, step, closeAfter);
            QVERIFY2(parser.done() || parser.bad(), qPrintable(QString::number(step)));
            QCOMPARE(parser.error(), error);
            if (error.isEmpty())
                QCOMPARE(parser.take().body, body);
        }
    }

    void serverSendingEndlessHeadersIsCutOffBeforeTheTimeOut()
    {
        LoopbackHttpServer server;
        QVERIFY(server.listen());
        server.setHandler([](const LoopbackHttpServer::Request &) {
            LoopbackHttpServer::Reply reply;
            reply.raw = "HTTP/1.1 200 OK\r\n" + headerLines(1024 * 1024);
            reply.keepOpen = true;
            return reply;
        });
        HttpExchange exchange(QStringLiteral("127.0.0.1"), server.port(), "GET / HTTP/1.1\r\nHost: x\r\n\r\n",
                              {5000, 20000});
        QSignalSpy finished(&exchange, &HttpExchange::finished);
        exchange.start();
        // The time-out (20 s) would say "Read timed out.": the bound ends it first.
        QVERIFY(finished.wait(15000));
        QCOMPARE(exchange.failure(), QStringLiteral("Response headers too large."));
    }
};

QTEST_GUILESS_MAIN(TestHttpResponseParser)
#include "test_http_response_parser.moc"
