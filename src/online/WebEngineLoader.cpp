#include "online/WebEngineLoader.h"

#include <QCoreApplication>
#include <QDebug>
#include <QFile>
#include <QOpenGLContext>
#include <unistd.h>

// Qt Gui's application-wide shared OpenGL context (exported by Qt Gui, declared in no public header).
Q_GUI_EXPORT QOpenGLContext *qt_gl_global_share_context();
Q_GUI_EXPORT void qt_gl_set_global_share_context(QOpenGLContext *context);

namespace {

QOpenGLContext *g_shareContext = nullptr;

void deleteShareContext()
{
    delete g_shareContext;
    g_shareContext = nullptr;
}

// The engine needs a drawing context shared application-wide. Qt makes one when the application object is made,
// if asked before that; asked then, every start would load the GPU driver, also when no page is ever shown. So it
// is made here, the first time the engine is needed, before the engine's module is loaded.
void shareDrawingContext()
{
    if (qt_gl_global_share_context())
        return;
    g_shareContext = new QOpenGLContext;
    if (!g_shareContext->create())
        qWarning("Veltrane: no OpenGL context for the web views; they may draw nothing");
    qt_gl_set_global_share_context(g_shareContext);
    qAddPostRoutine(deleteShareContext);
}

} // namespace

WebEngineLoader::WebEngineLoader(const QString &appDir) : m_loader(appDir + QLatin1String(ModuleName)) {}

WebView *WebEngineLoader::create(QWidget *parent, WebViewHooks hooks)
{
    if (!m_factory && !m_failed) {
        m_failed = true;
        if (!QFile::exists(m_loader.fileName())) {
            qWarning().noquote() << "Veltrane: the web views are not available: no" << m_loader.fileName();
        } else {
            shareDrawingContext();
            m_factory = qobject_cast<WebViewFactory *>(m_loader.instance());
            m_failed = !m_factory;
            if (m_failed)
                qWarning().noquote() << "Veltrane: the web views are not available:" << m_loader.errorString();
        }
    }
    return m_factory ? m_factory->create(parent, std::move(hooks)) : nullptr;
}

void WebEngineLoader::prepareEnvironment()
{
    if (::geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    // One renderer process serves every view (they all show pages of one site), and pages are drawn without the
    // GPU: each renderer and the GPU driver cost tens of megabytes, the banners need neither. Flags the user sets
    // come after these and win.
    QByteArray flags = "--renderer-process-limit=1 --disable-gpu";
    const QByteArray own = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    if (!own.isEmpty())
        flags += ' ' + own;
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags);
}
