#include "notes/NoteFiles.h"

#include "files/SafeFile.h"

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
        if (!SafeFile::exists(path(i)))
            save(i, QString());
}

QString NoteFiles::load(int note) const
{
    const std::optional<QByteArray> bytes = SafeFile::read(path(note));
    return bytes ? RtfText::read(*bytes, m_decode) : QString();
}

void NoteFiles::save(int note, const QString &text) const
{
    SafeFile::write(path(note), RtfText::write(text));
}
