#include "app/Application.h"

#include "app/AfterFirstPaint.h"
#include "app/MainWindow.h"
#include "app/ProgramEnd.h"
#include "app/StartupTrace.h"
#include "online/WebEngineLoader.h"
#include "platform/Failure.h"
#include "platform/FontConfigWarmUp.h"
#include "platform/XcbImageTransport.h"

#include <QHelpEvent>
#include <QMessageBox>
#include <QProxyStyle>
#include <QSet>
#include <QToolTip>
#include <cstdlib>
#include <functional>
#include <optional>
#include <utility>

namespace {

// Hints show a quarter of a second after the pointer comes to rest and hide after five seconds.
class HintTimingStyle : public QProxyStyle
{
public:
    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                  QStyleHintReturn *returnData) const override
    {
        if (hint == SH_ToolTip_WakeUpDelay)
            return 250;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

bool showHintForFiveSeconds(QObject *receiver, QEvent *event)
{
    // The type first: this runs for every event the program receives.
    if (event->type() != QEvent::ToolTip)
        return false;
    auto *widget = qobject_cast<QWidget *>(receiver);
    if (!widget || widget->toolTip().isEmpty())
        return false;
    QToolTip::showText(static_cast<QHelpEvent *>(event)->globalPos(), widget->toolTip(), widget, {}, 5000);
    return true;
}

// The saves to make should the process end without unwinding: when the X server goes away (the end of the
// session), Qt ends the program with exit(1) from inside the event loop, and the notes typed since the start
// would be lost.
std::function<void()> g_lastChanceSaves;

extern "C" void runLastChanceSaves()
{
    if (const auto saves = std::exchange(g_lastChanceSaves, {}))
        saves();
}

// The first paint of each window and of each class of widget in it, while tracing the start.
void markFirstPaint(QObject *receiver)
{
    static QSet<QString> seen;
    auto *widget = qobject_cast<QWidget *>(receiver);
    const QString what = QLatin1String(receiver->metaObject()->className()) + QStringLiteral(" in ")
                         + QLatin1String(widget ? widget->window()->metaObject()->className() : "-");
    if (seen.size() < 40 && !seen.contains(what)) {
        seen.insert(what);
        StartupTrace::mark(QStringLiteral("first paint: ") + what);
    }
}

} // namespace

Application::Application(int &argc, char **argv) : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("Veltrane"));
    setQuitOnLastWindowClosed(false);
    setStyle(new HintTimingStyle);
}

bool Application::notify(QObject *receiver, QEvent *event)
{
    if (event->type() == QEvent::Paint && StartupTrace::enabled())
        markFirstPaint(receiver);
    try {
        if (showHintForFiveSeconds(receiver, event))
            return true;
        return QApplication::notify(receiver, event);
    } catch (const Failure &f) {
        QMessageBox::critical(nullptr, QStringLiteral("Veltrane"), f.text());
    } catch (const std::exception &e) {
        QMessageBox::critical(nullptr, QStringLiteral("Veltrane"), QString::fromLocal8Bit(e.what()));
    }
    return false;
}

int Application::run(int argc, char **argv)
{
    StartupTrace::mark(QStringLiteral("main"));
    WebEngineLoader::prepareEnvironment();
    std::optional<XcbImagesInRequests> imagesInRequests(std::in_place);
    // After the variables above are set and ended before they are removed: the load reads the environment.
    std::optional<FontConfigWarmUp> fontConfig(std::in_place);
    Application app(argc, argv);
    fontConfig.reset();
    imagesInRequests.reset();
    StartupTrace::mark(QStringLiteral("application"));
    // Watched before anything else, so that SIGTERM during the start-up (or its error box) is not lost.
    ProgramEnd end;
    // Creating the main window runs its start-up steps; it then creates the other windows in their order.
    MainWindow window(end);
    // Asked to end during the start-up: straight on to the saves (the window's destruction) and the end.
    if (end.isRequested())
        return 0;
    StartupTrace::mark(QStringLiteral("main window"));
    window.show();
    StartupTrace::mark(QStringLiteral("shown"));
    // Nothing of these shows at the start: they come once the window is on the screen.
    AfterFirstPaint::run(&window, [&window] {
        window.ensurePanels();
        StartupTrace::mark(QStringLiteral("phone-book and planner panels"));
        window.showTrayIcon();
        window.createOtherWindows();
        StartupTrace::mark(QStringLiteral("tray icon and other windows"));
    });
    // While the main loop runs; after it, the window's destruction saves.
    g_lastChanceSaves = [&end, &window] {
        end.request(); // nobody is there to answer a box any more
        window.saveAll();
    };
    static const bool registered = std::atexit(runLastChanceSaves) == 0;
    if (!registered)
        qWarning("Veltrane: the saves at an abrupt end could not be arranged");
    const int status = app.exec();
    g_lastChanceSaves = {};
    return status;
}
