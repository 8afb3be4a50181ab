// The platform's end of the program: a signal is never lost, and it ends any wait at once.
#include "app/ProgramEnd.h"
#include "app/StartupSequence.h"

#include <QEventLoop>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <csignal>

namespace {

/// A wait like a message box's that nobody answers: true when it had to give up by itself.
bool waitLikeAnUnansweredBox(int giveUpMs)
{
    QEventLoop box;
    bool gaveUp = false;
    QTimer::singleShot(giveUpMs, &box, [&] {
        gaveUp = true;
        box.quit();
    });
    box.exec();
    return gaveUp;
}

} // namespace

class TestProgramEnd : public QObject
{
    Q_OBJECT
private slots:
    // One test only: once the end is asked for, this process's event loops end at once, so nothing may run
    // after it.
    void signalDuringAStartUpBoxEndsTheBoxAndTheRemainingSteps();
};

void TestProgramEnd::signalDuringAStartUpBoxEndsTheBoxAndTheRemainingSteps()
{
    ProgramEnd end;
    QSignalSpy requested(&end, &ProgramEnd::requested);
    StartupSequence startup;
    connect(&end, &ProgramEnd::requested, this, [&startup] {
        startup.stop();
    });
    QStringList ran;
    bool boxGaveUp = true;
    startup.add(QStringLiteral("tables"), [&] {
        ran << QStringLiteral("tables");
        // The step's failure box is up when SIGTERM comes, and SIGHUP right after it.
        QTimer::singleShot(100, [] {
            std::raise(SIGTERM);
            std::raise(SIGHUP);
        });
        boxGaveUp = waitLikeAnUnansweredBox(20000);
    });
    startup.add(QStringLiteral("voice language"), [&] {
        ran << QStringLiteral("voice language");
    });

    QVERIFY(!startup.run([](const QString &) {}));
    QVERIFY2(!boxGaveUp, "the box gave way to SIGTERM");
    QCOMPARE(ran, QStringList{QStringLiteral("tables")});
    QVERIFY(end.isRequested());
    // A box that opens after the request (a failed exit save) does not wait for anybody either.
    QVERIFY(!waitLikeAnUnansweredBox(20000));
    // The second signal is handled, and is not a second request.
    QTest::qWait(100);
    QCOMPARE(requested.size(), 1);
}

QTEST_GUILESS_MAIN(TestProgramEnd)
#include "test_program_end.moc"
