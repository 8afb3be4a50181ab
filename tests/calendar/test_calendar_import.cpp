// The whole calendar: a real week served by a loopback HTTP server into a table file, nothing asked offline,
// and every way the feed can fail leaving the table as it was.
#include "calendar/CalendarImport.h"

#include "FakeServices.h"
#include "LoopbackHttpServer.h"
#include "TempAppDir.h"
#include "store/DataSet.h"
#include "store/TableSchemas.h"

#include <QFile>
#include <QSignalSpy>
#include <QtTest>

namespace {

QByteArray realWeek()
{
    QFile file(QStringLiteral(CALENDAR_FIXTURES "/week-2025-05-04.xml"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// "title|country|yyyy-MM-dd|HH:mm|impact" of a row.
QString rowText(const DataSet &ds, int r)
{
    auto v = [&](const char *name) {
        return ds.valueAt(r, ds.fieldIndex(QLatin1String(name)));
    };
    return QStringList{v("title").toString(), v("country").toString(), v("date").toDate().toString(Qt::ISODate),
                       v("time").toTime().toString(QStringLiteral("HH:mm")), v("impact").toString()}
        .join(QLatin1Char('|'));
}

struct Fixture
{
    TempAppDir dir;
    FakeServices fakes;
    DataSet econom;
    LoopbackHttpServer server;
    std::unique_ptr<CalendarImport> calendar;
    QStringList reports;

    Fixture()
    {
        fakes.net.online = true;
        fakes.clock.setLocal(QDateTime(QDate(2025, 5, 5), QTime(12, 0)));
        TableSchemas::openEconom(econom, dir.appDir());
        calendar = std::make_unique<CalendarImport>(&econom, fakes.services());
        calendar->setReportFailure([this](const QString &text) {
            reports << text;
        });
        QVERIFY(server.listen());
        calendar->setFeedUrl(server.url(QStringLiteral("/ffcal_week_this.xml")));
    }

    /// Runs one import to its end; returns the failure text (empty when the feed was merged).
    QString run()
    {
        QSignalSpy done(calendar.get(), &CalendarImport::finished);
        calendar->importCalendar();
        if (!done.isEmpty())
            return QStringLiteral("finished inside importCalendar()");
        if (!done.wait(15000))
            return QStringLiteral("never finished");
        return done.first().at(1).toString();
    }

    void addPastRow()
    {
        econom.insert();
        econom.fieldByName(QStringLiteral("title")).setValue(QStringLiteral("Last week"));
        econom.fieldByName(QStringLiteral("date")).setValue(QDate(2025, 4, 28));
        econom.post();
        econom.saveToFile();
    }
};

} // namespace

class TestCalendarImport : public QObject
{
    Q_OBJECT
private slots:
    void realWeek_data()
    {
        QTest::addColumn<QString>("framing");
        QTest::addColumn<int>("offset");
        QTest::addColumn<int>("rows");
        QTest::addColumn<QString>("newest");
        QTest::addColumn<QString>("oldest");

        // Two speeches of one member on one day share title, day and country: the second is not another row.
        const QString moscowNewest = QStringLiteral("PPI y/y|CNY|2025-05-10|04:30|Средний");
        const QString moscowOldest = QStringLiteral("Bank Holiday|JPY|2025-05-05|02:00|Выходной");
        const QString newYorkNewest = QStringLiteral("PPI y/y|CNY|2025-05-09|20:30|Средний");
        const QString newYorkOldest = QStringLiteral("CPI m/m|CHF|2025-05-05|01:30|Высокий");
        QTest::newRow("+3, as published") << "length" << 3 << 90 << moscowNewest << moscowOldest;
        QTest::newRow("+3, CRLF, chunked") << "crlf chunked" << 3 << 90 << moscowNewest << moscowOldest;
        QTest::newRow("-5, until close") << "close" << -5 << 87 << newYorkNewest << newYorkOldest;
    }
    void realWeek()
    {
        QFETCH(QString, framing);
        QFETCH(int, offset);
        QFETCH(int, rows);
        QFETCH(QString, newest);
        QFETCH(QString, oldest);

        Fixture f;
        f.addPastRow();
        QByteArray body = ::realWeek();
        QVERIFY(!body.isEmpty());
        if (framing.contains(QLatin1String("crlf")))
            body.replace("\n", "\r\n");
        f.server.setHandler([&](const LoopbackHttpServer::Request &) {
            if (framing.contains(QLatin1String("chunked")))
                return LoopbackHttpServer::replyChunked(200, "OK", body, 1000);
            if (framing == QLatin1String("close"))
                return LoopbackHttpServer::replyUntilClose(200, "OK", body);
            return LoopbackHttpServer::reply(200, "OK", body, {{"Content-Type", "text/xml"}});
        });
        f.calendar->setUtcOffsetHours(offset);

        QCOMPARE(f.run(), QString());
        // The network layer may ask again when a server closes the connection as it answers.
        QVERIFY(!f.server.requests().isEmpty());
        for (const auto &request : f.server.requests())
            QCOMPARE(request.method + ' ' + request.target, QByteArray("GET /ffcal_week_this.xml"));
        QCOMPARE(f.econom.rowCount(), rows);
        QCOMPARE(rowText(f.econom, 0), newest);
        QCOMPARE(rowText(f.econom, rows - 1), oldest);

        // Written at once, not only at exit: a second table on the same file sees the week.
        DataSet reread;
        TableSchemas::openEconom(reread, f.dir.appDir());
        QCOMPARE(reread.rowCount(), rows);
        QCOMPARE(rowText(reread, 0), newest);

        // The next start brings nothing new.
        QCOMPARE(f.run(), QString());
        QCOMPARE(f.econom.rowCount(), rows);
        QVERIFY(f.reports.isEmpty());
    }

    void offlineAsksNothing()
    {
        Fixture f;
        f.fakes.net.online = false;
        f.addPastRow();
        QCOMPARE(f.run(), QStringLiteral("offline"));
        QVERIFY(f.server.requests().isEmpty());
        QCOMPARE(f.econom.rowCount(), 1); // last week's row stays without a feed
    }

    void failuresChangeNothing_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("failure");

        QTest::newRow("not found") << "404"
                                   << "HTTP status 404 Not Found";
        QTest::newRow("silent server") << "silent"
                                       << "no complete answer within";
        QTest::newRow("answer too large") << "large"
                                          << "larger than";
        QTest::newRow("not a calendar") << "html"
                                        << "Calendar feed refused";
        QTest::newRow("redirect to a local file") << "file"
                                                  << "HTTP status 302";
        QTest::newRow("nobody listening") << "closed port"
                                          << "refused";
    }
    void failuresChangeNothing()
    {
        QFETCH(QString, answer);
        QFETCH(QString, failure);

        Fixture f;
        f.addPastRow();
        f.calendar->download().setTimeoutMs(1000);
        f.calendar->download().setMaxBytes(1000);
        f.server.setHandler([&](const LoopbackHttpServer::Request &) {
            if (answer == QLatin1String("404"))
                return LoopbackHttpServer::reply(404, "Not Found", "gone");
            if (answer == QLatin1String("silent"))
                return LoopbackHttpServer::silent();
            if (answer == QLatin1String("large"))
                return LoopbackHttpServer::reply(200, "OK", QByteArray(5000, ' '));
            if (answer == QLatin1String("file"))
                return LoopbackHttpServer::reply(302, "Found", {}, {{"Location", "file:///etc/passwd"}});
            return LoopbackHttpServer::reply(200, "OK", "<html><body>Maintenance</body>");
        });
        if (answer == QLatin1String("closed port")) {
            LoopbackHttpServer gone;
            QVERIFY(gone.listen());
            f.calendar->setFeedUrl(gone.url(QStringLiteral("/ffcal_week_this.xml")));
        }
        const QString text = f.run();
        QVERIFY2(text.contains(failure, Qt::CaseInsensitive), qPrintable(text));
        QCOMPARE(f.econom.rowCount(), 1);
        QCOMPARE(rowText(f.econom, 0), QStringLiteral("Last week||2025-04-28||"));
    }

    void redirectFollowed()
    {
        Fixture f;
        const QByteArray body = ::realWeek();
        f.server.setHandler([&](const LoopbackHttpServer::Request &request) {
            if (request.target == "/ffcal_week_this.xml")
                return LoopbackHttpServer::reply(301, "Moved", {}, {{"Location", "/archive/this-week.xml"}});
            return LoopbackHttpServer::reply(200, "OK", body);
        });
        f.calendar->setUtcOffsetHours(3);
        QCOMPARE(f.run(), QString());
        QCOMPARE(f.server.requests().size(), 2);
        QCOMPARE(f.econom.rowCount(), 90);
    }
};

QTEST_GUILESS_MAIN(TestCalendarImport)
#include "test_calendar_import.moc"
