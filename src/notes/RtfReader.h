// Reads rich text (RTF) as word processors and rich-text controls write it into a QTextDocument.
#pragma once

#include <QByteArray>

class QTextDocument;

/*
 * What is kept: the text (8-bit text decoded by the code page of its font's character set, falling back to
 * the document's \ansicpg; \uN with its \ucN fallback skipped), bold, italic, underline, strike-out, font
 * family and size, text and highlight colours (an empty colour-table entry is the automatic colour),
 * superscript and subscript, paragraphs with their alignment and indents, line breaks, tabs, bullets
 * (\pn bullets and list texts that are a single symbol); a numbered paragraph keeps its number as text.
 * What is dropped: pictures, objects, field instructions, headers, footers, footnotes, style sheets,
 * paragraph spacing, table structure (a cell ends with a tab, a row with a paragraph) and every unknown
 * \* destination. Anything after the document's closing brace (a trailing NUL, say) is ignored; a document
 * cut short ends where its bytes end.
 *
 * Hostile input is bounded: nesting, paragraphs and format runs have ceilings, past which read() throws
 * Failure (the caller then keeps the file as it is rather than showing part of it), and the work is linear
 * in the size of the input.
 */
class RtfReader
{
public:
    static constexpr int maxDepth = 256;
    static constexpr int maxParagraphs = 200000;
    static constexpr int maxRuns = 1000000;

    /// Whether the bytes are an RTF document: "{\rtf" at the start, after white space.
    static bool isRtf(const QByteArray &bytes);

    /// Replaces the content of `document` with the RTF document in `bytes`. A family or size equal to the
    /// document's default font is left to the default, so text typed later looks like the text read.
    /// Throws Failure when the document passes one of the ceilings; `document` is then empty.
    static void read(const QByteArray &bytes, QTextDocument *document);
};
