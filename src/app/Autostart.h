// "Запускать при старте": the desktop's autostart entry that starts the program with the user's session.
#pragma once

#include <QByteArray>
#include <QString>

class Autostart
{
public:
    /// The user's configuration folder: $XDG_CONFIG_HOME when it is an absolute path, else ~/.config.
    static QString configHomeFromEnvironment();

    /// `appDir` ends in '/'; the entry names the fixed executable appDir + "Veltrane", whatever name the
    /// running program was started under.
    explicit Autostart(const QString &appDir, const QString &configHome = configHomeFromEnvironment());

    /// configHome/autostart/Veltrane.desktop
    QString entryPath() const;
    /// The desktop entry. Throws Failure when the program path cannot be written in one (a control
    /// character in it).
    QByteArray entry() const;
    /// The Exec value for a program path: quoted whole, with the characters the format reserves escaped.
    static QString execValue(const QString &program);

    /// `N8Click`: writes the entry when `on` (creating the autostart folder), removes it otherwise (a
    /// missing entry or a refused removal is no error). Throws Failure("Failed to set data for 'Veltrane'")
    /// when the entry cannot be written; an entry that was there stays as it was.
    void apply(bool on) const;

private:
    QString m_appDir;
    QString m_configHome;
};
