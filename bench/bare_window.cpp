// The yardstick for the start-up figures: a bare borderless window of the program's size and place, navy like its
// ruler strip, with one label that shows the time once a second. bench/startup.sh starts it beside the program.
#include <QApplication>
#include <QLabel>
#include <QTime>
#include <QTimer>
#include <QWidget>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowFlags(Qt::FramelessWindowHint);
    window.setWindowTitle(QStringLiteral("BareWindow"));
    window.setFixedSize(510, 290);
    window.move(200, 200);
    window.setStyleSheet(QStringLiteral("background: #000080; color: white;"));
    QLabel label(&window);
    label.setGeometry(200, 130, 110, 30);
    auto tick = [&label] {
        label.setText(QTime::currentTime().toString(QStringLiteral("H:mm:ss")));
    };
    tick();
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, &label, tick);
    timer.start(1000);
    window.show();
    return app.exec();
}
