#include "calendar/NewsAlerts.h"

#include "platform/Clock.h"
#include "platform/Failure.h"
#include "platform/Notifier.h"
#include "platform/Prompts.h"
#include "platform/Speech.h"
#include "platform/WorkingSetTrim.h"
#include "store/DataSet.h"

#include <QDebug>

namespace {

QString leadPhrase(int lead)
{
    switch (lead) {
    case 3: return QStringLiteral(" три минуты");
    case 5: return QStringLiteral(" пять минут");
    case 15: return QStringLiteral(" пятнадцать минут");
    case 30: return QStringLiteral(" тридцать минут");
    case 60: return QStringLiteral(" один час");
    default: return {};
    }
}

QString countPhrase(int count)
{
    switch (count) {
    case 2: return QStringLiteral(" две новости");
    case 3: return QStringLiteral(" три новости");
    case 4: return QStringLiteral(" четыре новости");
    case 5: return QStringLiteral(" пять новостей");
    default: return QStringLiteral(" несколько новостей");
    }
}

} // namespace

NewsAlerts::NewsAlerts(DataSet *econom, const Services &services, QObject *parent)
    : QObject(parent), m_econom(econom), m_services(services), m_trim(&trimWorkingSet)
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        armTimer();
        check();
    });
}

void NewsAlerts::start()
{
    armTimer();
}

void NewsAlerts::armTimer()
{
    // One second past the next minute: a fixed 60-second period drifts across minute boundaries and would
    // now and then skip a minute or check one twice.
    const QTime now = m_services.clock->localNow().time();
    const int intoMinute = now.second() * 1000 + now.msec();
    m_timer.start(60000 - intoMinute + 1000);
}

NewsAlerts::Alert NewsAlerts::compose(int lead, int count, const QString &impact)
{
    const QString l = QString::number(lead);
    if (lead == 0) {
        if (count == 1)
            return {QStringLiteral("Новость опубликована"),
                    QStringLiteral("Только что опубликована новость. Уровень важности: ") + impact};
        return {QStringLiteral("Новость опубликована"),
                QStringLiteral("Только что опубликованы новости (") + QString::number(count) + QLatin1Char(')')};
    }
    const QString caption = QStringLiteral("До события ") + l + QStringLiteral(" минут");
    if (count == 1)
        return {caption, QStringLiteral("Через ") + l
                             + QStringLiteral(" минут будет опубликована новость. Уровень важности: ") + impact};
    return {caption,
            QStringLiteral("Через ") + leadPhrase(lead) + QStringLiteral(" будут опубликованы ") + countPhrase(count)};
}

void NewsAlerts::check()
{
    const QDateTime now = m_services.clock->localNow();
    const QDateTime minute(now.date(), QTime(now.time().hour(), now.time().minute()));
    const bool sameMinute = m_lastMinute && *m_lastMinute == minute;
    m_lastMinute = minute;

    int count = 0;
    QString impact;
    if (m_leadMinutes >= 0 && !sameMinute && m_econom && m_econom->isActive()) {
        const int target = minute.time().hour() * 60 + minute.time().minute() + m_leadMinutes;
        const int cDate = m_econom->fieldIndex(QStringLiteral("date"));
        const int cTime = m_econom->fieldIndex(QStringLiteral("time"));
        const int cImpact = m_econom->fieldIndex(QStringLiteral("impact"));
        if (target < 24 * 60 && cDate >= 0 && cTime >= 0 && cImpact >= 0) {
            m_econom->disableControls();
            for (int r = 0, rows = m_econom->rowCount(); r < rows; ++r) {
                if (m_econom->valueAt(r, cDate).toDate() != minute.date())
                    continue;
                const QTime t = m_econom->valueAt(r, cTime).toTime();
                if (t.isValid() && t.hour() * 60 + t.minute() == target) {
                    ++count;
                    impact = m_econom->valueAt(r, cImpact).toString();
                }
            }
            m_econom->enableControls();
        }
    }

    if (count > 0) {
        const Alert alert = compose(m_leadMinutes, count, impact);
        qInfo().noquote() << QStringLiteral("Veltrane: news alert: %1: %2").arg(alert.caption, alert.message);
        if (m_services.notifier)
            m_services.notifier->playSound(QStringLiteral("MailBeep"));
        if (m_services.speech) {
            m_services.speech->speakText(alert.message, QStringLiteral("mess-") + m_voiceLang, true, this,
                                         [this](const Speech::Result &r) {
                                             if (!r.failed) {
                                                 m_lastReported.clear();
                                                 return;
                                             }
                                             qInfo().noquote() << "Veltrane: news alert not spoken:" << r.failure;
                                             if (r.failure != m_lastReported && m_report)
                                                 m_report(r.failure);
                                             m_lastReported = r.failure;
                                         });
        }
        if (m_services.notifier)
            m_services.notifier->showBalloon(alert.caption, alert.message, 50, Notifier::BalloonIcon::Warning);
        // The box waits for the user; it opens once this check has returned, so the minute checks go on.
        if (m_services.prompts) {
            QMetaObject::invokeMethod(
                this,
                [this, message = alert.message] {
                    m_services.prompts->information(QStringLiteral("Информация"), message);
                },
                Qt::QueuedConnection);
        }
    }
    if (m_trim)
        m_trim();
    emit checked();
}
