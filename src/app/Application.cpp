#include "app/Application.h"

#include "app/MainWindow.h"
#include "platform/Failure.h"

#include <QMessageBox>

Application::Application(int &argc, char **argv) : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("Veltrane"));
    setQuitOnLastWindowClosed(false);
}

bool Application::notify(QObject *receiver, QEvent *event)
{
    try {
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
    Application app(argc, argv);
    // Creating the main window runs its start-up steps; it then creates the other windows in their order.
    MainWindow window;
    window.createOtherWindows();
    window.show();
    return app.exec();
}
