// Writes a QTextDocument as rich text (RTF) that word processors open with the same text and formatting.
#pragma once

#include <QByteArray>

class QTextDocument;

/*
 * What is written: every paragraph with its alignment and indents, line breaks and tabs, bold, italic,
 * underline, strike-out, font family and size, text and highlight colours, superscript and subscript, and
 * bullets the way rich-text controls write them ({\pntext ...}{\*\pn\pnlvlblt ...}); a numbered list item is
 * written as a \pn number level with its number. Text without a family or size of its own takes the
 * document's default font. Pictures and other objects are not written.
 *
 * The file is 7-bit: every character outside ASCII is a \uN followed by its Windows-1251 byte (or '?') for
 * readers without Unicode, and the fonts are declared with the Cyrillic character set to match.
 */
class RtfWriter
{
public:
    static QByteArray write(const QTextDocument &document);
};
