// The four note files "note1.rtf" .. "note4.rtf" in the program folder: created, loaded and saved.
#pragma once

#include "notes/RtfText.h"

#include <QString>

class QTextDocument;

class NoteFiles
{
public:
    static constexpr int count = 4;

    NoteFiles(const QString &appDir, RtfText::Decoder decode8bit);

    QString path(int note) const;
    /// Writes an empty rich-text document for each note whose file is missing.
    void createMissing() const;
    /// The text of a note; a missing file reads as empty. Throws Failure naming the file when it cannot be
    /// read or is not a regular file.
    QString load(int note) const;
    /// Replaces the file as a whole (a temporary file renamed over it), so a crash mid-save never leaves a
    /// cut note. Throws Failure when the file cannot be written.
    void save(int note, const QString &text) const;

    /// Writes an empty rich-text document when nothing is at the note's path. Throws Failure.
    void createIfMissing(int note) const;
    /// Replaces `document` with the note: rich text read with its formatting, any other file as plain text.
    /// Throws Failure naming the file when it cannot be read or is not a regular file; `document` is
    /// then empty.
    void loadInto(int note, QTextDocument *document) const;
    /// Writes `document` as rich text over the note's file, atomically. Throws Failure.
    void saveDocument(int note, const QTextDocument &document) const;

private:
    QString m_appDir;
    RtfText::Decoder m_decode;
};
