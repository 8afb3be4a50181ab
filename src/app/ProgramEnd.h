// The platform's end of the program (SIGTERM, SIGINT, SIGHUP, the session's end): watched from the first moment
// of the run, so a request is never lost, and honoured at any moment.
#pragma once

#include "app/TerminationWatcher.h"

#include <QObject>

/*
 * Created before the main window, so a request that comes while the start-up sequence runs, while its error
 * box waits for the user or while an exit save's failure box is up is kept and acted on:
 *   - requested() is emitted once, at the first request; the main window stops its start-up steps there and
 *     from then on tells failures to the log instead of a box nobody will answer;
 *   - every event loop that runs (a message box's, a download's) is left, so whatever waited gives way, the
 *     main loop ends, and the program goes on to its saves (the main window's destruction) and its end;
 *   - the program's entry checks isRequested() before it enters the main loop at all.
 */
class ProgramEnd : public QObject
{
    Q_OBJECT
public:
    explicit ProgramEnd(QObject *parent = nullptr);

    bool isRequested() const { return m_requested; }
    /// Asks for the end (the watched signals come here; so may the session's end).
    void request();

signals:
    void requested();

private:
    TerminationWatcher m_watcher;
    bool m_requested = false;
};
