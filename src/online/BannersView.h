// The four banners of the main window (`WebBrowser1`, `WebBrowser3`, `WebBrowser4`, `WebBrowser5`): started when
// the program starts online, refreshed every five minutes by `Timer3`, each in its holder panel.
#pragma once

#include "online/WebView.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QTimer>
#include <functional>

class NetState;
class QWidget;
class Shell;

class BannersView : public QObject
{
    Q_OBJECT
public:
    /// `Timer3`'s interval.
    static constexpr int RefreshMs = 300000;

    /// A holder panel and where its view lies inside it.
    struct Holder
    {
        QWidget *panel = nullptr;
        QRect viewGeometry;
    };

    BannersView(WebViewFactory *factory, NetState *net, Shell *shell, QObject *parent = nullptr);
    ~BannersView() override;

    /// `Panel1`, `Panel6`, `Panel7`, `Panel8` in this order.
    void setHolders(const QList<Holder> &holders);
    /// Scheme, host and port of the maker's site.
    void setSiteUrl(const QString &siteUrl) { m_siteUrl = siteUrl; }
    /// Asked afresh at each navigation (`MachineId::current` by default).
    void setMachineId(std::function<QString()> machineId) { m_machineId = std::move(machineId); }
    /// The English name of the system language, for the start-up address.
    void setLanguageName(const QString &name) { m_languageName = name; }

    /// The start-up's step: online, the strip `Panel1` shows and every banner loads (the views are made now);
    /// offline, the strip hides and nothing is made or loaded.
    void startUp();
    /// `Timer3Timer`: offline nothing happens; online the four holders show and every banner loads again.
    /// A banner that cannot be loaded at all (no browser engine) hides the four holders.
    void refresh();
    /// Starts `Timer3`.
    void startTimer() { m_timer.start(); }
    bool isTimerActive() const { return m_timer.isActive(); }

    /// The view of banner i (0: the wide strip), nothing before its first load.
    WebView *view(int i) const;

private:
    bool navigate(const QList<QUrl> &addresses);
    WebView *viewFor(int i);
    void setHoldersVisible(bool visible);

    WebViewFactory *m_factory;
    NetState *m_net;
    Shell *m_shell;
    QList<Holder> m_holders;
    QList<WebView *> m_views;
    QList<QPointer<QWidget>> m_viewWidgets;
    QString m_siteUrl;
    QString m_languageName;
    std::function<QString()> m_machineId;
    QTimer m_timer;
};
