// Runs the main window's start-up steps in order; a failing step is reported and the rest are skipped.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

class StartupSequence
{
public:
    using Step = std::function<void()>;
    /// Shows a failure's text to the user (the main window passes the prompts' error box).
    using Reporter = std::function<void(const QString &text)>;

    void add(const QString &name, Step step);
    /// Runs the steps in the order they were added. A step that throws is reported through the reporter,
    /// and no later step runs. Returns whether every step ran.
    bool run(const Reporter &report);
    /// No step after the one running now is started (the program is asked to end meanwhile).
    void stop() { m_stopped = true; }

    /// Names of the steps that ran to the end, in order (for tests and tracing).
    QStringList completed() const { return m_completed; }

private:
    std::vector<std::pair<QString, Step>> m_steps;
    QStringList m_completed;
    bool m_stopped = false;
};
