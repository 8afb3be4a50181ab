#include "files/IniFile.h"

#include "files/SafeFile.h"

#include "platform/Clock.h"
#include "platform/Failure.h"
#include "platform/TextCodec.h"

#include <QHash>
#include <QTime>

#include <cctype>

namespace {

// Values come back through a 2048-character buffer, terminator included.
constexpr qsizetype kMaxValueLength = 2047;

bool sectionHeader(const QString &line, QString *name)
{
    const QString t = line.trimmed();
    if (!t.startsWith(QLatin1Char('[')))
        return false;
    const qsizetype close = t.indexOf(QLatin1Char(']'));
    *name = (close < 0 ? t.mid(1) : t.mid(1, close - 1)).trimmed();
    return true;
}

// A key line is "key=value"; comment lines (starting with ';') and lines without '=' hold no key.
bool keyLine(const QString &line, QString *key, QString *value)
{
    const QString t = line.trimmed();
    if (t.isEmpty() || t.startsWith(QLatin1Char(';')))
        return false;
    const qsizetype eq = line.indexOf(QLatin1Char('='));
    if (eq < 0)
        return false;
    *key = line.left(eq).trimmed();
    if (key->isEmpty())
        return false;
    if (value)
        *value = line.mid(eq + 1);
    return true;
}

bool sameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

bool quotedLooking(const QString &text)
{
    return text.size() >= 2 && text.startsWith(QLatin1Char('"')) && text.endsWith(QLatin1Char('"'));
}

// Loosens a date or time format for reading: "dd"/"MM"/"HH"/"hh"/"mm"/"ss" also accept one digit, as people
// and older files write them. Quoted literal text is kept. Reports whether the year is two-digit.
QString lenientFormat(const QString &format, bool *twoDigitYear, bool fourDigitYear)
{
    QString out;
    bool shortYear = false;
    for (qsizetype i = 0; i < format.size();) {
        const QChar c = format.at(i);
        if (c == QLatin1Char('\'')) {
            const qsizetype end = format.indexOf(QLatin1Char('\''), i + 1);
            const qsizetype stop = end < 0 ? format.size() : end + 1;
            out += format.mid(i, stop - i);
            i = stop;
            continue;
        }
        qsizetype run = 1;
        while (i + run < format.size() && format.at(i + run) == c)
            ++run;
        const QString token = format.mid(i, run);
        if (run == 2 && QStringLiteral("dMHhms").contains(c))
            out += c;
        else if (c == QLatin1Char('y') && run == 2) {
            shortYear = true;
            out += fourDigitYear ? QStringLiteral("yyyy") : token;
        } else
            out += token;
        i += run;
    }
    if (twoDigitYear)
        *twoDigitYear = shortYear;
    return out;
}

QDate parseDateOnly(const QString &text, const QString &format, int currentYear)
{
    bool twoDigitYear = false;
    const QString lenient = lenientFormat(format, &twoDigitYear, false);
    QDate d = QDate::fromString(text, lenient);
    if (d.isValid() && twoDigitYear) {
        // Qt reads "yy" as 19yy; put the year in the fifty years either side of now instead, so a date
        // written as "3/15/26" in 2026 comes back in 2026.
        int year = (currentYear / 100) * 100 + d.year() % 100;
        if (year > currentYear + 50)
            year -= 100;
        else if (year <= currentYear - 50)
            year += 100;
        d = QDate(year, d.month(), d.day());
        return d;
    }
    if (!d.isValid() && twoDigitYear) // a four-digit year is accepted where two digits are the custom
        d = QDate::fromString(text, lenientFormat(format, nullptr, true));
    return d;
}

bool parseTime(const QString &text, const QString &format)
{
    const QString candidates[] = {lenientFormat(format, nullptr, false), QStringLiteral("H:m:s"), QStringLiteral("H:m"),
                                  QStringLiteral("h:m:s AP"), QStringLiteral("h:m AP")};
    for (const QString &f : candidates) {
        if (!f.isEmpty() && QTime::fromString(text, f).isValid())
            return true;
    }
    return false;
}

} // namespace

IniFile::IniFile(const QString &path, const Clock *clock) : m_path(path), m_clock(clock) {}

QStringList IniFile::readLines(QString *eol) const
{
    // Throws Failure naming the file when something other than a regular file stands there.
    const std::optional<QByteArray> bytes = SafeFile::read(m_path);
    if (!bytes) {
        if (eol)
            *eol = QStringLiteral("\n");
        return {};
    }
    const QString text = TextCodec::decodeFile(*bytes);
    if (eol) {
        const qsizetype lf = text.indexOf(QLatin1Char('\n'));
        *eol = (lf > 0 && text.at(lf - 1) == QLatin1Char('\r')) ? QStringLiteral("\r\n") : QStringLiteral("\n");
    }
    QStringList lines = text.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    for (QString &line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    }
    return lines;
}

int IniFile::findKey(const QStringList &lines, const QString &section, const QString &key, int *sectionEnd)
{
    if (sectionEnd)
        *sectionEnd = -1;
    bool inSection = false;
    bool seen = false;
    for (int i = 0; i < lines.size(); ++i) {
        QString name;
        if (sectionHeader(lines.at(i), &name)) {
            if (inSection)
                return -1; // only the first section of that name counts, as for reading
            inSection = !seen && sameName(name, section);
            if (inSection) {
                seen = true;
                if (sectionEnd)
                    *sectionEnd = i + 1;
            }
            continue;
        }
        if (!inSection)
            continue;
        if (!lines.at(i).trimmed().isEmpty() && sectionEnd)
            *sectionEnd = i + 1;
        QString k;
        if (keyLine(lines.at(i), &k, nullptr) && sameName(k, key))
            return i;
    }
    return -1;
}

bool IniFile::keyExists(const QString &section, const QString &key) const
{
    return findKey(readLines(nullptr), section, key, nullptr) >= 0;
}

QList<QPair<QString, int>> IniFile::sectionKeys(const QStringList &lines, const QString &section)
{
    QList<QPair<QString, int>> result;
    bool inSection = false;
    bool seen = false;
    for (int i = 0; i < lines.size(); ++i) {
        QString name;
        if (sectionHeader(lines.at(i), &name)) {
            if (inSection)
                break;
            inSection = !seen && sameName(name, section);
            seen = seen || inSection;
            continue;
        }
        QString k;
        if (inSection && keyLine(lines.at(i), &k, nullptr))
            result.append({k, i});
    }
    return result;
}

QStringList IniFile::keys(const QString &section) const
{
    QStringList result;
    for (const auto &[key, line] : sectionKeys(readLines(nullptr), section))
        result << key;
    return result;
}

QString IniFile::valueAt(const QStringList &lines, int index)
{
    QString k, value;
    keyLine(lines.at(index), &k, &value);
    return decodeValue(value.trimmed()).left(kMaxValueLength);
}

QString IniFile::valueIn(const QStringList &lines, const QString &section, const QString &key,
                         const QString &defaultValue)
{
    const int index = findKey(lines, section, key, nullptr);
    return index < 0 ? defaultValue : valueAt(lines, index);
}

QString IniFile::readString(const QString &section, const QString &key, const QString &defaultValue) const
{
    return valueIn(readLines(nullptr), section, key, defaultValue);
}

QStringList IniFile::readStrings(const QString &section, const QList<QPair<QString, QString>> &keysAndDefaults) const
{
    const QStringList lines = readLines(nullptr);
    // One pass over the section for all the keys (a language file holds hundreds): the first line of each key
    // counts, as for a single read.
    QHash<QString, int> firstLine;
    for (const auto &[key, line] : sectionKeys(lines, section)) {
        const QString folded = key.toCaseFolded();
        if (!firstLine.contains(folded))
            firstLine.insert(folded, line);
    }
    QStringList values;
    values.reserve(keysAndDefaults.size());
    for (const auto &[key, defaultValue] : keysAndDefaults) {
        const auto found = firstLine.constFind(key.toCaseFolded());
        values << (found == firstLine.constEnd() ? defaultValue : valueAt(lines, *found));
    }
    return values;
}

int IniFile::readInteger(const QString &section, const QString &key, int defaultValue) const
{
    const QString text = readString(section, key, QString()).trimmed();
    if (text.isEmpty())
        return defaultValue;
    bool ok = false;
    if (text.size() > 2 && text.at(0) == QLatin1Char('0')
        && (text.at(1) == QLatin1Char('x') || text.at(1) == QLatin1Char('X'))) {
        const QString digits = text.mid(2);
        // Up to eight hex digits, taken as the 32 bits of the number (0xFFFFFFFF is -1).
        if (digits.size() > 8)
            return defaultValue;
        for (const QChar c : digits) {
            if (c.unicode() > 0x7f || !std::isxdigit(c.unicode()))
                return defaultValue;
        }
        const uint value = digits.toUInt(&ok, 16);
        return ok ? static_cast<int>(value) : defaultValue;
    }
    const int value = text.toInt(&ok, 10);
    return ok ? value : defaultValue;
}

bool IniFile::readBool(const QString &section, const QString &key, bool defaultValue) const
{
    return readInteger(section, key, defaultValue ? 1 : 0) != 0;
}

QDate IniFile::readDate(const QString &section, const QString &key, const QDate &defaultValue) const
{
    const QString text = readString(section, key, QString());
    const QString dateFormat = m_clock ? m_clock->shortDateFormat() : QStringLiteral("yyyy-MM-dd");
    const QString timeFormat = m_clock ? m_clock->longTimeFormat() : QStringLiteral("HH:mm:ss");
    const int year = m_clock ? m_clock->today().year() : QDate::currentDate().year();
    const QDate date = parseDate(text, dateFormat, timeFormat, year);
    return date.isValid() ? date : defaultValue;
}

QDate IniFile::parseDate(const QString &text, const QString &dateFormat, const QString &timeFormat, int currentYear)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return {};
    QDate d = parseDateOnly(t, dateFormat, currentYear);
    if (d.isValid())
        return d;
    // A date followed by a time: try each blank as the border, the last one first, since a date format may
    // hold blanks of its own; a time such as "2:30:00 PM" has one too, so its border lies further left.
    for (qsizetype i = t.size() - 1; i > 0; --i) {
        if (!t.at(i).isSpace())
            continue;
        const QString datePart = t.left(i).trimmed();
        const QString timePart = t.mid(i + 1).trimmed();
        if (datePart.isEmpty() || timePart.isEmpty())
            continue;
        d = parseDateOnly(datePart, dateFormat, currentYear);
        if (d.isValid() && parseTime(timePart, timeFormat))
            return d;
    }
    return {};
}

QString IniFile::encodeValue(const QString &value)
{
    const bool lineBreak = value.contains(QLatin1Char('\n')) || value.contains(QLatin1Char('\r'));
    if (!lineBreak && !quotedLooking(value.trimmed()))
        return value;
    QString out = QStringLiteral("\"");
    for (const QChar c : value) {
        switch (c.unicode()) {
        case '\\': out += QStringLiteral("\\\\"); break;
        case '"': out += QStringLiteral("\\\""); break;
        case '\n': out += QStringLiteral("\\n"); break;
        case '\r': out += QStringLiteral("\\r"); break;
        default: out += c;
        }
    }
    out += QLatin1Char('"');
    return out;
}

QString IniFile::decodeValue(const QString &stored)
{
    if (!quotedLooking(stored))
        return stored;
    QString out;
    const qsizetype end = stored.size() - 1;
    for (qsizetype i = 1; i < end; ++i) {
        const QChar c = stored.at(i);
        if (c == QLatin1Char('"'))
            return stored; // a bare quote inside: not one of ours
        if (c != QLatin1Char('\\')) {
            out += c;
            continue;
        }
        if (i + 1 >= end)
            return stored;
        const QChar e = stored.at(++i);
        if (e == QLatin1Char('\\') || e == QLatin1Char('"'))
            out += e;
        else if (e == QLatin1Char('n'))
            out += QLatin1Char('\n');
        else if (e == QLatin1Char('r'))
            out += QLatin1Char('\r');
        else
            return stored;
    }
    return out;
}

bool IniFile::applyWrite(QStringList &lines, const QString &section, const QString &key, const QString &value)
{
    int sectionEnd = -1;
    const int index = findKey(lines, section, key, &sectionEnd);
    const QString encoded = encodeValue(value);
    if (index >= 0) {
        QString existingKey;
        keyLine(lines.at(index), &existingKey, nullptr);
        const QString line = existingKey + QLatin1Char('=') + encoded;
        if (line == lines.at(index))
            return false;
        lines[index] = line;
    } else if (sectionEnd >= 0) {
        lines.insert(sectionEnd, key + QLatin1Char('=') + encoded);
    } else {
        if (!lines.isEmpty() && !lines.last().trimmed().isEmpty())
            lines << QString();
        lines << QLatin1Char('[') + section + QLatin1Char(']') << key + QLatin1Char('=') + encoded;
    }
    return true;
}

void IniFile::writeString(const QString &section, const QString &key, const QString &value)
{
    QString eol;
    QStringList lines = readLines(&eol);
    if (applyWrite(lines, section, key, value))
        commit(lines, eol);
}

void IniFile::writeStrings(const QString &section, const QList<QPair<QString, QString>> &values)
{
    QString eol;
    QStringList lines = readLines(&eol);
    bool changed = false;
    for (const auto &[key, value] : values)
        changed = applyWrite(lines, section, key, value) || changed;
    if (changed)
        commit(lines, eol);
}

void IniFile::writeInteger(const QString &section, const QString &key, int value)
{
    writeString(section, key, QString::number(value));
}

void IniFile::writeBool(const QString &section, const QString &key, bool value)
{
    writeString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

void IniFile::writeDate(const QString &section, const QString &key, const QDate &value)
{
    writeString(section, key, dateText(value));
}

QString IniFile::dateText(const QDate &value) const
{
    return m_clock ? m_clock->formatShortDate(value) : value.toString(QStringLiteral("yyyy-MM-dd"));
}

void IniFile::commit(const QStringList &lines, const QString &eol) const
{
    QString text = lines.join(eol);
    if (!lines.isEmpty())
        text += eol;
    // Replaced as a whole: a crash or a full disk in the middle leaves the previous file as it was.
    SafeFile::write(m_path, text.toUtf8());
}
