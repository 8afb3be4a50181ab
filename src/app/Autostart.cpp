#include "app/Autostart.h"

#include "files/SafeFile.h"
#include "platform/Failure.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

const QString kEntryName = QStringLiteral("Veltrane");

Failure failedToSet()
{
    return Failure(QStringLiteral("Failed to set data for '%1'").arg(kEntryName));
}

} // namespace

QString Autostart::configHomeFromEnvironment()
{
    const QString xdg = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (!xdg.isEmpty() && QDir::isAbsolutePath(xdg))
        return QDir::cleanPath(xdg);
    return QDir::homePath() + QStringLiteral("/.config");
}

Autostart::Autostart(const QString &appDir, const QString &configHome) : m_appDir(appDir), m_configHome(configHome) {}

QString Autostart::entryPath() const
{
    return m_configHome + QStringLiteral("/autostart/") + kEntryName + QStringLiteral(".desktop");
}

QString Autostart::execValue(const QString &program)
{
    // Inside double quotes the command line reserves ", `, $ and \ (each escaped with a backslash); the
    // value itself is a string whose own escape is a doubled backslash; a literal % is written %%.
    QString quoted;
    for (const QChar c : program) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$'))
            quoted += QLatin1String("\\\\") + c;
        else if (c == QLatin1Char('\\'))
            quoted += QLatin1String("\\\\\\\\");
        else if (c == QLatin1Char('%'))
            quoted += QLatin1String("%%");
        else
            quoted += c;
    }
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QByteArray Autostart::entry() const
{
    const QString program = m_appDir + kEntryName;
    for (const QChar c : program) {
        if (c.category() == QChar::Other_Control)
            throw Failure(QStringLiteral("The program folder %1 cannot be named in an autostart entry").arg(m_appDir));
    }
    const QString text = QStringLiteral("[Desktop Entry]\n"
                                        "Type=Application\n"
                                        "Name=Veltrane\n"
                                        "Comment=Trading sessions clock, event planner and economic calendar\n"
                                        "Exec=%1\n"
                                        "Terminal=false\n")
                             .arg(execValue(program));
    return text.toUtf8();
}

void Autostart::apply(bool on) const
{
    const QString path = entryPath();
    if (!on) {
        // Only a file is removed; whatever else sits under that name is not the program's.
        if (SafeFile::isRegularFile(path) && !QFile::remove(path))
            qWarning().noquote() << "Veltrane: the autostart entry" << path << "could not be removed";
        return;
    }
    try {
        const QString folder = QFileInfo(path).absolutePath();
        if (!QDir().mkpath(folder))
            throw Failure(QStringLiteral("Unable to write to %1").arg(folder));
        SafeFile::write(path, entry());
    } catch (const Failure &f) {
        // The user sees the short message; the log keeps which file and why.
        qWarning().noquote() << "Veltrane:" << f.text();
        throw failedToSet();
    }
}
