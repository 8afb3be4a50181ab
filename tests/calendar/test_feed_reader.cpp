// The feed document as the import reads it: encodings, CDATA, empty and missing elements, and refusals.
#include "calendar/FeedReader.h"

#include "platform/Failure.h"

#include <QFile>
#include <QtTest>

Q_DECLARE_METATYPE(FeedEvent)

namespace {

FeedEvent ev(const QString &title, const QString &date = QStringLiteral("01-15-2010"),
             const QString &time = QStringLiteral("8:30am"), const QString &impact = QStringLiteral("High"),
             const QString &country = QStringLiteral("USD"), const QString &forecast = QString(),
             const QString &previous = QString())
{
    return FeedEvent{title,
                     country,
                     date,
                     time,
                     impact,
                     forecast.isNull() ? QLatin1String("") : forecast,
                     previous.isNull() ? QLatin1String("") : previous};
}

QByteArray wrapEvent(const QByteArray &inner)
{
    return "<event>" + inner + "</event>";
}

const QByteArray kFull = "<title>CPI m/m</title><country>USD</country><date>01-15-2010</date>"
                         "<time>8:30am</time><impact>High</impact><forecast>0.2%</forecast><previous>0.1%</previous>";

} // namespace

class TestFeedReader : public QObject
{
    Q_OBJECT
private slots:
    void reads_data()
    {
        QTest::addColumn<QByteArray>("document");
        QTest::addColumn<FeedEvents>("events");

        const FeedEvent cpi
            = ev(QStringLiteral("CPI m/m"), QStringLiteral("01-15-2010"), QStringLiteral("8:30am"),
                 QStringLiteral("High"), QStringLiteral("USD"), QStringLiteral("0.2%"), QStringLiteral("0.1%"));
        QTest::newRow("plain, any root name")
            << QByteArray("<whatever>" + wrapEvent(kFull) + "</whatever>") << FeedEvents{cpi};
        QTest::newRow("windows-1252 decoded")
            << QByteArray("<?xml version=\"1.0\" encoding=\"windows-1252\"?><weeklyevents>"
                          + wrapEvent("<title>Caf\xE9 \x93Index\x94 \x80</title>") + "</weeklyevents>")
            << FeedEvents{ev(QStringLiteral("Café “Index” €"), {}, {}, {}, {})};
        QTest::newRow("utf-8 declared") << QByteArray("<?xml version='1.0' encoding='UTF-8'?><r>"
                                                      + wrapEvent("<title>Индекс</title>") + "</r>")
                                        << FeedEvents{ev(QStringLiteral("Индекс"), {}, {}, {}, {})};
        QTest::newRow("CDATA holding markup")
            << QByteArray("<r>" + wrapEvent("<title><![CDATA[A <b> & C]]></title><time><![CDATA[1:00pm]]></time>")
                          + "</r>")
            << FeedEvents{ev(QStringLiteral("A <b> & C"), {}, QStringLiteral("1:00pm"), {}, {})};
        QTest::newRow("CDATA markers kept as text when escaped")
            << QByteArray("<r>" + wrapEvent("<time>&lt;![CDATA[2:00pm]]&gt;</time>") + "</r>")
            << FeedEvents{ev({}, {}, QStringLiteral("<![CDATA[2:00pm]]>"), {}, {})};
        QTest::newRow("self-closing and missing elements are empty")
            << QByteArray("<r>" + wrapEvent("<title>X</title><forecast /><previous/>") + "</r>")
            << FeedEvents{ev(QStringLiteral("X"), {}, {}, {}, {})};
        QTest::newRow("CRLF line ends and indentation")
            << QByteArray("<?xml version=\"1.0\" encoding=\"windows-1252\"?>\r\n<weeklyevents>\r\n\t<event>\r\n"
                          "\t\t<title>X</title>\r\n\t\t<date><![CDATA[01-15-2010]]></date>\r\n\t</event>\r\n"
                          "</weeklyevents>\r\n")
            << FeedEvents{ev(QStringLiteral("X"), QStringLiteral("01-15-2010"), {}, {}, {})};
        QTest::newRow("extra elements, attributes, nested text")
            << QByteArray("<r a='1'>" + wrapEvent("<url><![CDATA[http://x/]]></url><title id='7'>A<i>b</i>c</title>")
                          + "</r>")
            << FeedEvents{ev(QStringLiteral("Abc"), {}, {}, {}, {})};
        QTest::newRow("a repeated element keeps the first")
            << QByteArray("<r>" + wrapEvent("<title>first</title><title>second</title>") + "</r>")
            << FeedEvents{ev(QStringLiteral("first"), {}, {}, {}, {})};
        QTest::newRow("only elements under the root are events")
            << QByteArray("<r>text<!-- note --><?pi x?>" + wrapEvent("<title>1</title>") + "<other/></r>")
            << FeedEvents{ev(QStringLiteral("1"), {}, {}, {}, {}), ev({}, {}, {}, {}, {})};
        QTest::newRow("empty root") << QByteArray("<weeklyevents/>") << FeedEvents{};
    }
    void reads()
    {
        QFETCH(QByteArray, document);
        QFETCH(FeedEvents, events);
        // Every row above that leaves a field out expects it empty, so fill the expectation the same way.
        FeedEvents expected;
        for (FeedEvent e : events) {
            for (QString *t : {&e.title, &e.country, &e.date, &e.time, &e.impact, &e.forecast, &e.previous})
                if (t->isNull())
                    *t = QLatin1String("");
            expected << e;
        }
        QCOMPARE(FeedReader::read(document), expected);
    }

    void utf16ByByteOrderMark()
    {
        const QString text = QStringLiteral("<r><event><title>Ставка</title></event></r>");
        QByteArray doc("\xFF\xFE", 2);
        doc += QByteArray(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
        const FeedEvents events = FeedReader::read(doc);
        QCOMPARE(events.size(), 1);
        QCOMPARE(events[0].title, QStringLiteral("Ставка"));
    }

    void refuses_data()
    {
        QTest::addColumn<QByteArray>("document");
        QTest::addColumn<QString>("why");

        QTest::newRow("not XML") << QByteArray("<html><body>Service unavailable") << "Premature end";
        QTest::newRow("empty") << QByteArray() << "Premature end";
        QTest::newRow("mismatched tags") << QByteArray("<r><event><title>x</event></r>") << "line 1";
        QTest::newRow("document type (entity expansion)")
            << QByteArray("<!DOCTYPE r [<!ENTITY a \"aaaa\"><!ENTITY b \"&a;&a;&a;&a;\">]><r><event><title>&b;"
                          "</title></event></r>")
            << "document type";
        QTest::newRow("unknown encoding")
            << QByteArray("<?xml version=\"1.0\" encoding=\"x-no-such-code\"?><r/>") << "unknown encoding";
        QTest::newRow("encoding name that is no name")
            << QByteArray("<?xml version=\"1.0\" encoding=\"../../x\"?><r/>") << "unknown encoding";
        QByteArray deep;
        for (int i = 0; i < FeedReader::MaxDepth + 1; ++i)
            deep += "<e>";
        QTest::newRow("nested too deep") << deep << "nested deeper";
        QByteArray many = "<r>";
        for (int i = 0; i <= FeedReader::MaxEvents; ++i)
            many += "<e/>";
        many += "</r>";
        QTest::newRow("too many events") << many << "more than 5000 events";
        QTest::newRow("too large") << QByteArray(FeedReader::MaxBytes + 1, ' ') << "larger than";
    }
    void refuses()
    {
        QFETCH(QByteArray, document);
        QFETCH(QString, why);
        try {
            FeedReader::read(document);
            QFAIL("the document was read");
        } catch (const Failure &f) {
            QVERIFY2(f.text().contains(why), qPrintable(f.text()));
        }
    }

    void realWeek()
    {
        QFile file(QStringLiteral(CALENDAR_FIXTURES "/week-2025-05-04.xml"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QCOMPARE(FeedReader::declaredEncoding(bytes), QByteArray("windows-1252"));
        QByteArray crlf = bytes;
        crlf.replace("\n", "\r\n");
        for (const QByteArray &doc : {bytes, crlf}) {
            const FeedEvents events = FeedReader::read(doc);
            QCOMPARE(events.size(), 91);
            QCOMPARE(events.first(), ev(QStringLiteral("Bank Holiday"), QStringLiteral("05-04-2025"),
                                        QStringLiteral("11:00pm"), QStringLiteral("Holiday"), QStringLiteral("JPY")));
            QCOMPARE(events.at(3),
                     ev(QStringLiteral("CPI m/m"), QStringLiteral("05-05-2025"), QStringLiteral("6:30am"),
                        QStringLiteral("High"), QStringLiteral("CHF"), QStringLiteral("0.2%"), QStringLiteral("0.0%")));
            QCOMPARE(events.last().title, QStringLiteral("PPI y/y"));
        }
    }
};

QTEST_GUILESS_MAIN(TestFeedReader)
#include "test_feed_reader.moc"
