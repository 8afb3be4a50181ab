#include "notes/NoteFiles.h"

#include "platform/Failure.h"

#include <QFile>
#include <QSaveFile>

NoteFiles::NoteFiles(const QString &appDir, RtfText::Decoder decode8bit)
    : m_appDir(appDir), m_decode(std::move(decode8bit))
{}

QString NoteFiles::path(int note) const
{
    return m_appDir + QStringLiteral("note%1.rtf").arg(note);
}

void NoteFiles::createMissing() const
{
    for (int i = 1; i <= count; ++i)
        if (!QFile::exists(path(i)))
            save(i, QString());
}

QString NoteFiles::load(int note) const
{
    QFile file(path(note));
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return RtfText::read(file.readAll(), m_decode);
}

void NoteFiles::save(int note, const QString &text) const
{
    QSaveFile file(path(note));
    const QByteArray bytes = RtfText::write(text);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw Failure(QStringLiteral("Unable to write to %1").arg(path(note)));
}
