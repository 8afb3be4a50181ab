#include "online/UpdateCheck.h"

#include "i18n/LanguageTexts.h"
#include "online/PageFetcher.h"
#include "platform/NetState.h"
#include "platform/Prompts.h"

#include <QPointer>

UpdateCheck::UpdateCheck(NetState *net, PageFetcher *pages, Prompts *prompts, const LanguageTexts *texts,
                         QObject *parent)
    : QObject(parent), m_net(net), m_pages(pages), m_prompts(prompts), m_texts(texts)
{
    m_timer.setInterval(TickMs);
    connect(&m_timer, &QTimer::timeout, this, &UpdateCheck::tick);
}

QString UpdateCheck::markerContent(const QString &text, const QString &open, const QString &close)
{
    const qsizetype from = text.indexOf(open);
    const qsizetype to = text.indexOf(close);
    if (from < 0 || to < 0 || to < from)
        return {};
    return text.mid(from, to - from).remove(open);
}

std::optional<qint64> UpdateCheck::versionNumber(const QString &version)
{
    const QString digits = QString(version).remove(QLatin1Char('.'));
    // Only plain decimal digits: a sign, blanks or anything else make the text unreadable as a version.
    if (digits.isEmpty() || digits.size() > 18)
        return std::nullopt;
    for (QChar c : digits) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
    }
    return digits.toLongLong();
}

std::optional<bool> UpdateCheck::isNewer(const QString &candidate, const QString &own)
{
    const auto theirs = versionNumber(candidate);
    const auto ours = versionNumber(own);
    if (!theirs || !ours)
        return std::nullopt;
    return *theirs > *ours;
}

void UpdateCheck::tick()
{
    if (m_everyTick)
        m_everyTick();
    if (!m_net->isOnline() || m_ticking)
        return;
    m_ticking = true;
    m_pages->fetchPageAsync(updatePageUrl().toString(), [this] {
        tickPageArrived();
    });
}

void UpdateCheck::tickPageArrived()
{
    m_ticking = false;
    // The tick compares only the first seven characters of the published version.
    const QString version
        = markerContent(m_pages->lastPageText(), QStringLiteral("<ver>"), QStringLiteral("</ver>")).left(7);
    if (const auto newer = isNewer(version, m_programVersion))
        emit noticeChanged(*newer);
}

void UpdateCheck::checkNow()
{
    if (m_checking)
        return;
    m_checking = true;
    m_pages->fetchPageAsync(updatePageUrl().toString(), [this] {
        checkPageArrived();
    });
}

void UpdateCheck::checkPageArrived()
{
    const QString page = m_pages->lastPageText();
    const QString version = markerContent(page, QStringLiteral("<ver>"), QStringLiteral("</ver>"));
    const QString description = markerContent(page, QStringLiteral("<desc>"), QStringLiteral("</desc>"));
    const auto newer = isNewer(version, m_programVersion);
    auto text = [this](const char *key) {
        return m_texts->text(QLatin1String(key));
    };
    // The box waits for the user in a nested loop: the guard stays up until it is answered, so a second
    // click cannot stack a second box, and this object may be gone when it returns.
    const QPointer<UpdateCheck> self(this);
    if (!newer) {
        m_prompts->information(QStringLiteral("Veltrane"),
                               QStringLiteral("Не удалось прочитать версию программы на сайте."));
    } else if (*newer) {
        const QString question
            = text("SendMSG3") + QLatin1Char('\n') + description + QLatin1Char('\n') + text("SendMSG4");
        if (m_prompts->titledQuestion(text("SendMSG5"), question) && self)
            emit downloadRequested(installerUrl());
    } else {
        m_prompts->information(text("SendMSG7"), text("SendMSG6") + QLatin1Char('\n') + text("SendMSG7"));
    }
    if (self)
        m_checking = false;
}
