#include "notes/RtfWriter.h"

#include "platform/TextCodec.h"

#include <QColor>
#include <QHash>
#include <QList>
#include <QStringList>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextList>

#include <cmath>
#include <optional>

namespace {

constexpr int symbolFont = 1;
constexpr int bulletIndentTwips = 360;

/// The byte of a character in Windows-1251, or 0 when the code page has none.
uchar windows1251Byte(QChar c)
{
    static const QHash<char16_t, uchar> bytes = [] {
        QHash<char16_t, uchar> table;
        for (int b = 0x80; b <= 0xFF; ++b) {
            const QString s = TextCodec::fromWindows1251(QByteArray(1, static_cast<char>(b)));
            if (s.size() == 1 && s.at(0) != QChar::ReplacementCharacter)
                table.insert(s.at(0).unicode(), static_cast<uchar>(b));
        }
        return table;
    }();
    return bytes.value(c.unicode(), 0);
}

QByteArray hexByte(uchar b)
{
    static const char digits[] = "0123456789abcdef";
    QByteArray out("\\'");
    out += digits[b >> 4];
    out += digits[b & 15];
    return out;
}

struct CharState
{
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    int font = 0;
    int halfPoints = 24;
    int foreground = 0;
    int background = 0;
    int script = 0;
};

class Writer
{
public:
    explicit Writer(const QTextDocument &doc) : m_doc(doc)
    {
        const QFont font = doc.defaultFont();
        m_defaultFamily = font.family();
        const double points = font.pointSizeF() > 0 ? font.pointSizeF() : font.pixelSize() * 0.75;
        m_defaultHalfPoints = qBound(2, static_cast<int>(std::lround(points * 2)), 3276);
        // Font 0 is the default font, font 1 the symbol font of the bullets; others follow as met.
        m_fonts << m_defaultFamily << QStringLiteral("Symbol");
        m_colours << QColor();
    }

    QByteArray run()
    {
        QByteArray body;
        CharState state;
        state.halfPoints = m_defaultHalfPoints;
        body += "\\f0\\fs" + QByteArray::number(m_defaultHalfPoints);
        m_pendingDelimiter = true;
        for (QTextBlock block = m_doc.begin(); block.isValid(); block = block.next())
            writeBlock(block, state, body);

        QByteArray out = "{\\rtf1\\ansi\\ansicpg1251\\deff0\\deflang1049{\\fonttbl";
        for (int i = 0; i < m_fonts.size(); ++i) {
            out += "{\\f" + QByteArray::number(i) + "\\fnil\\fcharset" + (i == symbolFont ? "2 " : "204 ");
            out += escapedName(m_fonts[i]) + ";}";
        }
        out += "}\r\n{\\colortbl ;";
        for (int i = 1; i < m_colours.size(); ++i) {
            const QColor &c = m_colours[i];
            out += "\\red" + QByteArray::number(c.red()) + "\\green" + QByteArray::number(c.green()) + "\\blue"
                   + QByteArray::number(c.blue()) + ';';
        }
        out += "}\r\n{\\*\\generator Veltrane;}\\viewkind4\\uc1\r\n";
        out += body;
        out += "}\r\n";
        return out;
    }

private:
    void writeBlock(const QTextBlock &block, CharState &state, QByteArray &out)
    {
        const QTextBlockFormat format = block.blockFormat();
        word(out, "pard");
        if (QTextList *list = block.textList()) {
            const QTextListFormat::Style style = list->format().style();
            const bool numbered = style != QTextListFormat::ListDisc && style != QTextListFormat::ListCircle
                                  && style != QTextListFormat::ListSquare;
            // The list text first, for readers that do not know \pn; then the level itself.
            if (numbered) {
                out += '{';
                word(out, "pntext");
                word(out, "f", 0);
                text(out, list->itemText(block));
                word(out, "tab");
                out += "}{\\*\\pn\\pnlvlbody\\pnf0\\pnindent0\\pnstart1\\pndec{\\pntxta.}}";
            } else {
                out += "{\\pntext\\f1\\'b7\\tab}{\\*\\pn\\pnlvlblt\\pnf1\\pnindent0{\\pntxtb\\'b7}}";
            }
            m_pendingDelimiter = false;
            word(out, "fi", -bulletIndentTwips);
            word(out, "li", bulletIndentTwips);
        } else {
            if (const int fi = twips(format.textIndent()))
                word(out, "fi", fi);
            if (const int li = twips(format.leftMargin()))
                word(out, "li", li);
        }
        if (const int ri = twips(format.rightMargin()))
            word(out, "ri", ri);
        const Qt::Alignment align = format.alignment() & Qt::AlignHorizontal_Mask;
        if (align & Qt::AlignHCenter)
            word(out, "qc");
        else if (align & (Qt::AlignRight))
            word(out, "qr");
        else if (align & Qt::AlignJustify)
            word(out, "qj");

        bool any = false;
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.isValid())
                continue;
            setState(out, state, wanted(fragment.charFormat()));
            text(out, fragment.text());
            any = true;
        }
        if (!any)
            setState(out, state, wanted(block.charFormat()));
        // Every paragraph ends with its mark, the last one too: readers take the last mark as the end.
        word(out, "par");
        out += "\r\n";
        m_pendingDelimiter = false;
    }

    CharState wanted(const QTextCharFormat &f)
    {
        CharState s;
        s.bold = f.fontWeight() > QFont::Medium;
        s.italic = f.fontItalic();
        s.underline = f.fontUnderline();
        s.strike = f.fontStrikeOut();
        s.font = fontIndex(family(f));
        double points = m_defaultHalfPoints / 2.0;
        if (f.hasProperty(QTextFormat::FontPointSize))
            points = f.fontPointSize();
        else if (f.hasProperty(QTextFormat::FontPixelSize))
            points = f.intProperty(QTextFormat::FontPixelSize) * 0.75;
        s.halfPoints = qBound(2, static_cast<int>(std::lround(points * 2)), 3276);
        if (f.foreground().style() != Qt::NoBrush)
            s.foreground = colourIndex(f.foreground().color());
        if (f.background().style() != Qt::NoBrush)
            s.background = colourIndex(f.background().color());
        if (f.verticalAlignment() == QTextCharFormat::AlignSuperScript)
            s.script = 1;
        else if (f.verticalAlignment() == QTextCharFormat::AlignSubScript)
            s.script = 2;
        return s;
    }

    QString family(const QTextCharFormat &f) const
    {
        const QStringList families = f.fontFamilies().toStringList();
        if (!families.isEmpty() && !families.first().isEmpty())
            return families.first();
        const QString one = f.stringProperty(QTextFormat::FontFamily);
        return one.isEmpty() ? m_defaultFamily : one;
    }

    int fontIndex(const QString &family)
    {
        const qsizetype i = m_fonts.indexOf(family);
        if (i >= 0 && i != symbolFont)
            return static_cast<int>(i);
        m_fonts << family;
        return static_cast<int>(m_fonts.size() - 1);
    }

    int colourIndex(const QColor &colour)
    {
        const QColor rgb = colour.toRgb();
        const QColor key(rgb.red(), rgb.green(), rgb.blue());
        const qsizetype i = m_colours.indexOf(key, 1);
        if (i >= 1)
            return static_cast<int>(i);
        m_colours << key;
        return static_cast<int>(m_colours.size() - 1);
    }

    void setState(QByteArray &out, CharState &state, const CharState &want)
    {
        auto toggle = [&](bool &current, bool wanted, const char *name) {
            if (current != wanted)
                word(out, name, wanted ? std::nullopt : std::optional<int>(0)), current = wanted;
        };
        toggle(state.bold, want.bold, "b");
        toggle(state.italic, want.italic, "i");
        if (state.underline != want.underline) {
            word(out, want.underline ? "ul" : "ulnone");
            state.underline = want.underline;
        }
        toggle(state.strike, want.strike, "strike");
        if (state.font != want.font)
            word(out, "f", state.font = want.font);
        if (state.halfPoints != want.halfPoints)
            word(out, "fs", state.halfPoints = want.halfPoints);
        if (state.foreground != want.foreground)
            word(out, "cf", state.foreground = want.foreground);
        if (state.background != want.background)
            word(out, "highlight", state.background = want.background);
        if (state.script != want.script) {
            word(out, want.script == 1 ? "super" : want.script == 2 ? "sub" : "nosupersub");
            state.script = want.script;
        }
    }

    void word(QByteArray &out, const char *name, std::optional<int> param = std::nullopt)
    {
        out += '\\';
        out += name;
        if (param)
            out += QByteArray::number(*param);
        m_pendingDelimiter = true;
    }

    void text(QByteArray &out, const QString &s)
    {
        for (qsizetype i = 0; i < s.size(); ++i) {
            const QChar c = s.at(i);
            const char16_t u = c.unicode();
            if (u == 0x2028) {
                word(out, "line");
            } else if (u == u'\t') {
                word(out, "tab");
            } else if (u == 0xA0) {
                out += "\\~";
                m_pendingDelimiter = false;
            } else if (u == u'\\' || u == u'{' || u == u'}') {
                out += '\\';
                out += static_cast<char>(u);
                m_pendingDelimiter = false;
            } else if (u >= 0x20 && u < 0x80) {
                // The space that ends a control word is eaten by readers; it goes before text only.
                if (m_pendingDelimiter)
                    out += ' ';
                out += static_cast<char>(u);
                m_pendingDelimiter = false;
            } else if (u < 0x20 || u == QChar::ObjectReplacementCharacter || u == 0x2029 || u == 0xFDD0
                       || u == 0xFDD1) {
                // Control characters, pictures and frame marks carry no text of their own.
            } else {
                out += "\\u" + QByteArray::number(static_cast<qint16>(u));
                const uchar b = windows1251Byte(c);
                out += b ? hexByte(b) : QByteArray("?");
                m_pendingDelimiter = false;
            }
        }
    }

    QByteArray escapedName(const QString &name)
    {
        QByteArray out;
        for (QChar c : name) {
            const char16_t u = c.unicode();
            if (u == u'\\' || u == u'{' || u == u'}' || u == u';')
                continue;
            if (u >= 0x20 && u < 0x80)
                out += static_cast<char>(u);
            else if (const uchar b = windows1251Byte(c))
                out += hexByte(b);
            else
                out += '?';
        }
        return out;
    }

    static int twips(qreal pixels) { return static_cast<int>(std::lround(pixels * 15)); }

    const QTextDocument &m_doc;
    QString m_defaultFamily;
    int m_defaultHalfPoints = 24;
    QStringList m_fonts;
    QList<QColor> m_colours;
    bool m_pendingDelimiter = false;
};

} // namespace

QByteArray RtfWriter::write(const QTextDocument &document)
{
    return Writer(document).run();
}
