#include "online/engine/EngineViews.h"

#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QQuickWindow>
#include <QTimer>
#include <QWebEngineDownloadRequest>
#include <QWebEngineLoadingInfo>
#include <QWebEngineProfile>
#include <QWebEngineSettings>

namespace {

WebNavigation::Kind kindOf(QWebEnginePage::NavigationType type)
{
    using K = WebNavigation::Kind;
    switch (type) {
    case QWebEnginePage::NavigationTypeTyped:
        return K::Program; // what load() reports; the views have no address bar to type into
    case QWebEnginePage::NavigationTypeLinkClicked: return K::LinkClicked;
    case QWebEnginePage::NavigationTypeFormSubmitted: return K::FormSubmitted;
    case QWebEnginePage::NavigationTypeBackForward: return K::BackForward;
    case QWebEnginePage::NavigationTypeReload: return K::Reload;
    case QWebEnginePage::NavigationTypeRedirect: return K::Redirect;
    case QWebEnginePage::NavigationTypeOther: break;
    }
    return K::Other;
}

} // namespace

EnginePage::EnginePage(QWebEngineProfile *profile, WebViewHooks hooks, QObject *parent)
    : QWebEnginePage(profile, parent), m_hooks(std::move(hooks))
{
    connect(this, &QWebEnginePage::loadingChanged, this, [this](const QWebEngineLoadingInfo &info) {
        if (!m_hooks.loadFinished)
            return;
        // A navigation that turned out to be a file ends "aborted" and leaves the page as it was: no document
        // finished loading, nor did one fail.
        constexpr int Aborted = -3;
        if (info.status() == QWebEngineLoadingInfo::LoadSucceededStatus)
            m_hooks.loadFinished(true);
        else if (info.status() == QWebEngineLoadingInfo::LoadFailedStatus && info.errorCode() != Aborted)
            m_hooks.loadFinished(false);
    });
}

bool EnginePage::acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame)
{
    if (!m_hooks.acceptNavigation)
        return true;
    return m_hooks.acceptNavigation(kindOf(type), isMainFrame, url);
}

QWebEnginePage *EnginePage::createWindow(WebWindowType type)
{
    Q_UNUSED(type)
    return new NewWindowCatcher(profile(), m_hooks, this);
}

NewWindowCatcher::NewWindowCatcher(QWebEngineProfile *profile, WebViewHooks hooks, QObject *parent)
    : QWebEnginePage(profile, parent), m_hooks(std::move(hooks))
{}

bool NewWindowCatcher::acceptNavigationRequest(const QUrl &url, NavigationType, bool isMainFrame)
{
    if (!isMainFrame)
        return false;
    if (m_hooks.acceptNavigation)
        m_hooks.acceptNavigation(WebNavigation::Kind::NewWindow, true, url);
    // The new window exists only to learn its address; it never shows anything.
    QTimer::singleShot(0, this, &QObject::deleteLater);
    return false;
}

EngineView::EngineView(QWebEngineProfile *profile, WebViewHooks hooks, QWidget *parent) : QWebEngineView(parent)
{
    setPage(new EnginePage(profile, std::move(hooks), this));
    // No menu of the page's own, and a right click goes no further up (the main window's menu stays shut).
    setContextMenuPolicy(Qt::PreventContextMenu);
    QWebEngineSettings *s = settings();
    s->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    s->setAttribute(QWebEngineSettings::FullScreenSupportEnabled, false);
    s->setAttribute(QWebEngineSettings::ShowScrollBars, true);
}

WebView *EngineViewFactory::create(QWidget *parent, WebViewHooks hooks)
{
    if (!m_profile) {
        // Drawn in software, like the pages themselves: no OpenGL context and no GPU driver in the process.
        QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
        // Off the record: the views write nothing into the user's home.
        m_profile = QWebEngineProfile::defaultProfile();
        connect(m_profile, &QWebEngineProfile::downloadRequested, this, &EngineViewFactory::download);
    }
    return new EngineView(m_profile, std::move(hooks), parent);
}

void EngineViewFactory::download(QWebEngineDownloadRequest *request)
{
    const auto *page = qobject_cast<const EnginePage *>(request->page());
    if (!page || !page->hooks().chooseDownloadFile) {
        request->cancel();
        return;
    }
    const QString file = page->hooks().chooseDownloadFile(request->downloadFileName());
    if (file.isEmpty()) {
        request->cancel();
        return;
    }
    const QFileInfo target(file);
    request->setDownloadDirectory(target.absolutePath());
    request->setDownloadFileName(target.fileName());
    const auto finished = page->hooks().downloadFinished;
    connect(request, &QWebEngineDownloadRequest::isFinishedChanged, this, [request, finished] {
        if (!request->isFinished())
            return;
        const QString saved = QDir(request->downloadDirectory()).filePath(request->downloadFileName());
        if (!finished)
            return;
        if (request->state() == QWebEngineDownloadRequest::DownloadCompleted)
            finished(saved, {});
        else if (request->state() == QWebEngineDownloadRequest::DownloadInterrupted)
            finished(saved, request->interruptReasonString());
        else
            finished(saved, QStringLiteral("cancelled"));
    });
    request->accept();
}
