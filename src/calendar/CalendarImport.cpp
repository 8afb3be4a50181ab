#include "calendar/CalendarImport.h"

#include "calendar/FeedReader.h"
#include "platform/Clock.h"
#include "platform/Failure.h"
#include "platform/NetState.h"
#include "store/DataSet.h"

#include <QDebug>

CalendarImport::CalendarImport(DataSet *econom, const Services &services, QObject *parent)
    : QObject(parent), m_econom(econom), m_services(services)
{
    connect(&m_download, &FeedDownload::finished, this, &CalendarImport::downloaded);
}

void CalendarImport::importCalendar()
{
    if (m_services.net && !m_services.net->isOnline()) {
        qInfo().noquote() << "Veltrane: calendar feed not asked for: offline";
        QMetaObject::invokeMethod(
            this,
            [this] {
                emit finished({}, QStringLiteral("offline"));
            },
            Qt::QueuedConnection);
        return;
    }
    m_download.start(m_feedUrl);
}

void CalendarImport::downloaded(const QByteArray &body, const QString &failure)
{
    if (!failure.isEmpty()) {
        qInfo().noquote() << "Veltrane: calendar feed not loaded:" << failure;
        emit finished({}, failure);
        return;
    }
    CalendarMerge::Outcome outcome;
    try {
        outcome = importDocument(body);
    } catch (const Failure &f) {
        qInfo().noquote() << "Veltrane: calendar feed not imported:" << f.text();
        emit finished({}, f.text());
        return;
    }
    emit finished(outcome, {});
}

CalendarMerge::Outcome CalendarImport::importDocument(const QByteArray &document)
{
    const FeedEvents events = FeedReader::read(document); // throws: nothing changed
    if (!m_econom || !m_econom->isActive())
        throw Failure(QStringLiteral("the calendar table is not open"));
    const CalendarMerge::Outcome outcome
        = CalendarMerge::merge(*m_econom, events, m_utcOffsetHours, m_services.clock->today());
    qInfo().noquote() << QStringLiteral("Veltrane: calendar feed: %1 events, %2 new rows, %3 past rows removed%4")
                             .arg(events.size())
                             .arg(outcome.inserted)
                             .arg(outcome.removed)
                             .arg(outcome.stoppedBy.isEmpty() ? QString()
                                                              : QStringLiteral(", stopped by ") + outcome.stoppedBy);
    if (outcome.changed()) {
        try {
            m_econom->saveToFile();
        } catch (const Failure &f) {
            // The rows stay in memory and the file is tried again when the table closes at exit.
            if (m_report)
                m_report(f.text());
        }
    }
    return outcome;
}
