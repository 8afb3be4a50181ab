// The program's web view factory: loads the browser engine's module from the program folder when the first
// view is asked for, never before.
#pragma once

#include "online/WebView.h"

#include <QPluginLoader>
#include <QString>

class WebEngineLoader : public WebViewFactory
{
public:
    /// The module's file name in the program folder.
    static constexpr const char *ModuleName = "VeltraneWeb.so";

    /// appDir: the program folder, ending in "/".
    explicit WebEngineLoader(const QString &appDir);

    /// Nothing when the module cannot be loaded; the reason is logged once.
    WebView *create(QWidget *parent, WebViewHooks hooks) override;
    /// Whether the module has been loaded (false before the first view).
    bool isLoaded() const { return m_factory != nullptr; }

    /// The engine's settings, read when it starts: the sandbox off for root only (Chromium refuses to run as root
    /// with it), one renderer process, no GPU. To be called before the application object exists. (The OpenGL
    /// context the engine shares is made with the first view.)
    static void prepareEnvironment();

private:
    QPluginLoader m_loader;
    WebViewFactory *m_factory = nullptr;
    bool m_failed = false;
};
