// A failure raised by a step of the program, carrying the text the user sees in the message box.
#pragma once

#include <QString>
#include <stdexcept>

class Failure : public std::runtime_error
{
public:
    explicit Failure(const QString &text) : std::runtime_error(text.toStdString()), m_text(text) {}
    QString text() const { return m_text; }

private:
    QString m_text;
};
