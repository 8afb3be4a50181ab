// Reads and writes the note files: rich text (RTF) with the note's text, or plain text as it stands.
#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

namespace RtfText {

/// Decodes bytes of the document's 8-bit code page (\'hh escapes, and plain files that are not UTF-8).
using Decoder = std::function<QString(const QByteArray &)>;

/// An RTF document holding the text; every character outside ASCII is written as a \uN escape, so the file
/// is 7-bit clean and any reader gets the exact characters back.
QByteArray write(const QString &text);

/// The text of a note file. A file that does not start with "{\rtf" is plain text (UTF-8, or the 8-bit code
/// page when it is not valid UTF-8). Formatting is dropped; paragraphs and line breaks become '\n'.
QString read(const QByteArray &bytes, const Decoder &decode8bit);

} // namespace RtfText
