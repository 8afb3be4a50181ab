#include "app/StartupSequence.h"

#include "app/StartupTrace.h"
#include "platform/Failure.h"

#include <exception>

void StartupSequence::add(const QString &name, Step step)
{
    m_steps.emplace_back(name, std::move(step));
}

bool StartupSequence::run(const Reporter &report)
{
    m_completed.clear();
    for (auto &[name, step] : m_steps) {
        if (m_stopped)
            return false;
        try {
            step();
        } catch (const Failure &f) {
            report(f.text());
            return false;
        } catch (const std::exception &e) {
            report(QString::fromLocal8Bit(e.what()));
            return false;
        }
        m_completed << name;
        StartupTrace::mark(name);
    }
    return true;
}
