// `ImportCalendar`: the weekly feed downloaded and merged into the calendar table, once per run.
#pragma once

#include "calendar/CalendarMerge.h"
#include "calendar/FeedDownload.h"
#include "platform/Services.h"

#include <QObject>
#include <QUrl>

#include <functional>

class DataSet;

/*
 *   CalendarImport calendar(&econom, services);
 *   calendar.setFeedUrl(addresses.feed());
 *   calendar.setUtcOffsetHours(values.utcOffsetHours);
 *   calendar.setReportFailure(...);        // only for a table file that cannot be written
 *   calendar.importCalendar();             // returns at once
 *
 * Offline nothing is tried. Otherwise the download runs in the background, bounded (FeedDownload), and the
 * merge runs when the document has come, in one go on the GUI thread, so nobody sees a half-merged table.
 * A feed that cannot be had or read changes nothing and says nothing to the user (one line in the log);
 * the next attempt is the next start. A merge that changed the table writes its file at once, so a crash
 * later in the day does not lose the week.
 */
class CalendarImport : public QObject
{
    Q_OBJECT
public:
    CalendarImport(DataSet *econom, const Services &services, QObject *parent = nullptr);

    void setFeedUrl(const QUrl &url) { m_feedUrl = url; }
    QUrl feedUrl() const { return m_feedUrl; }
    void setUtcOffsetHours(int hours) { m_utcOffsetHours = hours; }
    void setReportFailure(std::function<void(const QString &)> report) { m_report = std::move(report); }
    FeedDownload &download() { return m_download; }

    /// `ImportCalendar`: starts the import and returns at once; finished() tells the outcome.
    void importCalendar();
    /// Reads one feed document and merges it into the table now (what a completed download leads to).
    CalendarMerge::Outcome importDocument(const QByteArray &document);

signals:
    /// The import is over: `failure` says why nothing was merged (offline, download, document), else the
    /// merge's outcome tells what it did.
    void finished(const CalendarMerge::Outcome &outcome, const QString &failure);

private:
    void downloaded(const QByteArray &body, const QString &failure);

    DataSet *m_econom;
    Services m_services;
    QUrl m_feedUrl;
    int m_utcOffsetHours = 0;
    std::function<void(const QString &)> m_report;
    FeedDownload m_download;
};
