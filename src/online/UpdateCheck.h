// The update check: the 100-second tick that turns the bottom caption into a notice, and the About window's check.
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <QUrl>
#include <functional>
#include <optional>

class LanguageTexts;
class NetState;
class PageFetcher;
class Prompts;

class UpdateCheck : public QObject
{
    Q_OBJECT
public:
    /// `TimerUpdate`'s interval.
    static constexpr int TickMs = 100000;
    static constexpr const char *UpdatePath = "/attachments/update.html";
    static constexpr const char *InstallerPath = "/attachments/047_SetupVeltrane.exe";

    /// texts: the About window's texts (SendMSG3 .. SendMSG7), read at each use so a language switch shows.
    UpdateCheck(NetState *net, PageFetcher *pages, Prompts *prompts, const LanguageTexts *texts,
                QObject *parent = nullptr);

    /// siteUrl: scheme, host and port of the maker's site, without a trailing slash.
    void setSiteUrl(const QString &siteUrl) { m_siteUrl = siteUrl; }
    /// `ProgramVersion`.
    void setProgramVersion(const QString &version) { m_programVersion = version; }
    /// Run first at every tick, online or not (the hot keys are registered again).
    void setEveryTick(std::function<void()> everyTick) { m_everyTick = std::move(everyTick); }

    QUrl updatePageUrl() const { return QUrl(m_siteUrl + QLatin1String(UpdatePath)); }
    QUrl installerUrl() const { return QUrl(m_siteUrl + QLatin1String(InstallerPath)); }

    /// Starts `TimerUpdate`.
    void start() { m_timer.start(); }
    bool isActive() const { return m_timer.isActive(); }

    /// `TimerUpdateTimer`: returns at once; the page comes from the event loop and noticeChanged() follows.
    /// A tick that comes while the previous one still waits for its page only does its first step.
    void tick();
    /// `Button2Click`: fetches the page without waiting and then asks or informs through the prompts.
    /// A click while a check is under way is ignored.
    void checkNow();
    bool isChecking() const { return m_checking; }
    /// `Label3Click`: asks for the installer's download; the notice stays as it is.
    void downloadInstaller() { emit downloadRequested(installerUrl()); }

    /// The content between the first opening and the first closing marker, with every opening marker removed;
    /// empty when either is missing or the closing one comes first.
    static QString markerContent(const QString &text, const QString &open, const QString &close);
    /// The version with its dots removed, read as a decimal number; nothing when that is empty or not a number.
    static std::optional<qint64> versionNumber(const QString &version);
    /// Whether candidate is newer than own by the numbers without dots; nothing when either cannot be read.
    static std::optional<bool> isNewer(const QString &candidate, const QString &own);

signals:
    /// After a tick's page: true shows the notice `Label3` (and hides the caption `Label4`), false the reverse.
    /// Not emitted when the published version cannot be read: the notice stays as it was.
    void noticeChanged(bool newer);
    /// The installer is to be downloaded (the notice was clicked, or the About window's question got Yes).
    void downloadRequested(const QUrl &installer);

private:
    void tickPageArrived();
    void checkPageArrived();

    NetState *m_net;
    PageFetcher *m_pages;
    Prompts *m_prompts;
    const LanguageTexts *m_texts;
    QString m_siteUrl;
    QString m_programVersion;
    std::function<void()> m_everyTick;
    QTimer m_timer;
    bool m_ticking = false;
    bool m_checking = false;
};
