#include "notes/RtfReader.h"

#include "platform/Failure.h"
#include "platform/TextCodec.h"

#include <QColor>
#include <QHash>
#include <QList>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>

#include <algorithm>

namespace {

constexpr int maxFonts = 4096;
constexpr int maxColours = 4096;
constexpr int maxFontNameBytes = 256;
constexpr int maxWordLetters = 32;
constexpr int maxUnicodeSkip = 16;

/// Where the text of a group goes.
enum class Dest {
    Text,        ///< the document
    Skip,        ///< nowhere: pictures, objects, unknown \* destinations, ...
    FontTable,   ///< the names of the font table's entries
    ColourTable, ///< the colour table
    ListText,    ///< the number or bullet a writer put before a list paragraph (\pntext, \listtext)
    Pn,          ///< the properties of a \pn list level
};

enum class ListKind { None, Bullet, Numbered };

struct CharProps
{
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    int font = -1; ///< font table number; -1 for the document's default font
    int halfPoints = 24;
    int foreground = 0; ///< colour table index; 0 and auto entries are the automatic colour
    int background = 0;
    int script = 0; ///< 0 normal, 1 superscript, 2 subscript

    bool operator==(const CharProps &) const = default;
};

struct ParaProps
{
    Qt::Alignment align = Qt::AlignLeft;
    int leftTwips = 0;
    int rightTwips = 0;
    int firstTwips = 0;
    ListKind pn = ListKind::None;
};

struct Group
{
    CharProps chars;
    ParaProps para;
    int uc = 1;
    Dest dest = Dest::Text;
};

struct Font
{
    QByteArray nameBytes;
    QString name;
    int charset = -1;
    int codePage = 0;
};

struct Run
{
    QString text;
    CharProps props;
};

/// The code page of a font's \fcharset; 0 for "the document's code page".
int codePageOfCharset(int charset)
{
    switch (charset) {
    case 0: return 1252;
    case 2: return 1252; // symbol fonts: their bytes are glyph numbers; read as Latin text
    case 77: return 10000;
    case 128: return 932;
    case 129: return 949;
    case 130: return 1361;
    case 134: return 936;
    case 136: return 950;
    case 161: return 1253;
    case 162: return 1254;
    case 163: return 1258;
    case 177: return 1255;
    case 178: return 1256;
    case 186: return 1257;
    case 204: return 1251;
    case 222: return 874;
    case 238: return 1250;
    case 254: return 437;
    case 255: return 850;
    default: return 0;
    }
}

bool isLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

int hexValue(char c)
{
    if (isDigit(c))
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

/// Destinations whose content is not text of the document, read or not.
bool isSkippedDestination(const QByteArray &word)
{
    static const QList<QByteArray> names = {"stylesheet", "info",         "pict",
                                            "nonshppict", "shp",          "shpinst",
                                            "object",     "objdata",      "header",
                                            "headerl",    "headerr",      "headerf",
                                            "footer",     "footerl",      "footerr",
                                            "footerf",    "footnote",     "annotation",
                                            "atnid",      "atnauthor",    "listtable",
                                            "filetbl",    "revtbl",       "rsidtbl",
                                            "generator",  "themedata",    "colorschememapping",
                                            "datastore",  "latentstyles", "xmlnstbl",
                                            "fldinst",    "pgdsctbl",     "listoverridetable",
                                            "template",   "xe",           "tc",
                                            "bkmkstart",  "bkmkend",      "mmathPr",
                                            "pntxtb",     "pntxta",       "comment",
                                            "doccomm",    "author",       "operator",
                                            "title",      "subject",      "keywords",
                                            "company",    "userprops",    "docvar",
                                            "fchars",     "lchars",       "wgrffmtfilter"};
    return names.contains(word);
}

class Parser
{
public:
    Parser(const QByteArray &in, QTextDocument *document) : m_in(in), m_cursor(document)
    {
        const QFont font = document->defaultFont();
        m_defaultFamily = font.family();
        m_defaultPoints = font.pointSizeF() > 0 ? font.pointSizeF() : font.pixelSize() * 0.75;
    }

    void run()
    {
        while (m_pos < m_in.size() && !m_done) {
            const char c = m_in[m_pos++];
            switch (c) {
            case '{': openGroup(); break;
            case '}': closeGroup(); break;
            case '\\': controlSequence(); break;
            case '\r':
            case '\n':
            case '\0': break;
            default: literalByte(c); break;
            }
        }
        // A document cut short keeps what was read; a last paragraph without its mark is still a paragraph.
        if (m_stack.isEmpty())
            return;
        flushBytes();
        if (!m_runs.isEmpty() || m_hasListText)
            endParagraph();
    }

private:
    Group &top() { return m_stack.last(); }

    void openGroup()
    {
        flushBytes();
        m_skipChars = 0;
        if (m_stack.isEmpty()) {
            m_stack.append(Group());
            return;
        }
        if (m_stack.size() >= RtfReader::maxDepth)
            throw Failure(QStringLiteral("The rich text is nested more than %1 groups deep").arg(RtfReader::maxDepth));
        m_stack.append(top());
        m_groupStart = true;
    }

    void closeGroup()
    {
        flushBytes();
        m_skipChars = 0;
        if (m_stack.isEmpty())
            return;
        if (top().dest == Dest::FontTable)
            finishFontName();
        // The document ends with its outermost group; what follows (a NUL a writer added) is not read.
        // The outermost state stays for a last paragraph that has no paragraph mark.
        if (m_stack.size() == 1)
            m_done = true;
        else
            m_stack.removeLast();
    }

    bool skippingFallback()
    {
        if (m_skipChars <= 0)
            return false;
        --m_skipChars;
        return true;
    }

    void literalByte(char c)
    {
        if (m_stack.isEmpty() || skippingFallback())
            return;
        addByte(c);
    }

    void addByte(char c)
    {
        Group &g = top();
        switch (g.dest) {
        case Dest::Text:
        case Dest::ListText: {
            const int cp = codePage(g.chars.font);
            if (cp != m_bytesCodePage)
                flushBytes();
            m_bytesCodePage = cp;
            m_bytes += c;
            break;
        }
        case Dest::FontTable:
            if (c == ';')
                finishFontName();
            else if (m_fontDefining >= 0 && m_fonts[m_fontDefining].nameBytes.size() < maxFontNameBytes)
                m_fonts[m_fontDefining].nameBytes += c;
            break;
        case Dest::ColourTable:
            if (c == ';')
                finishColour();
            break;
        case Dest::Skip:
        case Dest::Pn: break;
        }
    }

    void controlSequence()
    {
        if (m_pos >= m_in.size())
            return;
        const char n = m_in[m_pos];
        if (!isLetter(n)) {
            ++m_pos;
            controlSymbol(n);
            m_groupStart = false;
            return;
        }
        QByteArray word;
        while (m_pos < m_in.size() && isLetter(m_in[m_pos])) {
            if (word.size() < maxWordLetters)
                word += m_in[m_pos];
            ++m_pos;
        }
        bool hasParam = false;
        qint64 param = 0;
        bool negative = false;
        if (m_pos + 1 < m_in.size() && m_in[m_pos] == '-' && isDigit(m_in[m_pos + 1])) {
            negative = true;
            ++m_pos;
        }
        while (m_pos < m_in.size() && isDigit(m_in[m_pos])) {
            hasParam = true;
            param = std::min<qint64>(param * 10 + (m_in[m_pos] - '0'), 1'000'000'000);
            ++m_pos;
        }
        if (negative)
            param = -param;
        if (m_pos < m_in.size() && m_in[m_pos] == ' ')
            ++m_pos;
        const bool groupStart = m_groupStart;
        m_groupStart = false;
        controlWord(word, hasParam, static_cast<int>(param), groupStart);
    }

    void controlSymbol(char n)
    {
        if (m_stack.isEmpty())
            return;
        switch (n) {
        case '\'': {
            // Two hex digits; an escape cut short (at the end, or by another character) yields nothing.
            int value = 0;
            int digits = 0;
            while (digits < 2 && m_pos < m_in.size() && hexValue(m_in[m_pos]) >= 0)
                value = value * 16 + hexValue(m_in[m_pos++]), ++digits;
            if (!skippingFallback() && digits == 2)
                addByte(static_cast<char>(value));
            return;
        }
        case '\\':
        case '{':
        case '}':
            if (!skippingFallback())
                addByte(n);
            return;
        case '*': m_star = true; return;
        case '\r':
        case '\n':
            // A backslash before a line end is a paragraph mark.
            controlWord("par", false, 0, false);
            return;
        default: break;
        }
        if (skippingFallback())
            return;
        if (n == '~')
            addText(QString(QChar(0xA0)));
        else if (n == '_')
            addText(QString(QChar(0x2011)));
        // \- (optional hyphen), \| and \: carry no text.
    }

    void controlWord(const QByteArray &word, bool hasParam, int param, bool groupStart)
    {
        const bool star = m_star;
        m_star = false;
        if (m_stack.isEmpty())
            return;
        // Text read so far belongs to the format before this word.
        flushBytes();
        if (word == "bin") {
            // Binary data of `param` bytes follows, whatever destination it is in.
            flushBytes();
            m_pos += std::clamp<qint64>(param, 0, m_in.size() - m_pos);
            return;
        }
        Group &g = top();
        if (g.dest == Dest::Skip)
            return;
        if (skippingFallback())
            return;
        if (groupStart || star) {
            if (startDestination(word, star))
                return;
        }
        switch (g.dest) {
        case Dest::FontTable: fontTableWord(word, hasParam, param); return;
        case Dest::ColourTable: colourTableWord(word, param); return;
        case Dest::Pn: pnWord(word); return;
        case Dest::Skip: return;
        case Dest::Text:
        case Dest::ListText: break;
        }
        if (documentWord(word, hasParam, param))
            return;
        if (charWord(word, hasParam, param))
            return;
        if (paraWord(word, param))
            return;
        specialCharacter(word);
    }

    /// The first control word of a group, or one after \*; true when it named a destination.
    bool startDestination(const QByteArray &word, bool star)
    {
        Group &g = top();
        if (word == "fonttbl") {
            g.dest = Dest::FontTable;
            m_fontDefining = -1;
        } else if (word == "colortbl") {
            g.dest = Dest::ColourTable;
        } else if (word == "pntext" || word == "listtext") {
            if (g.dest != Dest::Text)
                g.dest = Dest::Skip;
            else {
                g.dest = Dest::ListText;
                m_listText.clear();
                m_hasListText = true;
            }
        } else if (word == "pn") {
            g.dest = Dest::Pn;
        } else if (isSkippedDestination(word) || star) {
            g.dest = Dest::Skip;
        } else {
            return false;
        }
        return true;
    }

    bool documentWord(const QByteArray &word, bool hasParam, int param)
    {
        if (word == "ansi")
            m_ansiCodePage = 1252;
        else if (word == "mac")
            m_ansiCodePage = 10000;
        else if (word == "pc")
            m_ansiCodePage = 437;
        else if (word == "pca")
            m_ansiCodePage = 850;
        else if (word == "ansicpg") {
            if (hasParam && param > 0 && param < 65536)
                m_ansiCodePage = param;
        } else if (word == "deff")
            m_defaultFont = param;
        else if (word == "uc")
            top().uc = std::clamp(param, 0, maxUnicodeSkip);
        else if (word == "u") {
            int code = param;
            if (code < 0)
                code += 65536;
            if (code >= 0 && code <= 0xFFFF) {
                // Characters beyond the basic plane come as two \u of their surrogates, which join here.
                addText(QString(QChar(static_cast<char16_t>(code))));
            } else if (code <= 0x10FFFF) {
                const char32_t c = static_cast<char32_t>(code);
                addText(QString::fromUcs4(&c, 1));
            }
            m_skipChars = top().uc;
        } else
            return false;
        return true;
    }

    bool charWord(const QByteArray &word, bool hasParam, int param)
    {
        CharProps &c = top().chars;
        const bool on = !hasParam || param != 0;
        if (word == "plain")
            c = CharProps();
        else if (word == "b")
            c.bold = on;
        else if (word == "i")
            c.italic = on;
        else if (word == "strike" || word == "striked")
            c.strike = on;
        else if (word == "ulnone")
            c.underline = false;
        else if (word.startsWith("ul") && word != "ulc")
            c.underline = on; // \ul and its dotted, double, wave, ... variants
        else if (word == "f")
            c.font = param;
        else if (word == "fs")
            c.halfPoints = hasParam ? std::clamp(param, 2, 3276) : 24;
        else if (word == "cf")
            c.foreground = param;
        else if (word == "highlight" || word == "cb" || word == "chcbpat")
            c.background = param;
        else if (word == "super")
            c.script = 1;
        else if (word == "sub")
            c.script = 2;
        else if (word == "nosupersub")
            c.script = 0;
        else
            return false;
        return true;
    }

    bool paraWord(const QByteArray &word, int param)
    {
        ParaProps &p = top().para;
        if (word == "pard")
            p = ParaProps();
        else if (word == "ql")
            p.align = Qt::AlignLeft;
        else if (word == "qc")
            p.align = Qt::AlignHCenter;
        else if (word == "qr")
            p.align = Qt::AlignRight;
        else if (word == "qj")
            p.align = Qt::AlignJustify;
        else if (word == "li")
            p.leftTwips = std::clamp(param, -31680, 31680);
        else if (word == "ri")
            p.rightTwips = std::clamp(param, -31680, 31680);
        else if (word == "fi")
            p.firstTwips = std::clamp(param, -31680, 31680);
        else if (word == "par" || word == "row")
            endParagraph();
        else
            return false;
        return true;
    }

    void specialCharacter(const QByteArray &word)
    {
        static const QHash<QByteArray, char16_t> characters = {
            {"line", 0x2028},    {"tab", u'\t'},        {"cell", u'\t'},       {"emdash", 0x2014}, {"endash", 0x2013},
            {"emspace", 0x2003}, {"enspace", 0x2002},   {"qmspace", 0x2005},   {"bullet", 0x2022}, {"lquote", 0x2018},
            {"rquote", 0x2019},  {"ldblquote", 0x201C}, {"rdblquote", 0x201D}, {"zwj", 0x200D},    {"zwnj", 0x200C},
            {"ltrmark", 0x200E}, {"rtlmark", 0x200F},   {"zwbo", 0x200B},      {"zwnbo", 0xFEFF}};
        const auto it = characters.constFind(word);
        if (it != characters.constEnd())
            addText(QString(QChar(it.value())));
    }

    void fontTableWord(const QByteArray &word, bool hasParam, int param)
    {
        if (word == "f" && hasParam) {
            finishFontName();
            if (m_fonts.size() < maxFonts || m_fonts.contains(param)) {
                m_fontDefining = param;
                m_fonts[param] = Font();
            } else {
                m_fontDefining = -1;
            }
        } else if (m_fontDefining >= 0 && word == "fcharset") {
            m_fonts[m_fontDefining].charset = param;
        } else if (m_fontDefining >= 0 && word == "cpg") {
            m_fonts[m_fontDefining].codePage = param > 0 && param < 65536 ? param : 0;
        }
    }

    void finishFontName()
    {
        if (m_fontDefining < 0)
            return;
        Font &f = m_fonts[m_fontDefining];
        if (f.name.isEmpty() && !f.nameBytes.isEmpty())
            f.name = TextCodec::fromCodePage(codePage(m_fontDefining), f.nameBytes).trimmed();
        f.nameBytes.clear();
    }

    void colourTableWord(const QByteArray &word, int param)
    {
        const int v = std::clamp(param, 0, 255);
        if (word == "red")
            m_red = v, m_colourSet = true;
        else if (word == "green")
            m_green = v, m_colourSet = true;
        else if (word == "blue")
            m_blue = v, m_colourSet = true;
    }

    void finishColour()
    {
        if (m_colours.size() < maxColours)
            m_colours.append(m_colourSet ? QColor(m_red, m_green, m_blue) : QColor());
        m_red = m_green = m_blue = 0;
        m_colourSet = false;
    }

    /// A word inside {\*\pn ...}: the list level belongs to the paragraph around the group.
    void pnWord(const QByteArray &word)
    {
        ListKind kind = ListKind::None;
        if (word == "pnlvlblt")
            kind = ListKind::Bullet;
        else if (word == "pnlvlbody" || word == "pnlvlcont" || word.startsWith("pnlvl"))
            kind = ListKind::Numbered;
        else
            return;
        // The nearest group that is not itself part of the \pn destination.
        for (qsizetype i = m_stack.size() - 1; i >= 0; --i) {
            if (m_stack[i].dest != Dest::Pn) {
                m_stack[i].para.pn = kind;
                return;
            }
        }
    }

    int codePage(int font) const
    {
        const auto it = m_fonts.constFind(font < 0 ? m_defaultFont : font);
        if (it != m_fonts.constEnd()) {
            if (it->codePage > 0)
                return it->codePage;
            if (const int cp = codePageOfCharset(it->charset))
                return cp;
        }
        return m_ansiCodePage;
    }

    void flushBytes()
    {
        if (m_bytes.isEmpty())
            return;
        const QByteArray bytes = m_bytes;
        m_bytes.clear();
        addText(TextCodec::fromCodePage(m_bytesCodePage, bytes));
    }

    void addText(const QString &text)
    {
        Group &g = top();
        if (g.dest == Dest::ListText) {
            if (m_listText.size() < 64)
                m_listText += text;
            return;
        }
        if (g.dest != Dest::Text)
            return;
        if (!m_bytes.isEmpty())
            flushBytes();
        resolveListText();
        appendRun(text, g.chars);
    }

    void appendRun(const QString &text, const CharProps &props)
    {
        if (text.isEmpty())
            return;
        if (!m_runs.isEmpty() && m_runs.last().props == props) {
            m_runs.last().text += text;
            return;
        }
        if (++m_runCount > RtfReader::maxRuns)
            throw Failure(QStringLiteral("The rich text has more than %1 format changes").arg(RtfReader::maxRuns));
        m_runs.append({text, props});
    }

    /// Decides what the list text before a paragraph was: a bullet, or a number kept as text.
    void resolveListText()
    {
        if (!m_hasListText)
            return;
        m_hasListText = false;
        const ListKind pn = top().para.pn;
        QString text = m_listText;
        m_listText.clear();
        if (pn == ListKind::Bullet) {
            m_bulletFromText = true;
            return;
        }
        const QString symbol = text.trimmed();
        if (pn == ListKind::None && symbol.size() == 1 && !symbol.at(0).isLetterOrNumber()) {
            m_bulletFromText = true;
            return;
        }
        // A numbered paragraph keeps its number ("1.", "a)") and the tab after it as text.
        text.replace(QChar(0x2028), QLatin1Char(' '));
        appendRun(text, top().chars);
    }

    void endParagraph()
    {
        flushBytes();
        resolveListText();
        const Group &g = top();
        const bool bullet = g.para.pn == ListKind::Bullet || m_bulletFromText;
        if (++m_paragraphs > RtfReader::maxParagraphs)
            throw Failure(QStringLiteral("The rich text has more than %1 paragraphs").arg(RtfReader::maxParagraphs));
        if (m_paragraphs > 1)
            m_cursor.insertBlock(QTextBlockFormat(), QTextCharFormat());
        QTextBlockFormat block;
        block.setAlignment(g.para.align);
        if (!bullet) {
            // 1440 twips make an inch of 96 pixels.
            block.setLeftMargin(g.para.leftTwips / 15.0);
            block.setRightMargin(g.para.rightTwips / 15.0);
            block.setTextIndent(g.para.firstTwips / 15.0);
        }
        m_cursor.setBlockFormat(block);
        if (m_runs.isEmpty())
            m_cursor.setBlockCharFormat(charFormat(g.chars));
        for (const Run &r : std::as_const(m_runs))
            m_cursor.insertText(r.text, charFormat(r.props));
        if (bullet) {
            if (m_list && m_lastWasBullet) {
                m_list->add(m_cursor.block());
            } else {
                QTextListFormat list;
                list.setStyle(QTextListFormat::ListDisc);
                list.setIndent(1);
                m_list = m_cursor.createList(list);
            }
        }
        m_lastWasBullet = bullet;
        m_bulletFromText = false;
        m_runs.clear();
    }

    QTextCharFormat charFormat(const CharProps &p) const
    {
        QTextCharFormat f;
        if (p.bold)
            f.setFontWeight(QFont::Bold);
        if (p.italic)
            f.setFontItalic(true);
        if (p.underline)
            f.setFontUnderline(true);
        if (p.strike)
            f.setFontStrikeOut(true);
        const auto font = m_fonts.constFind(p.font < 0 ? m_defaultFont : p.font);
        if (font != m_fonts.constEnd() && !font->name.isEmpty() && font->name != m_defaultFamily)
            f.setFontFamilies(QStringList{font->name});
        const double points = p.halfPoints / 2.0;
        if (!qFuzzyCompare(points, m_defaultPoints))
            f.setFontPointSize(points);
        if (const QColor c = colour(p.foreground); c.isValid())
            f.setForeground(c);
        if (const QColor c = colour(p.background); c.isValid())
            f.setBackground(c);
        if (p.script == 1)
            f.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
        else if (p.script == 2)
            f.setVerticalAlignment(QTextCharFormat::AlignSubScript);
        return f;
    }

    QColor colour(int index) const { return index > 0 && index < m_colours.size() ? m_colours[index] : QColor(); }

    const QByteArray &m_in;
    QTextCursor m_cursor;
    QString m_defaultFamily;
    double m_defaultPoints = 12;

    qsizetype m_pos = 0;
    bool m_done = false;
    QList<Group> m_stack;
    bool m_groupStart = false;
    bool m_star = false;
    int m_skipChars = 0;

    int m_ansiCodePage = 1252;
    int m_defaultFont = 0;
    QHash<int, Font> m_fonts;
    int m_fontDefining = -1;
    QList<QColor> m_colours;
    int m_red = 0, m_green = 0, m_blue = 0;
    bool m_colourSet = false;

    QByteArray m_bytes;
    int m_bytesCodePage = 1252;
    QList<Run> m_runs;
    int m_runCount = 0;
    int m_paragraphs = 0;
    QString m_listText;
    bool m_hasListText = false;
    bool m_bulletFromText = false;
    QTextList *m_list = nullptr;
    bool m_lastWasBullet = false;
};

} // namespace

bool RtfReader::isRtf(const QByteArray &bytes)
{
    qsizetype i = 0;
    while (i < bytes.size() && (bytes[i] == ' ' || bytes[i] == '\t' || bytes[i] == '\r' || bytes[i] == '\n'))
        ++i;
    return bytes.mid(i, 5) == "{\\rtf";
}

void RtfReader::read(const QByteArray &bytes, QTextDocument *document)
{
    document->clear();
    try {
        Parser(bytes, document).run();
    } catch (const Failure &) {
        document->clear();
        throw;
    }
}
