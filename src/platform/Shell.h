// Opens documents and URLs with the desktop's handler and starts programs.
#pragma once

#include <QString>
#include <QStringList>

class Shell
{
public:
    virtual ~Shell() = default;
    /// Starts an executable file directly, or opens anything else (document, folder, URL) with the
    /// desktop's default handler. Returns whether the request was accepted.
    virtual bool open(const QString &pathOrUrl) = 0;
    /// Starts a program detached with arguments. Returns whether it started.
    virtual bool startProgram(const QString &program, const QStringList &arguments = {}) = 0;
};
