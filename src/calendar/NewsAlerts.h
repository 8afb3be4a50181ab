// `EconomMessTimer`: once a minute, warns of the calendar's releases due a chosen number of minutes from now.
#pragma once

#include "platform/Services.h"

#include <QDate>
#include <QObject>
#include <QString>
#include <QTime>
#include <QTimer>

#include <functional>
#include <optional>

class DataSet;

/*
 *   NewsAlerts alerts(&econom, services);
 *   alerts.setLeadMinutes(values.newsLeadMinutes);   // -1 off, 0 at the release, else minutes ahead
 *   alerts.setVoiceLang(values.voiceLang);
 *   alerts.start();                                   // a check in every clock minute
 *
 * A check takes the current minute plus the lead time as its target (not wrapped at midnight: a target of
 * 24:00 or later finds nothing) and counts the rows dated today whose time falls in that minute. When there
 * are any: the "MailBeep" sound, the message spoken under "mess-" + voice language (fetched again, since the
 * text changes), a warning balloon for 50 seconds and an information box "Информация". The voice and the box
 * never hold the check up: the voice answers later, the box opens after the check has returned, so later
 * checks still run (and can open their own boxes) while one is open. The working set is trimmed at every
 * check, also when alerts are off.
 *
 * The check runs once per clock minute: the timer is set for one second past each minute, and a second
 * check in a minute already checked does nothing, so a release is announced once, in the minute its target
 * is reached.
 */
class NewsAlerts : public QObject
{
    Q_OBJECT
public:
    struct Alert
    {
        QString caption;
        QString message;
    };

    NewsAlerts(DataSet *econom, const Services &services, QObject *parent = nullptr);

    void setLeadMinutes(int minutes) { m_leadMinutes = minutes; }
    int leadMinutes() const { return m_leadMinutes; }
    void setVoiceLang(const QString &lang) { m_voiceLang = lang; }
    /// `TrimWorkingSet`; by default trimWorkingSet() (platform/WorkingSetTrim.h).
    void setTrimWorkingSet(std::function<void()> trim) { m_trim = std::move(trim); }
    /// Where a failed voice is told (once, until the voice works again); the alert itself is shown anyway.
    void setReportFailure(std::function<void(const QString &)> report) { m_report = std::move(report); }

    void start();
    void stop() { m_timer.stop(); }
    bool isActive() const { return m_timer.isActive(); }
    int nextCheckInMs() const { return m_timer.remainingTime(); }

    /// `EconomMessTimer`: one check at the clock's current time.
    void check();

    /// The caption and message for `count` releases (count > 0) with the given lead time; `impact` is the
    /// importance word of the last match scanned.
    static Alert compose(int leadMinutes, int count, const QString &impact);

signals:
    /// A check has scanned the table (the calendar grid repaints its clock-dependent colours).
    void checked();

private:
    void armTimer();

    DataSet *m_econom;
    Services m_services;
    int m_leadMinutes = 15;
    QString m_voiceLang;
    std::function<void()> m_trim;
    std::function<void(const QString &)> m_report;
    QString m_lastReported;
    QTimer m_timer;
    std::optional<QDateTime> m_lastMinute;
};
