// A temporary program folder for a test, removed at the end; appDir() ends in '/'.
#pragma once

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

class TempAppDir
{
public:
    QString appDir() const { return m_dir.path() + QLatin1Char('/'); }
    QString path(const QString &name) const { return appDir() + name; }
    bool write(const QString &name, const QByteArray &bytes) const
    {
        QFile f(path(name));
        return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
    }
    QByteArray read(const QString &name) const
    {
        QFile f(path(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    bool exists(const QString &name) const { return QFile::exists(path(name)); }

private:
    QTemporaryDir m_dir;
};
