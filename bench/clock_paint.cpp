// One whole drawing of the clock face at 510 x 290 (ruler, sixteen centres, marker): prints the median time.
// An optional argument names a PNG file that receives the last drawing, to look at.
#include "clock/ClockFace.h"
#include "clock/SessionBoard.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QGuiApplication app(argc, argv);

    ClockFaceInputs in;
    in.localNow = QDateTime(QDate(2026, 3, 5), QTime(14, 28, 30));
    in.utcOffsetHours = 3;
    in.activeOnly = true;
    in.centreNames = SessionBoard::defaultNames();
    in.highlight = QColor(0x30, 0x8C, 0xC6);

    QImage image(510, 290, QImage::Format_RGB32);
    constexpr int Warmup = 50;
    constexpr int Runs = 1000;
    std::vector<qint64> nanoseconds;
    nanoseconds.reserve(Runs);
    for (int i = 0; i < Warmup + Runs; ++i) {
        in.localNow = in.localNow.addSecs(10); // as Timer1 does: every drawing a little later
        QElapsedTimer timer;
        timer.start();
        {
            QPainter painter(&image);
            ClockFace::ShowClock(painter, 290, in);
        }
        if (i >= Warmup)
            nanoseconds.push_back(timer.nsecsElapsed());
    }
    std::sort(nanoseconds.begin(), nanoseconds.end());
    const double median = nanoseconds[nanoseconds.size() / 2] / 1000.0;
    const double p90 = nanoseconds[nanoseconds.size() * 9 / 10] / 1000.0;
    std::printf("clock face paint 510x290: median %.1f us, 90th percentile %.1f us over %d drawings\n", median, p90,
                Runs);
    if (argc > 1)
        image.save(QString::fromLocal8Bit(argv[1]));
    return 0;
}
