// Reads the weekly calendar feed document: every child element of the root is one event.
#pragma once

#include "calendar/FeedEvent.h"

#include <QByteArray>

/*
 * The document comes from the network, so everything about it is bounded: its size, the number of events,
 * the nesting of elements. A document type declaration is refused (no entity is ever expanded).
 *
 * The encoding named in the XML declaration is decoded before parsing, so a feed that declares
 * encoding="windows-1252" reads right; UTF-8 and UTF-16 (by byte-order mark) are read as they are.
 *
 * Inside an event, the child elements title, country, date, time, impact, forecast and previous are read as
 * their text content (CDATA sections included, text of nested elements included); a missing one reads as
 * empty text, a repeated one keeps its first occurrence, anything else (<url>, attributes) is ignored.
 */
class FeedReader
{
public:
    static constexpr qsizetype MaxBytes = qsizetype(4) * 1024 * 1024;
    static constexpr int MaxEvents = 5000;
    static constexpr int MaxDepth = 16;

    /// The events in document order. Throws Failure for a document that is malformed, too large, too deep,
    /// holds too many events, carries a document type declaration or declares an encoding this system lacks.
    static FeedEvents read(const QByteArray &document);

    /// The encoding named in the document's XML declaration, empty when it names none.
    static QByteArray declaredEncoding(const QByteArray &document);
};
