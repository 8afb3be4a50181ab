#include "app/ProgramEnd.h"

#include <QCoreApplication>

ProgramEnd::ProgramEnd(QObject *parent) : QObject(parent)
{
    connect(&m_watcher, &TerminationWatcher::terminationRequested, this, &ProgramEnd::request);
}

void ProgramEnd::request()
{
    if (!m_requested) {
        m_requested = true;
        emit requested();
    }
    // Ends every event loop running now, nested ones included, and makes any loop started before the main
    // loop returns leave at once. Asked again, it leaves loops started since (a box after the main loop).
    QCoreApplication::exit(0);
}
