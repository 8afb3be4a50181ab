// The calendar grid as drawn: titles, colours against a pinned clock, the current row, importance pictures.
#include "calendar/CalendarPanel.h"

#include "FakeServices.h"
#include "store/DataSet.h"
#include "store/DataSetModel.h"
#include "store/TableSchemas.h"

#include <QHeaderView>
#include <QTableView>
#include <QtTest>

namespace {

const QDate kToday(2026, 3, 5);

void addRow(DataSet &econom, const QString &title, const QDate &date, const QTime &time, const QString &impact)
{
    econom.insert();
    econom.fieldByName(QStringLiteral("title")).setValue(title);
    econom.fieldByName(QStringLiteral("country")).setValue(QStringLiteral("USD"));
    econom.fieldByName(QStringLiteral("date")).setValue(date);
    econom.fieldByName(QStringLiteral("time")).setValue(time);
    econom.fieldByName(QStringLiteral("impact")).setValue(impact);
    econom.post();
}

// The text colour of a cell: its brightest pixel that is not the ground (a fully covered pixel of a glyph).
QColor textColour(const QImage &image, const QRect &cell, const QColor &ground)
{
    QColor best = ground;
    int bestSum = -1;
    for (int y = cell.top() + 1; y < cell.bottom(); ++y)
        for (int x = cell.left() + 1; x < cell.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            const int sum = c.red() + c.green() + c.blue();
            if (c != ground && sum > bestSum)
                best = c, bestSum = sum;
        }
    return best;
}

// Glyph edges are blended with the ground: the brightest pixel may miss the pen colour by a few steps.
bool near(const QColor &a, const QColor &b)
{
    return qAbs(a.red() - b.red()) <= 6 && qAbs(a.green() - b.green()) <= 6 && qAbs(a.blue() - b.blue()) <= 6;
}

bool holds(const QImage &image, const QRect &rect, const QColor &colour)
{
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x)
            if (image.pixelColor(x, y) == colour)
                return true;
    return false;
}

} // namespace

class TestCalendarPanel : public QObject
{
    Q_OBJECT
private slots:
    void shades_data()
    {
        QTest::addColumn<QDate>("date");
        QTest::addColumn<QTime>("time");
        QTest::addColumn<QString>("impact");
        QTest::addColumn<int>("shade");
        const QTime now(14, 28, 30);
        using S = CalendarPanel::Shade;
        QTest::newRow("today, still to come") << kToday << QTime(14, 29) << "Высокий" << int(S::Yellow);
        QTest::newRow("today, past") << kToday << QTime(14, 28) << "Высокий" << int(S::Grey);
        QTest::newRow("today, this very moment") << kToday << now << "Высокий" << int(S::Plain);
        QTest::newRow("yesterday, late") << kToday.addDays(-1) << QTime(23, 59) << "Низкий" << int(S::Grey);
        QTest::newRow("tomorrow, early") << kToday.addDays(1) << QTime(0, 0) << "Низкий" << int(S::White);
        QTest::newRow("holiday tomorrow") << kToday.addDays(1) << QTime(0, 0) << "Выходной" << int(S::White);
        QTest::newRow("holiday today, to come") << kToday << QTime(23, 0) << "Выходной" << int(S::Yellow);
        QTest::newRow("holiday today, past") << kToday << QTime(0, 0) << "Выходной" << int(S::Grey);
        QTest::newRow("holiday today, this moment") << kToday << now << "Выходной" << int(S::Grey);
    }
    void shades()
    {
        QFETCH(QDate, date);
        QFETCH(QTime, time);
        QFETCH(QString, impact);
        QFETCH(int, shade);
        QCOMPARE(int(CalendarPanel::shadeOf(date, time, impact, QDateTime(kToday, QTime(14, 28, 30)))), shade);
    }

    // Rendered at a pinned clock: the colours of each row, the current row on green, the pictures over the
    // importance words, and a row turning grey at the first repaint after its minute.
    void drawnGrid()
    {
        FakeClock clock(QDateTime(kToday, QTime(14, 28, 30)));
        clock.setFormats(QStringLiteral("dd.MM.yyyy"), QStringLiteral("H:mm:ss"));
        DataSet econom;
        TableSchemas::defineEconom(econom);
        econom.createDataSet();
        econom.setIndexName(QStringLiteral("DataTime"));
        // Newest first: rows 0 to 4.
        addRow(econom, QStringLiteral("Bank Holiday"), kToday.addDays(1), QTime(10, 0), QStringLiteral("Выходной"));
        addRow(econom, QStringLiteral("Holiday later today"), kToday, QTime(15, 0), QStringLiteral("Выходной"));
        addRow(econom, QStringLiteral("Non-Farm Employment"), kToday, QTime(14, 29), QStringLiteral("Высокий"));
        addRow(econom, QStringLiteral("Retail Sales m/m"), kToday, QTime(14, 28), QStringLiteral("Средний"));
        addRow(econom, QStringLiteral("Trade Balance"), kToday.addDays(-1), QTime(23, 0), QStringLiteral("Foo"));

        CalendarPanel panel;
        panel.setClock(&clock);
        DataSetModel model(&econom);
        panel.setModel(&model);
        QTableView *grid = panel.grid();
        grid->setSelectionModel(model.selectionModel());
        econom.moveTo(2);
        panel.resize(481, 290);
        panel.show();
        QVERIFY(QTest::qWaitForWindowExposed(&panel));

        const QStringList titles{"Событие", " V ", "Дата", "Время", "Прогноз", "Значение", "Важно..."};
        for (int c = 0; c < titles.size(); ++c) {
            QCOMPARE(model.headerData(c, Qt::Horizontal).toString(), titles[c]);
            QCOMPARE(grid->columnWidth(c), CalendarPanel::columns()[c].width);
        }
        QCOMPARE(model.index(4, 2).data().toDate(), kToday.addDays(-1));

        const QColor black(0, 0, 0), green(0, 128, 0), red(230, 0, 0);
        auto cell = [grid](int row, int col) {
            return grid->visualRect(grid->model()->index(row, col));
        };
        QImage image = grid->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
        auto text = [&image, &cell](int row, int col, const QColor &ground) {
            return textColour(image, cell(row, col), ground);
        };
        QVERIFY2(near(text(0, 0, black), QColor(255, 255, 255)),
                 qPrintable(text(0, 0, black).name())); // holiday tomorrow
        QVERIFY2(near(text(1, 0, black), QColor(255, 255, 0)),
                 qPrintable(text(1, 0, black).name())); // holiday still to come today
        QVERIFY2(near(text(2, 0, green), QColor(255, 255, 0)),
                 qPrintable(text(2, 0, green).name())); // current row, still to come
        QCOMPARE(image.pixelColor(cell(2, 0).center().x(), cell(2, 0).top() + 1), green);
        QVERIFY2(near(text(3, 0, black), QColor(128, 128, 128)), qPrintable(text(3, 0, black).name())); // a minute ago
        QVERIFY2(near(text(4, 0, black), QColor(128, 128, 128)), qPrintable(text(4, 0, black).name())); // yesterday
        // The dates and times in the user's formats.
        QCOMPARE(clock.formatShortDate(model.index(4, 2).data().toDate()), QStringLiteral("04.03.2026"));

        // Pictures over the three known words, the word itself otherwise.
        QVERIFY(holds(image, cell(2, 6), red));
        QVERIFY(holds(image, cell(3, 6), red));
        QVERIFY(!holds(image, cell(0, 6), red));
        QVERIFY(!holds(image, cell(4, 6), red));
        QVERIFY2(near(text(4, 6, black), QColor(128, 128, 128)), qPrintable(text(4, 6, black).name()));
        QVERIFY(holds(image, cell(3, 6), QColor(32, 32, 32))); // the picture's dark ground, stretched
        QVERIFY(holds(image, QRect(cell(3, 6).right() - 2, cell(3, 6).top() + 1, 2, 2), QColor(32, 32, 32)));

        // A minute on: the release at 14:29 has passed and turns grey at the next paint.
        clock.advanceSecs(60);
        grid->viewport()->update();
        image = grid->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
        QVERIFY2(near(text(2, 0, green), QColor(128, 128, 128)), qPrintable(text(2, 0, green).name()));
        QVERIFY2(near(text(1, 0, black), QColor(255, 255, 0)), qPrintable(text(1, 0, black).name()));
    }

    void emptyTableShowsTitlesOnly()
    {
        DataSet econom;
        TableSchemas::defineEconom(econom);
        econom.createDataSet();
        CalendarPanel panel;
        DataSetModel model(&econom);
        panel.setModel(&model);
        QCOMPARE(model.rowCount(), 0);
        QCOMPARE(panel.grid()->horizontalHeader()->model()->headerData(0, Qt::Horizontal).toString(),
                 QStringLiteral("Событие"));
    }
};

QTEST_MAIN(TestCalendarPanel)
#include "test_calendar_panel.moc"
