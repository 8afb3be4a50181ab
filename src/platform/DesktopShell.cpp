#include "platform/DesktopShell.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

bool DesktopShell::open(const QString &pathOrUrl)
{
    const QFileInfo info(pathOrUrl);
    if (info.isFile() && info.isExecutable())
        return startProgram(info.absoluteFilePath());
    const QUrl url = info.exists() ? QUrl::fromLocalFile(info.absoluteFilePath()) : QUrl::fromUserInput(pathOrUrl);
    return url.isValid() && QDesktopServices::openUrl(url);
}

bool DesktopShell::startProgram(const QString &program, const QStringList &arguments)
{
    return QProcess::startDetached(program, arguments, QFileInfo(program).absolutePath());
}
