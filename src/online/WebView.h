// An embedded web view as the program uses it, and the factory that makes them. The browser engine behind them
// is loaded only when the first view is made, so a program that shows no page never starts it.
#pragma once

#include "online/WebNavigation.h"

#include <QString>
#include <QUrl>
#include <QtPlugin>
#include <functional>

class QWidget;

/// What a view tells its owner. Every member may be left empty.
struct WebViewHooks
{
    /// Asked before each navigation: true lets it proceed in the view. Empty: every navigation proceeds.
    /// Runs inside the engine's callback: it must not open a box or wait.
    std::function<bool(WebNavigation::Kind kind, bool mainFrame, const QUrl &url)> acceptNavigation;
    /// A document of the main frame has finished loading (ok false: it failed). A navigation that turns out to
    /// be a file reports nothing here.
    std::function<void(bool ok)> loadFinished;
    /// A navigation of this view turned out to be a file. Returns the file to save it in; empty refuses it.
    /// Empty: the view downloads nothing.
    std::function<QString(const QString &suggestedName)> chooseDownloadFile;
    /// A download has ended: error empty when the whole file is in place.
    std::function<void(const QString &file, const QString &error)> downloadFinished;
};

class WebView
{
public:
    virtual ~WebView() = default;
    /// The view itself: a child of the parent it was made with; deleting it releases the view.
    virtual QWidget *widget() = 0;
    /// Starts loading the address in the view (a navigation of the program's own).
    virtual void load(const QUrl &url) = 0;
};

class WebViewFactory
{
public:
    virtual ~WebViewFactory() = default;
    /// A new view inside parent (no parent: a hidden view of its own), without a context menu, showing no
    /// dialogs of its own. Nothing when the browser engine is not available.
    virtual WebView *create(QWidget *parent, WebViewHooks hooks) = 0;
};

#define VeltraneWebViewFactory_iid "org.veltrane.WebViewFactory/1"
Q_DECLARE_INTERFACE(WebViewFactory, VeltraneWebViewFactory_iid)
