// Calendar import figures: one real published week (about 90 events) read and merged into a table that
// already holds it, as every start after the first does, beside one scan of that table and the reading of the
// document alone. Prints the median of several runs; asserts nothing.
#include "calendar/CalendarImport.h"
#include "calendar/FeedReader.h"
#include "store/DataSet.h"
#include "store/TableSchemas.h"

#include "FakeServices.h"
#include "TempAppDir.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

template<typename F>
double timeMs(F &&work)
{
    QElapsedTimer t;
    t.start();
    work();
    return double(t.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    // The import's one line per run would drown the figures.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &, const QString &text) {
        if (type != QtInfoMsg && type != QtDebugMsg)
            std::fprintf(stderr, "%s\n", qPrintable(text));
    });
    QFile fixture(QStringLiteral(CALENDAR_FIXTURES "/week-2025-05-04.xml"));
    if (!fixture.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(fixture.fileName()));
        return 1;
    }
    const QByteArray document = fixture.readAll();

    TempAppDir dir;
    FakeServices fakes;
    fakes.clock.setLocal(QDateTime(QDate(2025, 5, 4), QTime(9, 0)));
    DataSet econom;
    TableSchemas::openEconom(econom, dir.appDir());
    CalendarImport import(&econom, fakes.services());
    import.setUtcOffsetHours(3);
    const CalendarMerge::Outcome first = import.importDocument(document); // the first start of the week
    const int events = int(FeedReader::read(document).size());

    const int runs = 31;
    std::vector<double> again, read, scan;
    int insertedAgain = 0;
    for (int run = 0; run < runs; ++run) {
        again.push_back(timeMs([&] {
            insertedAgain += import.importDocument(document).inserted;
        }));
        read.push_back(timeMs([&] {
            (void)FeedReader::read(document);
        }));
        scan.push_back(timeMs([&] {
            // What the duplicate check does once per event: every row's title, date and country.
            const int cTitle = econom.fieldIndex(QStringLiteral("title"));
            const int cDate = econom.fieldIndex(QStringLiteral("date"));
            const int cCountry = econom.fieldIndex(QStringLiteral("country"));
            int hits = 0;
            for (int r = 0; r < econom.rowCount(); ++r)
                hits += econom.valueAt(r, cDate).toDate().isValid() && !econom.valueAt(r, cTitle).toString().isEmpty()
                        && !econom.valueAt(r, cCountry).toString().isEmpty();
            if (hits < 0)
                std::puts("");
        }));
    }
    std::printf("calendar import: %d events in the document, %d rows in the table (%d inserted at the first import, "
                "%d at the %d later ones)\n",
                events, econom.rowCount(), first.inserted, insertedAgain, runs);
    std::printf("  import into a table that holds the week (read + merge): %.3f ms median (target < 20 ms)\n",
                median(again));
    std::printf("  of which reading the document:                         %.3f ms median\n", median(read));
    std::printf("  one scan of the table:                                 %.3f ms median\n", median(scan));
    return 0;
}
