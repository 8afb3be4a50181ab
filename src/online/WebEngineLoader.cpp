#include "online/WebEngineLoader.h"

#include <QCoreApplication>
#include <QDebug>
#include <QOpenGLContext>
#include <unistd.h>

// Qt's own hooks for the context that every later context shares with (exported by Qt GUI).
QOpenGLContext *qt_gl_global_share_context();
void qt_gl_set_global_share_context(QOpenGLContext *context);

namespace {

// The engine draws through OpenGL contexts shared with the application's. Asked for before the application
// object exists, Qt makes that shared context at every start: with a software renderer that maps some 50 MB and
// takes a tenth of a second, for a program that may never show a page. It is made here instead, before the
// engine's first view, which is all the engine needs of it (nothing else of the program uses OpenGL).
void prepareSharedContext()
{
    if (qt_gl_global_share_context())
        return;
    auto *context = new QOpenGLContext; // kept to the end of the program, as Qt keeps its own
    if (!context->create())
        qWarning("Veltrane: no OpenGL context for the web views; they may draw nothing");
    qt_gl_set_global_share_context(context);
    // Set late on purpose: Qt's warning that it belongs before the application object is not passed on.
    static QtMessageHandler previous = nullptr;
    previous = qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &where, const QString &text) {
        if (previous && !text.contains(QLatin1String("must be set before QCoreApplication is created")))
            previous(type, where, text);
    });
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    qInstallMessageHandler(previous);
}

} // namespace

WebEngineLoader::WebEngineLoader(const QString &appDir) : m_loader(appDir + QLatin1String(ModuleName)) {}

WebView *WebEngineLoader::create(QWidget *parent, WebViewHooks hooks)
{
    if (!m_factory && !m_failed) {
        prepareSharedContext();
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
}
