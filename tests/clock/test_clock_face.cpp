// The clock face drawn into an image: ruler highlight, time marker, session bars, names and greying.
#include "FakeServices.h"
#include "clock/ClockFace.h"
#include "clock/ClockFaceView.h"
#include "clock/SessionBoard.h"

#include <QImage>
#include <QPainter>
#include <QTest>

namespace {

const QColor Navy(0, 0, 0x80);
const QColor White(0xFF, 0xFF, 0xFF);
const QColor Yellow(0xFF, 0xFF, 0);
const QColor Black(0, 0, 0);
const QColor Grey(0x80, 0x80, 0x80);
const QColor Silver(0xC0, 0xC0, 0xC0);
const QColor Highlight(0x12, 0x34, 0x56);
constexpr int H = 290;

QColor colourNamed(const QString &name)
{
    static const QHash<QString, QColor> colours{{"black", Black},
                                                {"blue", QColor(0, 0, 0xFF)},
                                                {"green", QColor(0, 0x80, 0)},
                                                {"fuchsia", QColor(0xFF, 0, 0xFF)},
                                                {"red", QColor(0xFF, 0, 0)},
                                                {"teal", QColor(0, 0x80, 0x80)},
                                                {"navy", Navy},
                                                {"purple", QColor(0x80, 0, 0x80)},
                                                {"highlight", Highlight},
                                                {"maroon", QColor(0x80, 0, 0)},
                                                {"grey", Grey},
                                                {"white", White}};
    return colours.value(name);
}

ClockFaceInputs inputsAt(const QTime &time, int offsetHours = 3, bool activeOnly = false,
                         const QStringList &names = SessionBoard::defaultNames())
{
    ClockFaceInputs in;
    in.localNow = QDateTime(QDate(2026, 3, 5), time);
    in.utcOffsetHours = offsetHours;
    in.activeOnly = activeOnly;
    in.centreNames = names;
    in.highlight = Highlight;
    return in;
}

QImage render(const ClockFaceInputs &in)
{
    QImage image(510, H, QImage::Format_RGB32);
    image.fill(QColor(0x33, 0x66, 0x99)); // anything the face leaves unpainted shows as this
    QPainter painter(&image);
    ClockFace::ShowClock(painter, H, in);
    return image;
}

QColor at(const QImage &image, int x, int y)
{
    return QColor(image.pixel(x, y));
}

bool near(const QColor &a, const QColor &b, int tolerance)
{
    return qAbs(a.red() - b.red()) <= tolerance && qAbs(a.green() - b.green()) <= tolerance
           && qAbs(a.blue() - b.blue()) <= tolerance;
}

/// Pixels inside `area` within `tolerance` of `colour` on every channel (text is anti-aliased).
int countNear(const QImage &image, const QRect &area, const QColor &colour, int tolerance)
{
    int n = 0;
    const QRect r = area.intersected(image.rect());
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            n += near(at(image, x, y), colour, tolerance) ? 1 : 0;
    return n;
}

/// The cell of ruler label n (1..24).
QRect labelCell(int n)
{
    const int x = n == 24 ? 462 : (n < 10 ? 20 * (n - 1) + 6 : 20 * (n - 1) + 2);
    return QRect(x, 3, n < 10 ? 9 : 16, 15);
}

/// The area of a name written at x on a row.
QRect nameCell(int x, int row, int width = 30)
{
    return QRect(x, SessionBoard::nameTop(row), width, 11);
}

QByteArray describe(const QColor &c)
{
    return c.name().toLatin1();
}

} // namespace

class TestClockFace : public QObject
{
    Q_OBJECT
private slots:
    void currentHourIsYellow_data();
    void currentHourIsYellow();
    void rulerAndEdges();
    void marker_data();
    void marker();
    void bars_data();
    void bars();
    void everyOffsetDrawsItsBarsWhereTheyBelong();
    void namesOnBothParts_data();
    void namesOnBothParts();
    void activeOnlyGreysClosedCentres_data();
    void activeOnlyGreysClosedCentres();
    void viewReadsTheClockAndOffsetAtEachWholePaint();
    void aPaintBelowTheBoardMatchesTheWholeDrawing();
    void aRedrawIsDueOnlyWhenThePictureChanges();
};

void TestClockFace::currentHourIsYellow_data()
{
    QTest::addColumn<QTime>("time");
    QTest::addColumn<QList<int>>("yellow");
    QTest::newRow("00:00 none") << QTime(0, 0) << QList<int>{};
    QTest::newRow("00:59:59 none") << QTime(0, 59, 59) << QList<int>{};
    QTest::newRow("01:00") << QTime(1, 0) << QList<int>{1};
    QTest::newRow("09:30") << QTime(9, 30) << QList<int>{9};
    QTest::newRow("14:05") << QTime(14, 5) << QList<int>{14};
    QTest::newRow("22:59:59") << QTime(22, 59, 59) << QList<int>{22};
    QTest::newRow("23:00 with 24") << QTime(23, 0) << QList<int>{23, 24};
    QTest::newRow("23:59:59.999 with 24") << QTime(23, 59, 59, 999) << QList<int>{23, 24};
}

void TestClockFace::currentHourIsYellow()
{
    QFETCH(QTime, time);
    QFETCH(QList<int>, yellow);
    const QImage image = render(inputsAt(time));
    for (int n = 1; n <= 24; ++n) {
        const bool isYellow = countNear(image, labelCell(n), Yellow, 60) > 0;
        const bool isWhite = countNear(image, labelCell(n), White, 60) > 0;
        QVERIFY2(isYellow == yellow.contains(n), QByteArray::number(n));
        QVERIFY2(isWhite != yellow.contains(n), QByteArray::number(n));
    }
}

void TestClockFace::rulerAndEdges()
{
    const QImage image = render(inputsAt(QTime(14, 28, 30)));
    QCOMPARE(at(image, 1, 1), Navy);
    QCOMPARE(at(image, 478, 19), Navy);
    for (int n = 1; n <= 23; ++n) {
        QCOMPARE(at(image, 20 * n, 0), White);
        QCOMPARE(at(image, 20 * n, 19), White);
        QCOMPARE(at(image, 20 * n + 1, 0), Navy);
        QCOMPARE(at(image, 20 * n, 20), Black);
    }
    for (int y = 0; y < H; ++y) {
        QCOMPARE(at(image, 0, y), Black);
        QCOMPARE(at(image, 480, y), Navy);
        if (y >= 20)
            QCOMPARE(at(image, 479, y), Black);
    }
    // Outside the rows the board is black: above row 1, between rows, below row 9.
    QCOMPARE(at(image, 100, 25), Black);
    QCOMPARE(at(image, 100, SessionBoard::barTop(1) + SessionBoard::BarHeight), Black);
    QCOMPARE(at(image, 100, 206), Black);
    QCOMPARE(at(image, 100, 280), Black);
}

void TestClockFace::marker_data()
{
    QTest::addColumn<QTime>("time");
    QTest::addColumn<int>("x");
    QTest::newRow("14:28:30.000 ties to even") << QTime(14, 28, 30) << 289;
    QTest::newRow("14:28:29.499") << QTime(14, 28, 29, 499) << 289;
    QTest::newRow("14:28:30.500 seconds tie to even") << QTime(14, 28, 30, 500) << 289;
    QTest::newRow("14:28:31.000") << QTime(14, 28, 31) << 290;
    QTest::newRow("12:00") << QTime(12, 0) << 240;
    QTest::newRow("23:58:31 over the right edge") << QTime(23, 58, 31) << 480;
    QTest::newRow("23:59:59.999") << QTime(23, 59, 59, 999) << 480;
    QTest::newRow("00:01:29 at the left edge") << QTime(0, 1, 29) << 0;
    QTest::newRow("00:01:30") << QTime(0, 1, 30) << 1;
}

void TestClockFace::marker()
{
    QFETCH(QTime, time);
    QFETCH(int, x);
    QCOMPARE(ClockFace::markerX(time), x);

    const QImage image = render(inputsAt(time, 3));
    const int above = 22; // between the ruler and row 1
    if (x == 0) {
        // The left edge line is drawn last and covers the marker.
        QCOMPARE(at(image, 0, above), Black);
        QCOMPARE(at(image, 1, above), Black);
        return;
    }
    QCOMPARE(at(image, x, above), White);
    QCOMPARE(at(image, x, 209), White);
    QCOMPARE(at(image, x, 210), x == 480 ? Navy : Black);
    QCOMPARE(at(image, x - 1, above), Black);
    QCOMPARE(at(image, x - 1, 209), Black);
    if (x < 479) {
        QCOMPARE(at(image, x + 1, above), Black);
        QCOMPARE(at(image, x, SessionBoard::barTop(4) + 1), White);
    }
}

void TestClockFace::bars_data()
{
    QTest::addColumn<int>("offsetSeconds");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("x");
    QTest::addColumn<QString>("colour");

    // +3: Wellington [0, 8), Sydney [1, 9), New York [15, 23).
    QTest::newRow("+3 Wellington from 0") << 3 * 3600 << 1 << 1 << "blue";
    QTest::newRow("+3 before Sydney") << 3 * 3600 << 2 << 19 << "black";
    QTest::newRow("+3 Sydney starts") << 3 * 3600 << 2 << 20 << "green";
    QTest::newRow("+3 before New York") << 3 * 3600 << 4 << 299 << "black";
    QTest::newRow("+3 New York starts") << 3 * 3600 << 4 << 300 << "red";
    QTest::newRow("+3 New York last pixel") << 3 * 3600 << 4 << 459 << "red";
    QTest::newRow("+3 after New York") << 3 * 3600 << 4 << 460 << "black";
    // -5: Wellington [16, 24) alone; Tokyo [19, 24) and [0, 3); Riyadh [3, 7.5).
    QTest::newRow("-5 before Wellington") << -5 * 3600 << 1 << 319 << "black";
    QTest::newRow("-5 Wellington starts") << -5 * 3600 << 1 << 320 << "blue";
    QTest::newRow("-5 Wellington to the edge") << -5 * 3600 << 1 << 478 << "blue";
    QTest::newRow("-5 Tokyo morning part") << -5 * 3600 << 3 << 59 << "fuchsia";
    QTest::newRow("-5 Riyadh last pixel") << -5 * 3600 << 3 << 149 << "fuchsia";
    QTest::newRow("-5 after Riyadh") << -5 * 3600 << 3 << 150 << "black";
    QTest::newRow("-5 before Tokyo evening") << -5 * 3600 << 3 << 379 << "black";
    QTest::newRow("-5 Tokyo evening part") << -5 * 3600 << 3 << 380 << "fuchsia";
    // -6: Sydney [16, 24) alone.
    QTest::newRow("-6 before Sydney") << -6 * 3600 << 2 << 319 << "black";
    QTest::newRow("-6 Sydney starts") << -6 * 3600 << 2 << 320 << "green";
    QTest::newRow("-6 Sydney to the edge") << -6 * 3600 << 2 << 478 << "green";
    // 0: Wellington [21, 24) and [0, 5); Shanghai from x = 30; Moscow [5, 13.5) ends at x = 269.
    QTest::newRow("0 before Wellington evening") << 0 << 1 << 419 << "black";
    QTest::newRow("0 Wellington evening") << 0 << 1 << 420 << "blue";
    QTest::newRow("0 Wellington morning") << 0 << 1 << 99 << "blue";
    QTest::newRow("0 after Frankfurt") << 0 << 1 << 260 << "black";
    QTest::newRow("0 before Shanghai") << 0 << 9 << 29 << "black";
    QTest::newRow("0 Shanghai at 1:30") << 0 << 9 << 30 << "maroon";
    QTest::newRow("0 before Moscow") << 0 << 8 << 99 << "black";
    QTest::newRow("0 Moscow in the highlight colour") << 0 << 8 << 100 << "highlight";
    QTest::newRow("0 Moscow last pixel") << 0 << 8 << 269 << "highlight";
    QTest::newRow("0 after Moscow") << 0 << 8 << 270 << "black";
    QTest::newRow("0 Zurich navy") << 0 << 6 << 150 << "navy";
    QTest::newRow("0 Paris purple") << 0 << 7 << 150 << "purple";
    QTest::newRow("0 Singapore teal") << 0 << 5 << 150 << "teal";
    // +5:30 is taken as +5: Tokyo [5, 13), Riyadh [13, 17.5), Chicago [18, 24).
    QTest::newRow("+5:30 before Tokyo") << 19800 << 3 << 99 << "black";
    QTest::newRow("+5:30 Tokyo starts") << 19800 << 3 << 100 << "fuchsia";
    QTest::newRow("+5:30 Riyadh last pixel") << 19800 << 3 << 349 << "fuchsia";
    QTest::newRow("+5:30 after Riyadh") << 19800 << 3 << 350 << "black";
    QTest::newRow("+5:30 Chicago starts") << 19800 << 3 << 360 << "fuchsia";
    // -5:30 is taken as -5, toward zero.
    QTest::newRow("-5:30 before Wellington") << -19800 << 1 << 300 << "black";
    QTest::newRow("-5:30 Wellington") << -19800 << 1 << 320 << "blue";
}

void TestClockFace::bars()
{
    QFETCH(int, offsetSeconds);
    QFETCH(int, row);
    QFETCH(int, x);
    QFETCH(QString, colour);

    // The offset goes through the view's own reading of the clock, as at run time.
    FakeClock clock(QDateTime(QDate(2026, 3, 5), QTime(4, 40)), offsetSeconds); // marker at x = 93
    ClockFace face(clock);
    face.setActiveOnly(false);
    face.setHighlight(Highlight);
    QImage image(510, H, QImage::Format_RGB32);
    QPainter painter(&image);
    face.paint(painter, H, image.rect());
    painter.end();

    const QColor expected = colourNamed(colour);
    // The top and bottom pixel lines of the bar lie outside any name's cell.
    QCOMPARE(describe(at(image, x, SessionBoard::barTop(row))), describe(expected));
    QCOMPARE(describe(at(image, x, SessionBoard::barTop(row) + SessionBoard::BarHeight - 1)), describe(expected));
    QCOMPARE(at(image, x, SessionBoard::barTop(row) - 1), Black);
    QCOMPARE(at(image, x, SessionBoard::barTop(row) + SessionBoard::BarHeight), Black);
}

void TestClockFace::everyOffsetDrawsItsBarsWhereTheyBelong()
{
    const QTime time(4, 40);
    const int marker = ClockFace::markerX(time);
    for (int offset = -12; offset <= 14; ++offset) {
        const QImage image = render(inputsAt(time, offset));
        for (int row = 1; row <= SessionBoard::RowCount; ++row) {
            // What each pixel of the row should be: the last centre of the row that covers it, else black.
            QList<QColor> expected(480, Black);
            for (const auto &c : SessionBoard::centres()) {
                if (c.row != row)
                    continue;
                const LocalSession s = SessionBoard::localSession(c, offset);
                for (int x = 0; x < 480; ++x)
                    if (s.isOpenAt(x * 3))
                        expected[x] = SessionBoard::rowColour(row, Highlight);
            }
            for (int x = 1; x < 479; ++x) {
                if (x == marker || x == marker - 1)
                    continue;
                if (at(image, x, SessionBoard::barTop(row)) != expected[x])
                    QFAIL(QByteArray("offset ") + QByteArray::number(offset) + " row " + QByteArray::number(row) + " x "
                          + QByteArray::number(x));
            }
        }
    }
}

void TestClockFace::namesOnBothParts_data()
{
    QTest::addColumn<int>("offset");
    QTest::addColumn<QString>("tokyoName");
    QTest::addColumn<bool>("onEvening");
    QTest::addColumn<bool>("onMorning");
    QTest::addColumn<int>("eveningX");

    // Tokyo's morning part [0, C) repeats its name only when the name has fewer than 4 x C characters.
    QTest::newRow("-5: 3 hours allow 12 characters") << -5 << "Токио" << true << true << 383;
    QTest::newRow("-6: 2 hours allow 8") << -6 << "Токио" << true << true << 363;
    QTest::newRow("-7: 1 hour allows 4, five is too many") << -7 << "Токио" << true << false << 343;
    QTest::newRow("-7: one character fits") << -7 << "T" << true << true << 343;
    QTest::newRow("-5: empty name, bars without labels") << -5 << "" << false << false << 383;
}

void TestClockFace::namesOnBothParts()
{
    QFETCH(int, offset);
    QFETCH(QString, tokyoName);
    QFETCH(bool, onEvening);
    QFETCH(bool, onMorning);
    QFETCH(int, eveningX);

    QStringList names = SessionBoard::defaultNames();
    names[2] = tokyoName;
    const QImage image = render(inputsAt(QTime(12, 0), offset, false, names));
    // The morning part is at least 20 pixels wide; look only there so the next centre's name stays out.
    QCOMPARE(countNear(image, nameCell(eveningX, 3, 16), White, 40) > 0, onEvening);
    QCOMPARE(countNear(image, nameCell(3, 3, 14), White, 40) > 0, onMorning);
}

void TestClockFace::activeOnlyGreysClosedCentres_data()
{
    QTest::addColumn<QTime>("time");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("nameX");
    QTest::addColumn<bool>("open");
    QTest::addColumn<QString>("colour");

    // Offset 0. Frankfurt [5, 13): its end minute is already closed.
    QTest::newRow("Frankfurt at its end minute") << QTime(13, 0) << 1 << 150 << 103 << false << "blue";
    QTest::newRow("Frankfurt a minute before") << QTime(12, 59, 59) << 1 << 150 << 103 << true << "blue";
    // Chicago [13, 21): its start minute is already open.
    QTest::newRow("Chicago at its start minute") << QTime(13, 0) << 3 << 300 << 263 << true << "fuchsia";
    QTest::newRow("Chicago a minute before") << QTime(12, 59) << 3 << 300 << 263 << false << "fuchsia";
    QTest::newRow("Moscow open until 13:30") << QTime(13, 29) << 8 << 150 << 103 << true << "highlight";
    QTest::newRow("Moscow closed at 13:30") << QTime(13, 30) << 8 << 150 << 103 << false << "highlight";
    QTest::newRow("Riyadh open at 12:29") << QTime(12, 29) << 3 << 200 << 163 << true << "fuchsia";
    QTest::newRow("Riyadh closed at 12:30") << QTime(12, 30) << 3 << 200 << 163 << false << "fuchsia";
}

void TestClockFace::activeOnlyGreysClosedCentres()
{
    QFETCH(QTime, time);
    QFETCH(int, row);
    QFETCH(int, x);
    QFETCH(int, nameX);
    QFETCH(bool, open);
    QFETCH(QString, colour);

    const QImage greyed = render(inputsAt(time, 0, true));
    const QColor bar = at(greyed, x, SessionBoard::barTop(row));
    QCOMPARE(describe(bar), describe(open ? colourNamed(colour) : Grey));
    const QRect name = nameCell(nameX, row, 25);
    if (open) {
        QVERIFY(countNear(greyed, name, White, 30) > 0);
    } else {
        QVERIFY(countNear(greyed, name, Silver, 12) > 0);
        QCOMPARE(countNear(greyed, name, White, 40), 0);
    }

    // Without `N9` every centre keeps its row colour and white name.
    const QImage all = render(inputsAt(time, 0, false));
    QCOMPARE(describe(at(all, x, SessionBoard::barTop(row))), describe(colourNamed(colour)));
    QVERIFY(countNear(all, name, White, 30) > 0);
}

void TestClockFace::viewReadsTheClockAndOffsetAtEachWholePaint()
{
    // A 12-hour time format must not move the highlight: 14:05 lights "14", not "2".
    FakeClock clock(QDateTime(QDate(2026, 3, 5), QTime(14, 5)), 0);
    clock.setFormats(QStringLiteral("M/d/yy"), QStringLiteral("h:mm:ss AP"));
    ClockFaceView view(clock);
    view.resize(510, H);
    view.face().setActiveOnly(false);
    view.face().setHighlight(Highlight);
    QVERIFY(view.face().isActive());

    QImage first = view.grab().toImage();
    QVERIFY(countNear(first, labelCell(14), Yellow, 60) > 0);
    QCOMPARE(countNear(first, labelCell(2), Yellow, 60), 0);
    QCOMPARE(at(first, 30, SessionBoard::barTop(9)), colourNamed("maroon")); // Shanghai at offset 0
    QCOMPARE(at(first, 500, 100), Black);

    // An hour later and in another zone: a small repaint keeps drawing the last whole picture, so what is
    // repainted matches the rest of the surface...
    clock.advanceSecs(3600);
    clock.setOffsetSeconds(3 * 3600);
    QImage partial = first;
    {
        QPainter painter(&partial);
        painter.setClipRect(QRect(0, 0, 200, 100));
        view.face().paint(painter, H, QRect(0, 0, 200, 100));
    }
    QCOMPARE(partial, first);

    // ...and the next whole paint reads the new hour and the new offset.
    const QImage second = view.grab().toImage();
    QVERIFY(countNear(second, labelCell(15), Yellow, 60) > 0);
    QCOMPARE(countNear(second, labelCell(14), Yellow, 60), 0);
    QCOMPARE(at(second, 30, SessionBoard::barTop(9)), Black); // Shanghai moved to 4:30
    QCOMPARE(at(second, 90, SessionBoard::barTop(9)), colourNamed("maroon"));
}

void TestClockFace::aPaintBelowTheBoardMatchesTheWholeDrawing()
{
    // The labels of the bottom line change every second and repaint the face under them: that part must come
    // out as in the whole drawing, the board's navy right edge included.
    FakeClock clock(QDateTime(QDate(2026, 3, 5), QTime(14, 5)), 3 * 3600);
    ClockFace face(clock);
    face.setActiveOnly(false);
    face.setHighlight(Highlight);
    QImage whole(510, H, QImage::Format_RGB32);
    whole.fill(QColor(0x33, 0x66, 0x99));
    {
        QPainter painter(&whole);
        face.paint(painter, H, whole.rect());
    }
    const QRect bottomLine(0, 273, 481, 14);
    QImage partial = whole;
    {
        QPainter painter(&partial);
        painter.fillRect(bottomLine, Qt::red);
        painter.setClipRect(bottomLine);
        face.paint(painter, H, bottomLine);
    }
    QCOMPARE(partial, whole);
    QCOMPARE(at(whole, ClockFace::ContentWidth, 280), Navy);
}

void TestClockFace::aRedrawIsDueOnlyWhenThePictureChanges()
{
    FakeClock clock(QDateTime(QDate(2026, 3, 5), QTime(14, 5, 0)), 3 * 3600);
    ClockFace face(clock);
    QVERIFY(face.drawingChanged()); // nothing drawn yet
    auto drawWhole = [&face] {
        QImage image(510, H, QImage::Format_RGB32);
        QPainter painter(&image);
        face.paint(painter, H, image.rect());
    };
    drawWhole();
    QVERIFY(!face.drawingChanged());
    clock.advanceSecs(20); // 14:05:20: the same minute, marker and board
    QVERIFY(!face.drawingChanged());
    clock.advanceSecs(40); // 14:06:00: the board's minute
    QVERIFY(face.drawingChanged());
    drawWhole();
    QVERIFY(!face.drawingChanged());
    clock.setOffsetSeconds(5 * 3600); // the zone changed: the bars move
    QVERIFY(face.drawingChanged());
    drawWhole();
    face.setActiveOnly(!face.activeOnly());
    QVERIFY(face.drawingChanged());
    drawWhole();
    face.setCentreNames({QStringLiteral("A")});
    QVERIFY(face.drawingChanged());
}

QTEST_MAIN(TestClockFace)
#include "test_clock_face.moc"
