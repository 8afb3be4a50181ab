#include "online/WebEngineLoader.h"

#include <QCoreApplication>
#include <QDebug>
#include <unistd.h>

WebEngineLoader::WebEngineLoader(const QString &appDir) : m_loader(appDir + QLatin1String(ModuleName)) {}

WebView *WebEngineLoader::create(QWidget *parent, WebViewHooks hooks)
{
    if (!m_factory && !m_failed) {
        QObject *instance = m_loader.instance();
        m_factory = qobject_cast<WebViewFactory *>(instance);
        if (!m_factory) {
            m_failed = true;
            qWarning().noquote() << "Veltrane: the web views are not available:" << m_loader.errorString();
        }
    }
    return m_factory ? m_factory->create(parent, std::move(hooks)) : nullptr;
}

void WebEngineLoader::prepareEnvironment()
{
    if (::geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    // The engine shares its drawing contexts with the application; that has to be asked before it exists.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
}
