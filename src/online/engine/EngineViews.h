// The browser engine behind the program's web views, built as a module of its own that is loaded only when
// the first view is made (the engine is large: a program that shows no page neither maps nor starts it).
#pragma once

#include "online/WebView.h"

#include <QObject>
#include <QWebEnginePage>
#include <QWebEngineView>

class QWebEngineDownloadRequest;

/// A page that asks its hooks before each navigation and keeps its own dialogs away.
class EnginePage : public QWebEnginePage
{
    Q_OBJECT
public:
    EnginePage(QWebEngineProfile *profile, WebViewHooks hooks, QObject *parent);
    const WebViewHooks &hooks() const { return m_hooks; }

protected:
    bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) override;
    QWebEnginePage *createWindow(WebWindowType type) override;
    void javaScriptAlert(const QUrl &, const QString &) override {}
    bool javaScriptConfirm(const QUrl &, const QString &) override { return false; }
    bool javaScriptPrompt(const QUrl &, const QString &, const QString &, QString *) override { return false; }
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString &, int, const QString &) override {}

private:
    WebViewHooks m_hooks;
};

/// The page a link opening a new window gets: it passes the new window's first address to the hooks as a
/// navigation of its own kind, refuses it and goes away.
class NewWindowCatcher : public QWebEnginePage
{
    Q_OBJECT
public:
    NewWindowCatcher(QWebEngineProfile *profile, WebViewHooks hooks, QObject *parent);

protected:
    bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) override;

private:
    WebViewHooks m_hooks;
};

class EngineView : public QWebEngineView, public WebView
{
    Q_OBJECT
public:
    EngineView(QWebEngineProfile *profile, WebViewHooks hooks, QWidget *parent);
    QWidget *widget() override { return this; }
    void load(const QUrl &url) override { QWebEngineView::load(url); }
};

class EngineViewFactory : public QObject, public WebViewFactory
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID VeltraneWebViewFactory_iid)
    Q_INTERFACES(WebViewFactory)
public:
    WebView *create(QWidget *parent, WebViewHooks hooks) override;

private:
    void download(QWebEngineDownloadRequest *request);

    QWebEngineProfile *m_profile = nullptr;
};
