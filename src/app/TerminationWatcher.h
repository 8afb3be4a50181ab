// Turns SIGTERM, SIGINT and SIGHUP into a Qt signal on the GUI thread, so the platform's end of the
// program runs the same saves as a close.
#pragma once

#include <QObject>

class QSocketNotifier;

class TerminationWatcher : public QObject
{
    Q_OBJECT
public:
    explicit TerminationWatcher(QObject *parent = nullptr);
    ~TerminationWatcher() override;

signals:
    /// The process was asked to end; emitted on the GUI thread, once per signal received.
    void terminationRequested(int signalNumber);

private:
    void readSignal();
    QSocketNotifier *m_notifier = nullptr;
};
