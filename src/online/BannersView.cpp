#include "online/BannersView.h"

#include "online/MachineId.h"
#include "online/WebAddresses.h"
#include "platform/NetState.h"
#include "platform/Shell.h"

#include <QWidget>

BannersView::BannersView(WebViewFactory *factory, NetState *net, Shell *shell, QObject *parent)
    : QObject(parent), m_factory(factory), m_net(net), m_shell(shell), m_machineId(&MachineId::current)
{
    m_timer.setInterval(RefreshMs);
    connect(&m_timer, &QTimer::timeout, this, &BannersView::refresh);
}

BannersView::~BannersView()
{
    for (const QPointer<QWidget> &w : m_viewWidgets)
        delete w.data();
}

void BannersView::setHolders(const QList<Holder> &holders)
{
    m_holders = holders;
    m_views = QList<WebView *>(holders.size(), nullptr);
    m_viewWidgets = QList<QPointer<QWidget>>(holders.size());
}

WebView *BannersView::view(int i) const
{
    return i >= 0 && i < m_views.size() && m_viewWidgets.at(i) ? m_views.at(i) : nullptr;
}

void BannersView::startUp()
{
    if (m_holders.isEmpty())
        return;
    if (!m_net->isOnline()) {
        m_holders.first().panel->hide();
        return;
    }
    m_holders.first().panel->show();
    if (!navigate(WebAddresses::bannersAtStart(m_siteUrl, m_machineId(), m_languageName)))
        setHoldersVisible(false);
}

void BannersView::refresh()
{
    if (m_holders.isEmpty() || !m_net->isOnline())
        return;
    setHoldersVisible(true);
    if (!navigate(WebAddresses::bannersAtRefresh(m_siteUrl, m_machineId())))
        setHoldersVisible(false);
}

bool BannersView::navigate(const QList<QUrl> &addresses)
{
    bool all = true;
    for (int i = 0; i < m_holders.size() && i < addresses.size(); ++i) {
        WebView *v = viewFor(i);
        if (v)
            v->load(addresses.at(i));
        else
            all = false;
    }
    return all;
}

WebView *BannersView::viewFor(int i)
{
    if (WebView *v = view(i))
        return v;
    WebViewHooks hooks;
    hooks.acceptNavigation = [this](WebNavigation::Kind kind, bool mainFrame, const QUrl &url) {
        const WebNavigation::Action action = WebNavigation::decide(WebNavigation::Rule::Banner, kind, mainFrame, url);
        if (action == WebNavigation::Action::Stay)
            return true;
        if (action == WebNavigation::Action::Refuse)
            return false;
        // Out of the engine's call first: the desktop's browser is started from the event loop.
        QTimer::singleShot(0, this, [this, url] {
            m_shell->open(url.toString());
        });
        return false;
    };
    if (i == 0) {
        // `WebBrowser1DocumentComplete`: the strip shows while online, whatever the page was.
        hooks.loadFinished = [this](bool) {
            m_holders.first().panel->setVisible(m_net->isOnline());
        };
    }
    const Holder &holder = m_holders.at(i);
    WebView *v = m_factory ? m_factory->create(holder.panel, std::move(hooks)) : nullptr;
    if (!v)
        return nullptr;
    v->widget()->setGeometry(holder.viewGeometry);
    v->widget()->show();
    m_views[i] = v;
    m_viewWidgets[i] = v->widget();
    return v;
}

void BannersView::setHoldersVisible(bool visible)
{
    for (const Holder &h : m_holders)
        h.panel->setVisible(visible);
}
