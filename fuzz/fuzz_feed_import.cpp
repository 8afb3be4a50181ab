// One calendar feed document read and merged into an in-memory events table.
#include "calendar/CalendarMerge.h"
#include "calendar/FeedReader.h"
#include "platform/Failure.h"
#include "store/DataSet.h"
#include "store/TableSchemas.h"

#include <QCoreApplication>
#include <QDate>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    FeedEvents events;
    try {
        events = FeedReader::read(bytes);
    } catch (const Failure &) {
        return 0;
    }
    DataSet econom;
    try {
        TableSchemas::defineEconom(econom);
        econom.createDataSet();
        econom.setIndexName(QStringLiteral("DataTime"));
        CalendarMerge::merge(econom, events, 3, QDate(2025, 5, 4));
    } catch (const Failure &) {}
    return 0;
}
