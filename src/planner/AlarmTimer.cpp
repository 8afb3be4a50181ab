#include "planner/AlarmTimer.h"

#include "planner/AlarmFields.h"
#include "planner/EventRules.h"
#include "planner/PowerCountdown.h"
#include "planner/ReminderPresenter.h"
#include "platform/Clock.h"
#include "platform/Failure.h"
#include "platform/Notifier.h"
#include "platform/Prompts.h"
#include "platform/Shell.h"
#include "platform/Speech.h"
#include "store/DataSet.h"

#include <QFile>
#include <QMetaMethod>

namespace {

bool editing(const DataSet &alarm)
{
    return alarm.state() == DataSet::State::Edit || alarm.state() == DataSet::State::Insert;
}

/// Sets a flag for the life of a scope and suspends the bound controls, undoing both however it ends.
class ScanScope
{
public:
    ScanScope(bool &flag, DataSet &alarm) : m_flag(flag), m_alarm(alarm)
    {
        m_flag = true;
        m_alarm.disableControls();
    }
    ~ScanScope()
    {
        m_flag = false;
        // Nothing may leave a destructor: a bound control that fails to show the record only logs it here.
        try {
            m_alarm.enableControls();
        } catch (const std::exception &e) {
            qWarning("Veltrane: showing the events after a scan failed: %s", e.what());
        }
    }
    ScanScope(const ScanScope &) = delete;
    ScanScope &operator=(const ScanScope &) = delete;

private:
    bool &m_flag;
    DataSet &m_alarm;
};

} // namespace

AlarmTimer::AlarmTimer(DataSet *alarm, const Services &services, const QString &appDir, const QString &voiceLang,
                       QObject *parent)
    : QObject(parent), m_alarm(alarm), m_services(services), m_appDir(appDir), m_voiceLang(voiceLang)
{
    m_timer.setInterval(10000);
    connect(&m_timer, &QTimer::timeout, this, &AlarmTimer::scan);
}

void AlarmTimer::setCountdown(PowerCountdown *countdown)
{
    m_countdown = countdown;
    if (m_countdown)
        m_countdown->setCompleteEvent([this](int id) {
            completeEvent(id);
        });
}

void AlarmTimer::start()
{
    m_timer.start();
}

void AlarmTimer::stop()
{
    m_timer.stop();
}

QString AlarmTimer::recordingPath(int id) const
{
    return m_appDir + QStringLiteral("message") + QString::number(id) + QStringLiteral(".mp3");
}

void AlarmTimer::scan()
{
    if (m_scanning || !m_alarm->isActive() || editing(*m_alarm))
        return;
    // The timer's slot: nothing is thrown on from here. A failure is told once after the slot has returned, and
    // not again at every later scan for as long as the same failure lasts.
    try {
        scanDue();
        m_lastScanFailure.clear();
    } catch (const std::exception &e) {
        const auto *failure = dynamic_cast<const Failure *>(&e);
        const QString text = failure ? failure->text() : QString::fromLocal8Bit(e.what());
        if (text == m_lastScanFailure)
            return;
        m_lastScanFailure = text;
        QMetaObject::invokeMethod(
            this,
            [this, text] {
                reportFailure(text);
            },
            Qt::QueuedConnection);
    }
}

void AlarmTimer::scanDue()
{
    {
        ScanScope scope(m_scanning, *m_alarm);
        const int current = m_alarm->currentRow();
        const qint64 remembered
            = current >= 0 ? m_alarm->valueAt(current, m_alarm->fieldIndex(QStringLiteral("id"))).toLongLong() : -1;

        // The ids are taken first, in index order, and every event is found again by its id before it is
        // handled: a record deleted or moved by an earlier one never makes its neighbour look due, and the
        // due test is made only on rows, without moving the cursor over events that are not due.
        QList<int> due;
        const QDateTime now = m_services.clock->localNow();
        const int idColumn = m_alarm->fieldIndex(QStringLiteral("id"));
        const int dataColumn = m_alarm->fieldIndex(QStringLiteral("Data"));
        const int timeColumn = m_alarm->fieldIndex(QStringLiteral("Time"));
        PlannerEvent moment;
        for (int row = 0, rows = m_alarm->recordCount(); row < rows; ++row) {
            moment.data = m_alarm->valueAt(row, dataColumn).toDate();
            moment.time = m_alarm->valueAt(row, timeColumn).toTime();
            if (EventRules::isDue(moment, now))
                due << int(m_alarm->valueAt(row, idColumn).toLongLong());
        }
        for (int id : std::as_const(due)) {
            // A speech wait serves the event loop; should the user start editing meanwhile, the rest waits.
            if (editing(*m_alarm))
                break;
            if (!m_alarm->locate(id))
                continue;
            const PlannerEvent e = AlarmFields::read(*m_alarm);
            if (!EventRules::isDue(e, m_services.clock->localNow()))
                continue;
            handle(e);
        }
        // Only a scan that moved the cursor puts it back; a quiet scan leaves the editor untouched. While the
        // user edits, moving the cursor would post the half-made record, so it stays where it is.
        if (!due.isEmpty() && !editing(*m_alarm) && !m_alarm->isEmpty()) {
            if (remembered < 0 || !m_alarm->locate(remembered))
                m_alarm->first();
        }
    }
}

void AlarmTimer::handle(const PlannerEvent &event)
{
    switch (event.tip) {
    case int(EventKind::Reminder): handleReminder(event); break;
    case int(EventKind::Launch): handleLaunch(event); break;
    case int(EventKind::PowerOff):
    case int(EventKind::Sleep): handlePower(event); break;
    default:
        // An unknown kind has nothing to carry out; it stays in the table as the user left it.
        break;
    }
}

void AlarmTimer::handleReminder(const PlannerEvent &event)
{
    if (!m_reminder || m_reminder->isReminderOpen())
        return;
    m_reminder->setReminderEventId(event.id);
    if (event.repeat && !EventRules::eventAllowed(event)) {
        closeReminder(event.id);
        return;
    }
    const QString title = m_texts.text(QStringLiteral("Combobox2Items0"));
    m_services.notifier->showBalloon(title, event.execute, 10, Notifier::BalloonIcon::Information);
    const Clock &clock = *m_services.clock;
    m_reminder->setReminderTexts(title + QStringLiteral(": ") + clock.formatShortDate(event.data)
                                     + QStringLiteral(" - ") + clock.formatLongTime(event.time),
                                 event.execute);
    m_reminder->showReminder();
    speak(event, event.execute, QStringLiteral("message") + QString::number(event.id));
}

void AlarmTimer::handleLaunch(const PlannerEvent &event)
{
    if (event.repeat && !EventRules::eventAllowed(event)) {
        completeEvent(event.id);
        return;
    }
    const QString text = m_texts.text(QStringLiteral("RunAp2"));
    m_services.notifier->showBalloon(m_texts.text(QStringLiteral("RunAp1")), text, 10,
                                     Notifier::BalloonIcon::Information);
    // The result is not checked: a launch that fails is completed all the same.
    m_services.shell->open(event.execute);
    speak(event, text, QStringLiteral("appStart-") + m_voiceLang);
    m_services.notifier->hideBalloon();
    completeEvent(event.id);
}

void AlarmTimer::handlePower(const PlannerEvent &event)
{
    if (!m_countdown || m_countdown->isOpen())
        return;
    m_countdown->setEvent(event.id, event.tip);
    if (event.repeat && !EventRules::eventAllowed(event)) {
        m_countdown->cancel();
        return;
    }
    m_countdown->prepare();
    m_countdown->start();
    if (event.tip == int(EventKind::PowerOff))
        speak(event, m_texts.text(QStringLiteral("Poff3")), QStringLiteral("poweroff-") + m_voiceLang);
    else
        speak(event, m_texts.text(QStringLiteral("Poff4")), QStringLiteral("powerSleep-") + m_voiceLang);
}

void AlarmTimer::speak(const PlannerEvent &event, const QString &text, const QString &soundName)
{
    // The event has been shown or carried out already: the voice follows when its recording is ready.
    const Occurrence occurrence{event.data, event.time};
    m_services.speech->speakText(text, soundName, false, this,
                                 [this, id = event.id, occurrence](const Speech::Result &r) {
                                     if (r.failed)
                                         reportSpeechFailure(id, occurrence, r.failure);
                                 });
}

void AlarmTimer::reportFailure(const QString &text)
{
    if (isSignalConnected(QMetaMethod::fromSignal(&AlarmTimer::failed)))
        emit failed(text);
    else if (m_services.prompts)
        m_services.prompts->error(QStringLiteral("Veltrane"), text);
}

void AlarmTimer::reportSpeechFailure(int id, const Occurrence &occurrence, const QString &text)
{
    // Told once for this occurrence, not at every scan for as long as the speech service is down.
    const auto it = m_reported.constFind(id);
    if (it != m_reported.constEnd() && *it == occurrence)
        return;
    m_reported.insert(id, occurrence);
    // The main window usually takes the report through speechFailed; without a receiver it goes straight
    // to an error box, so a failure is never lost and never shown twice.
    if (isSignalConnected(QMetaMethod::fromSignal(&AlarmTimer::speechFailed)))
        emit speechFailed(text);
    else if (m_services.prompts)
        m_services.prompts->error(QStringLiteral("Veltrane"), text);
}

void AlarmTimer::completeEvent(int id)
{
    if (!m_alarm->locate(id))
        return;
    const PlannerEvent event = AlarmFields::read(*m_alarm);
    if (!event.repeat) {
        m_alarm->deleteRecord();
        QFile::remove(recordingPath(id));
        m_reported.remove(id);
        return;
    }
    shiftEvent(id, EventRules::repeatStep(event), EventRules::unitOfRepeat(event.repeatValueName));
}

void AlarmTimer::shiftEvent(int id, int amount, const QString &unitName)
{
    if (const auto unit = EventRules::unitFromName(unitName))
        shiftEvent(id, amount, *unit);
}

void AlarmTimer::shiftEvent(int id, int amount, ShiftUnit unit)
{
    if (!m_alarm->locate(id))
        return;
    PlannerEvent event = AlarmFields::read(*m_alarm);
    // Every step is worked out in memory and the event is posted once, so a shift over days of missed
    // minutes is one write of the table file instead of thousands, with the same final moment.
    EventRules::shift(event, amount, unit, m_services.clock->localNow());
    EventRules::applyStoringRules(event, m_texts, *m_services.clock);
    m_alarm->edit();
    try {
        AlarmFields::writeMoment(*m_alarm, event);
        m_alarm->post();
    } catch (...) {
        if (m_alarm->state() == DataSet::State::Edit)
            m_alarm->cancel();
        throw;
    }
    m_reported.remove(id);
}

void AlarmTimer::closeReminder(int id)
{
    completeEvent(id);
    m_services.notifier->hideBalloon();
    start();
}
