// The clock face and its one-second tick alone in a 510 x 290 window on the real clock, for bench/idle_cpu.sh:
// measures what the face costs while idle even before the main window paints it.
#include "app/ProgramValues.h"
#include "clock/ClockFaceView.h"
#include "clock/ClockTicker.h"
#include "clock/SessionBoard.h"
#include "platform/SystemClock.h"

#include <QApplication>
#include <QLabel>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    SystemClock clock;
    ProgramValues values;
    values.lastGreetingDate = clock.today();
    values.versionLabelText = QStringLiteral("Veltrane ") + QStringLiteral(VELTRANE_VERSION).left(7);

    QWidget window;
    window.setFixedSize(510, 290);
    auto *face = new ClockFaceView(clock, &window);
    face->setGeometry(window.rect());
    face->face().setCentreNames(SessionBoard::defaultNames());

    auto makeLabel = [&window](const char *colour) {
        auto *label = new QLabel(&window);
        label->setStyleSheet(
            QStringLiteral("color: %1; background: black; font-weight: bold;").arg(QLatin1String(colour)));
        return label;
    };
    QLabel *local = makeLabel("yellow");
    QLabel *utc = makeLabel("lime");
    ClockTicker ticker(clock, values.lastGreetingDate, values.versionLabelText);
    QObject::connect(&ticker, &ClockTicker::labelsChanged, [&](const ClockLabels &l) {
        local->setText(l.localText);
        local->setToolTip(l.localHint);
        local->adjustSize();
        local->move(4, 273);
        utc->setText(l.utcText);
        utc->setToolTip(l.utcHint);
        utc->adjustSize();
        utc->move(474 - utc->width(), 273);
    });
    ticker.start();
    window.show();
    return app.exec();
}
