#include "calendar/FeedReader.h"

#include "platform/Failure.h"
#include "platform/TextCodec.h"

#include <QRegularExpression>
#include <QXmlStreamReader>

namespace {

[[noreturn]] void refuse(const QString &why)
{
    throw Failure(QStringLiteral("Calendar feed refused: ") + why);
}

QString *fieldOf(FeedEvent &event, QStringView name)
{
    if (name == u"title")
        return &event.title;
    if (name == u"country")
        return &event.country;
    if (name == u"date")
        return &event.date;
    if (name == u"time")
        return &event.time;
    if (name == u"impact")
        return &event.impact;
    if (name == u"forecast")
        return &event.forecast;
    if (name == u"previous")
        return &event.previous;
    return nullptr;
}

bool startsWithUtf16Mark(const QByteArray &bytes)
{
    return bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF");
}

} // namespace

QByteArray FeedReader::declaredEncoding(const QByteArray &document)
{
    // The declaration, when there is one, opens the document (after an optional UTF-8 byte-order mark).
    static const QRegularExpression declaration(
        QStringLiteral("^(?:\\x{FEFF})?\\s*<\\?xml\\s[^>]*?\\bencoding\\s*=\\s*[\"']([^\"']{0,64})[\"']"));
    const QString head = QString::fromLatin1(document.left(256));
    const QRegularExpressionMatch m = declaration.match(
        head.startsWith(QLatin1String("\xEF\xBB\xBF")) ? QStringLiteral("\uFEFF") + head.mid(3) : head);
    return m.hasMatch() ? m.captured(1).toLatin1() : QByteArray();
}

FeedEvents FeedReader::read(const QByteArray &document)
{
    if (document.size() > MaxBytes)
        refuse(QStringLiteral("larger than %1 bytes").arg(MaxBytes));

    QXmlStreamReader xml;
    const QByteArray encoding = declaredEncoding(document).toUpper();
    if (startsWithUtf16Mark(document) || encoding.isEmpty() || encoding == "UTF-8" || encoding == "UTF8") {
        xml.addData(document);
    } else {
        // The reader itself knows only the Unicode encodings; others are decoded here and the declaration
        // inside the text is then ignored.
        bool known = false;
        const QString text = TextCodec::decode(document, encoding, &known);
        if (!known)
            refuse(QStringLiteral("unknown encoding ") + QString::fromLatin1(encoding));
        xml.addData(text);
    }

    FeedEvents events;
    FeedEvent *event = nullptr; // the event being read (depth 2)
    QString *field = nullptr;   // the field whose element is open (depth 3 and below)
    bool fieldDone = false;     // a repeated element keeps the first occurrence's text
    int depth = 0;
    int fieldDepth = 0;
    while (!xml.atEnd()) {
        switch (xml.readNext()) {
        case QXmlStreamReader::DTD: refuse(QStringLiteral("it declares a document type"));
        case QXmlStreamReader::StartElement:
            if (++depth > MaxDepth)
                refuse(QStringLiteral("elements nested deeper than %1").arg(MaxDepth));
            if (depth == 2) {
                if (events.size() >= MaxEvents)
                    refuse(QStringLiteral("more than %1 events").arg(MaxEvents));
                events.append(FeedEvent());
                event = &events.last();
            } else if (depth == 3 && event) {
                field = fieldOf(*event, xml.name());
                fieldDone = field && !field->isNull();
                if (field && !fieldDone)
                    *field = QLatin1String(""); // present, even when it stays empty
                fieldDepth = depth;
            }
            break;
        case QXmlStreamReader::EndElement:
            if (field && depth == fieldDepth)
                field = nullptr;
            if (depth == 2)
                event = nullptr;
            --depth;
            break;
        case QXmlStreamReader::Characters:
            if (field && !fieldDone)
                field->append(xml.text());
            break;
        default: break;
        }
    }
    if (xml.hasError())
        refuse(QStringLiteral("%1 (line %2)").arg(xml.errorString()).arg(xml.lineNumber()));
    // Missing elements read as empty text; null and empty are the same to everyone after this point.
    for (FeedEvent &e : events)
        for (QString *text : {&e.title, &e.country, &e.date, &e.time, &e.impact, &e.forecast, &e.previous})
            if (text->isNull())
                *text = QLatin1String("");
    return events;
}
