#include "app/NextNews.h"

#include "platform/Clock.h"
#include "platform/Notifier.h"

NextNews::Result NextNews::find(const QList<Release> &rows, const QDateTime &now)
{
    Result r;
    const QDate today = now.date();
    const QTime timeNow = now.time();
    for (const Release &row : rows) {
        // A row without a time (an empty field) cannot come "later today"; it never counts.
        if (row.date != today || !row.time.isValid())
            continue;
        if (row.time > timeNow && row.time < r.next) {
            r.next = row.time;
            ++r.count;
        }
    }
    return r;
}

NextNews::Balloon NextNews::compose(const Result &result, const QString &longTimeFormat)
{
    Balloon b;
    b.title = QStringLiteral("Следующее событие");
    b.seconds = 10;
    if (result.count == 0)
        b.text = QStringLiteral("Сегодня никаких экономический событий не произойдет");
    else
        b.text = QStringLiteral("Следующая новость будет опубликована в ") + result.next.toString(longTimeFormat);
    return b;
}

void NextNews::announce(const QList<Release> &rows, const Clock &clock, Notifier &notifier)
{
    const Balloon b = compose(find(rows, clock.localNow()), clock.longTimeFormat());
    notifier.playSound(QStringLiteral("MailBeep"));
    notifier.showBalloon(b.title, b.text, b.seconds, Notifier::BalloonIcon::Information);
}
