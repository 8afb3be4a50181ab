// Web views without a browser engine: each records what it was asked to load and keeps its hooks, so a test can
// play the engine (a navigation, a finished load, a download).
#pragma once

#include "online/WebView.h"

#include <QList>
#include <QPointer>
#include <QWidget>

class FakeWebView : public QWidget, public WebView
{
public:
    FakeWebView(QWidget *parent, WebViewHooks hooks) : QWidget(parent), hooks(std::move(hooks)) {}
    QWidget *widget() override { return this; }
    void load(const QUrl &url) override { loads << url; }

    /// A navigation as the engine would ask it: whether the view lets it proceed.
    bool navigate(WebNavigation::Kind kind, const QUrl &url, bool mainFrame = true)
    {
        return hooks.acceptNavigation ? hooks.acceptNavigation(kind, mainFrame, url) : true;
    }

    WebViewHooks hooks;
    QList<QUrl> loads;
};

class FakeWebViewFactory : public WebViewFactory
{
public:
    /// false: no browser engine, every create() gives nothing.
    bool available = true;
    QList<QPointer<FakeWebView>> made;

    WebView *create(QWidget *parent, WebViewHooks hooks) override
    {
        if (!available)
            return nullptr;
        auto *v = new FakeWebView(parent, std::move(hooks));
        made << v;
        return v;
    }
    /// The views made that still exist.
    QList<FakeWebView *> alive() const
    {
        QList<FakeWebView *> out;
        for (const auto &v : made)
            if (v)
                out << v.data();
        return out;
    }
};
