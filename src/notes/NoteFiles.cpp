#include "notes/NoteFiles.h"

#include "files/SafeFile.h"
#include "notes/RtfReader.h"
#include "notes/RtfWriter.h"
#include "platform/Failure.h"

#include <QTextDocument>

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
        createIfMissing(i);
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

void NoteFiles::createIfMissing(int note) const
{
    if (!SafeFile::exists(path(note)))
        SafeFile::createNew(path(note), RtfText::write(QString()));
}

void NoteFiles::loadInto(int note, QTextDocument *document) const
{
    document->clear();
    const std::optional<QByteArray> bytes = SafeFile::read(path(note));
    if (!bytes)
        return;
    if (!RtfReader::isRtf(*bytes)) {
        document->setPlainText(RtfText::read(*bytes, m_decode));
        return;
    }
    try {
        RtfReader::read(*bytes, document);
    } catch (const Failure &f) {
        throw Failure(path(note) + QStringLiteral(": ") + f.text());
    }
}

void NoteFiles::saveDocument(int note, const QTextDocument &document) const
{
    SafeFile::write(path(note), RtfWriter::write(document));
}
