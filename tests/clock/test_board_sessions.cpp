// The session board's arithmetic: local intervals of each centre, the open test and the offset rule.
#include "clock/SessionBoard.h"

#include <QTest>

namespace {

const SessionCentre &centre(const char *key)
{
    for (const auto &c : SessionBoard::centres())
        if (qstrcmp(c.key, key) == 0)
            return c;
    qFatal("no centre %s", key);
}

int positiveModulo(int v, int d)
{
    return ((v % d) + d) % d;
}

} // namespace

class TestBoardSessions : public QObject
{
    Q_OBJECT
private slots:
    void localIntervals_data();
    void localIntervals();
    void openTest_data();
    void openTest();
    void everyOffsetCoversExactlyTheTradingHours();
    void offsetHours_data();
    void offsetHours();
    void namesFollowTheTableOrder();
};

void TestBoardSessions::localIntervals_data()
{
    QTest::addColumn<int>("offset");
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("firstStart");
    QTest::addColumn<int>("firstEnd");
    QTest::addColumn<bool>("twoParts");
    QTest::addColumn<int>("secondEnd");

    // A close that lands on local midnight counts as 24:00, an opening there as 0:00.
    QTest::newRow("+3 Wellington opens at 24:00 -> 0") << 3 << "Wellington" << 0 << 480 << false << 0;
    QTest::newRow("+3 Sydney") << 3 << "Sydney" << 60 << 540 << false << 0;
    QTest::newRow("+3 New York") << 3 << "NewYork" << 900 << 1380 << false << 0;
    QTest::newRow("+3 Los Angeles over midnight") << 3 << "LosAngeles" << 1080 << 1440 << true << 120;
    QTest::newRow("-5 Wellington closes at 0 -> 24") << -5 << "Wellington" << 960 << 1440 << false << 0;
    QTest::newRow("-5 Tokyo over midnight") << -5 << "Tokyo" << 1140 << 1440 << true << 180;
    QTest::newRow("-6 Sydney closes at 0 -> 24") << -6 << "Sydney" << 960 << 1440 << false << 0;
    QTest::newRow("0 Wellington over midnight") << 0 << "Wellington" << 1260 << 1440 << true << 300;
    QTest::newRow("0 Shanghai opens at 1:30") << 0 << "Shanghai" << 90 << 420 << false << 0;
    QTest::newRow("0 Moscow closes at 13:30") << 0 << "Moscow" << 300 << 810 << false << 0;
    QTest::newRow("0 Riyadh closes at 12:30") << 0 << "Riyadh" << 480 << 750 << false << 0;
    QTest::newRow("+10 Shanghai") << 10 << "Shanghai" << 690 << 1020 << false << 0;
    QTest::newRow("+14 Wellington") << 14 << "Wellington" << 660 << 1140 << false << 0;
    QTest::newRow("+14 Los Angeles both ends past 24") << 14 << "LosAngeles" << 300 << 780 << false << 0;
    QTest::newRow("-12 Tokyo both ends below 0") << -12 << "Tokyo" << 720 << 1200 << false << 0;
    QTest::newRow("-12 Wellington") << -12 << "Wellington" << 540 << 1020 << false << 0;
    QTest::newRow("-12 Moscow with minutes") << -12 << "Moscow" << 1020 << 1440 << true << 90;
}

void TestBoardSessions::localIntervals()
{
    QFETCH(int, offset);
    QFETCH(QString, key);
    QFETCH(int, firstStart);
    QFETCH(int, firstEnd);
    QFETCH(bool, twoParts);
    QFETCH(int, secondEnd);

    const LocalSession s = SessionBoard::localSession(centre(key.toLatin1().constData()), offset);
    QCOMPARE(s.first, (SessionInterval{firstStart, firstEnd}));
    QCOMPARE(s.twoParts, twoParts);
    if (twoParts)
        QCOMPARE(s.second, (SessionInterval{0, secondEnd}));
}

void TestBoardSessions::openTest_data()
{
    QTest::addColumn<int>("offset");
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("minute");
    QTest::addColumn<bool>("open");

    QTest::newRow("start minute is open") << 0 << "Frankfurkt" << 300 << true;
    QTest::newRow("minute before start") << 0 << "Frankfurkt" << 299 << false;
    QTest::newRow("last minute") << 0 << "Frankfurkt" << 779 << true;
    QTest::newRow("end minute is closed") << 0 << "Frankfurkt" << 780 << false;
    QTest::newRow("half-hour close, before") << 0 << "Moscow" << 809 << true;
    QTest::newRow("half-hour close, at") << 0 << "Moscow" << 810 << false;
    QTest::newRow("half-hour open, before") << 0 << "Shanghai" << 89 << false;
    QTest::newRow("half-hour open, at") << 0 << "Shanghai" << 90 << true;
    QTest::newRow("evening part start") << 0 << "Wellington" << 1260 << true;
    QTest::newRow("before evening part") << 0 << "Wellington" << 1259 << false;
    QTest::newRow("23:59 in evening part") << 0 << "Wellington" << 1439 << true;
    QTest::newRow("midnight in morning part") << 0 << "Wellington" << 0 << true;
    QTest::newRow("morning part end") << 0 << "Wellington" << 300 << false;
    QTest::newRow("close at 24:00, 23:59 open") << -5 << "Wellington" << 1439 << true;
    QTest::newRow("close at 24:00, midnight closed") << -5 << "Wellington" << 0 << false;
}

void TestBoardSessions::openTest()
{
    QFETCH(int, offset);
    QFETCH(QString, key);
    QFETCH(int, minute);
    QFETCH(bool, open);
    QCOMPARE(SessionBoard::localSession(centre(key.toLatin1().constData()), offset).isOpenAt(minute), open);
}

void TestBoardSessions::everyOffsetCoversExactlyTheTradingHours()
{
    // For every offset a zone can have, each centre's local parts lie inside the day and are open exactly
    // during its trading hours moved by the offset, minute by minute.
    for (int offset = -12; offset <= 14; ++offset) {
        for (const auto &c : SessionBoard::centres()) {
            const int open = (c.openHour + offset) * 60 + c.openExtraMinutes;
            const int close = (c.closeHour + offset) * 60 + c.closeExtraMinutes;
            const int length = positiveModulo(close - open, 1440);
            const LocalSession s = SessionBoard::localSession(c, offset);
            const QByteArray where = QByteArray(c.key) + " at offset " + QByteArray::number(offset);
            QVERIFY2(s.first.startMinute >= 0 && s.first.startMinute < s.first.endMinute && s.first.endMinute <= 1440,
                     where);
            if (s.twoParts) {
                QVERIFY2(s.first.endMinute == 1440 && s.second.startMinute == 0 && s.second.endMinute > 0, where);
            }
            for (int m = 0; m < 1440; ++m) {
                const bool expected = positiveModulo(m - open, 1440) < length;
                if (s.isOpenAt(m) != expected)
                    QFAIL(where + " minute " + QByteArray::number(m));
            }
        }
    }
}

void TestBoardSessions::offsetHours_data()
{
    QTest::addColumn<int>("seconds");
    QTest::addColumn<int>("hours");
    QTest::newRow("+3") << 3 * 3600 << 3;
    QTest::newRow("0") << 0 << 0;
    QTest::newRow("-5") << -5 * 3600 << -5;
    QTest::newRow("+5:30 truncates to 5") << 19800 << 5;
    QTest::newRow("+5:45 truncates to 5") << 20700 << 5;
    QTest::newRow("-3:30 truncates toward zero") << -12600 << -3;
    QTest::newRow("-9:30") << -34200 << -9;
    QTest::newRow("+14") << 14 * 3600 << 14;
    QTest::newRow("-12") << -12 * 3600 << -12;
}

void TestBoardSessions::offsetHours()
{
    QFETCH(int, seconds);
    QFETCH(int, hours);
    QCOMPARE(SessionBoard::utcOffsetHours(seconds), hours);
}

void TestBoardSessions::namesFollowTheTableOrder()
{
    // The language room hands names over in this order; the keys are its file's keys.
    const QStringList keys = SessionBoard::nameKeys();
    const QStringList names = SessionBoard::defaultNames();
    QCOMPARE(keys.size(), 16);
    QCOMPARE(names.size(), 16);
    QCOMPARE(keys.first(), QStringLiteral("Wellington"));
    QCOMPARE(names.first(), QStringLiteral("Веллингтон"));
    QCOMPARE(keys.indexOf(QStringLiteral("Moscow")), 7);
    QCOMPARE(SessionBoard::centres()[7].row, 8);
    QCOMPARE(keys.last(), QStringLiteral("Johannesburg"));
    QCOMPARE(names.last(), QStringLiteral("Йоханнесбург"));
}

QTEST_GUILESS_MAIN(TestBoardSessions)
#include "test_board_sessions.moc"
