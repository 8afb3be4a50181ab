#include "notes/RtfText.h"

#include <QList>
#include <QStringDecoder>
#include <cctype>

namespace RtfText {

QByteArray write(const QString &text)
{
    QByteArray out("{\\rtf1\\ansi\\ansicpg1251\\deff0{\\fonttbl{\\f0\\fnil Comic Sans MS;}}\\uc1\\f0\\fs24 ");
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u == u'\n')
            out += "\\par\n";
        else if (u == u'\r')
            continue;
        else if (u == u'\t')
            out += "\\tab ";
        else if (u == u'\\' || u == u'{' || u == u'}')
            out += '\\', out += char(u);
        else if (u < 0x80)
            out += char(u);
        else
            out += "\\u" + QByteArray::number(static_cast<qint16>(u)) + '?';
    }
    // Every document ends with a paragraph mark, as the editor writes it; the reader drops that one.
    out += "\\par\n}\n";
    return out;
}

namespace {

// Destinations whose content is not part of the text.
bool skippedDestination(const QByteArray &word)
{
    static const QList<QByteArray> names
        = {"fonttbl",   "colortbl",     "stylesheet",        "info",    "pict",      "header",
           "footer",    "listtable",    "listoverridetable", "rsidtbl", "generator", "themedata",
           "datastore", "latentstyles", "xmlnstbl",          "object"};
    return names.contains(word);
}

class Reader
{
public:
    Reader(const QByteArray &bytes, const RtfText::Decoder &decode) : m_in(bytes), m_decode(decode) {}

    QString run()
    {
        struct Group
        {
            bool skip;
            int uc;
        };
        QList<Group> stack{{false, 1}};
        int skipChars = 0;
        while (m_pos < m_in.size()) {
            const char c = m_in[m_pos++];
            Group &g = stack.last();
            if (c == '{') {
                flush();
                stack.append(g);
                if (m_in.mid(m_pos, 2) == "\\*")
                    stack.last().skip = true;
                continue;
            }
            if (c == '}') {
                flush();
                if (stack.size() > 1)
                    stack.removeLast();
                continue;
            }
            if (c == '\r' || c == '\n')
                continue;
            if (c != '\\') {
                if (skipChars > 0) {
                    --skipChars;
                    continue;
                }
                if (!g.skip)
                    m_bytes += c;
                continue;
            }
            if (m_pos >= m_in.size())
                break;
            const char n = m_in[m_pos];
            if (n == '\\' || n == '{' || n == '}') {
                ++m_pos;
                if (skipChars > 0) {
                    --skipChars;
                    continue;
                }
                if (!g.skip)
                    m_bytes += n;
                continue;
            }
            if (n == '\'') {
                const QByteArray hex = m_in.mid(m_pos + 1, 2);
                m_pos += 3;
                if (skipChars > 0) {
                    --skipChars;
                    continue;
                }
                if (!g.skip)
                    m_bytes += char(hex.toInt(nullptr, 16));
                continue;
            }
            if (!std::isalpha(static_cast<unsigned char>(n))) {
                ++m_pos; // control symbols such as \~ \- \* carry no text here
                if (n == '~' && !g.skip) {
                    flush();
                    m_text += QChar(0xA0);
                }
                continue;
            }
            QByteArray word;
            while (m_pos < m_in.size() && std::isalpha(static_cast<unsigned char>(m_in[m_pos])))
                word += m_in[m_pos++];
            QByteArray num;
            if (m_pos < m_in.size() && (m_in[m_pos] == '-' || std::isdigit(static_cast<unsigned char>(m_in[m_pos])))) {
                num += m_in[m_pos++];
                while (m_pos < m_in.size() && std::isdigit(static_cast<unsigned char>(m_in[m_pos])))
                    num += m_in[m_pos++];
            }
            if (m_pos < m_in.size() && m_in[m_pos] == ' ')
                ++m_pos;
            if (skippedDestination(word)) {
                g.skip = true;
                continue;
            }
            if (g.skip)
                continue;
            if (word == "par" || word == "line") {
                flush();
                m_text += QLatin1Char('\n');
            } else if (word == "tab") {
                flush();
                m_text += QLatin1Char('\t');
            } else if (word == "uc") {
                g.uc = num.toInt();
            } else if (word == "u") {
                flush();
                int code = num.toInt();
                if (code < 0)
                    code += 65536;
                m_text += QChar(static_cast<char16_t>(code));
                skipChars = g.uc;
            }
        }
        flush();
        // The editor ends its documents with a paragraph mark that is not part of the text.
        if (m_text.endsWith(QLatin1Char('\n')))
            m_text.chop(1);
        return m_text;
    }

private:
    void flush()
    {
        if (m_bytes.isEmpty())
            return;
        m_text += m_decode(m_bytes);
        m_bytes.clear();
    }

    const QByteArray &m_in;
    const RtfText::Decoder &m_decode;
    qsizetype m_pos = 0;
    QByteArray m_bytes;
    QString m_text;
};

} // namespace

QString read(const QByteArray &bytes, const Decoder &decode8bit)
{
    if (!bytes.startsWith("{\\rtf")) {
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString text = utf8.decode(bytes);
        return utf8.hasError() ? decode8bit(bytes) : text;
    }
    return Reader(bytes, decode8bit).run();
}

} // namespace RtfText
