// A settings file of the classic initialisation-file kind, read and written through at every call.
#pragma once

#include <QDate>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

class Clock;

/// Sections in square brackets, key=value lines, keys and section names matched without letter case.
/// The object keeps no copy of the file: every read parses the file as it is now, every write replaces the
/// file at once, so a later read (by this object or another) sees the written value. A write that changes
/// nothing leaves the file alone.
///
/// Bytes: files are written in UTF-8; a file that is not valid UTF-8 is read as Windows-1251.
///
/// Values: read with leading and trailing blanks removed and cut to 2047 characters. A value holding a
/// line break would otherwise split into a second line that reads as a key of its own, so such a value is
/// written in double quotes with the escapes \\ \" \n \r (and so is a value that itself begins and ends with
/// a double quote, to keep it from being taken for an escaped one). Every other value is written exactly as
/// it is. On reading, a value in double quotes whose inside is well-formed under those escapes is unescaped;
/// anything else is returned as it stands.
class IniFile
{
public:
    /// clock gives the user's short date format and the current year for dates; it may be null for a file
    /// that holds no dates (dates then use ISO 8601).
    explicit IniFile(const QString &path, const Clock *clock = nullptr);

    QString path() const { return m_path; }

    bool keyExists(const QString &section, const QString &key) const;
    /// Keys of the section in file order (as spelled in the file).
    QStringList keys(const QString &section) const;

    /// The value, or defaultValue when the key is missing; an empty value is returned as empty.
    QString readString(const QString &section, const QString &key, const QString &defaultValue) const;
    /// The same as readString for each (key, default) pair, from one reading of the file.
    QStringList readStrings(const QString &section, const QList<QPair<QString, QString>> &keysAndDefaults) const;
    /// Decimal with an optional sign, or hexadecimal after "0x"/"0X" (more than two characters in all);
    /// anything else, or a number outside 32 bits, gives defaultValue.
    int readInteger(const QString &section, const QString &key, int defaultValue) const;
    /// Read as an integer: 0 is off, any other integer on, anything else defaultValue.
    bool readBool(const QString &section, const QString &key, bool defaultValue) const;
    /// A date in the user's short date format, optionally followed by a time; a two-digit year lands
    /// within fifty years of the current year. Text that does not parse gives defaultValue.
    QDate readDate(const QString &section, const QString &key, const QDate &defaultValue) const;

    /// Each write creates or replaces the key (a new key goes at the end of its section, a new section at the
    /// end of the file) and leaves every other line as it was. The file is replaced atomically (temporary
    /// file, then rename), so a failed or interrupted write leaves the previous file whole.
    /// Throws Failure("Unable to write to <path>") when the file cannot be written.
    void writeString(const QString &section, const QString &key, const QString &value);
    /// The same as writeString for each pair in order, with the file replaced once at the end: all of them
    /// reach the file or, on a Failure, none.
    void writeStrings(const QString &section, const QList<QPair<QString, QString>> &values);
    void writeInteger(const QString &section, const QString &key, int value);
    void writeBool(const QString &section, const QString &key, bool value);
    /// The date alone, in the user's short date format.
    void writeDate(const QString &section, const QString &key, const QDate &value);
    /// The text writeDate writes for a date (for a batch of writes through writeStrings).
    QString dateText(const QDate &value) const;

    /// The text written for a value (quoted and escaped only when it must be); exposed for tests.
    static QString encodeValue(const QString &value);
    /// The value a trimmed stored text stands for.
    static QString decodeValue(const QString &stored);
    /// Parses a date (optionally followed by a time) in the given short date and long time formats; a
    /// two-digit year lands in the fifty years either side of currentYear. Invalid QDate when it fails.
    static QDate parseDate(const QString &text, const QString &dateFormat, const QString &timeFormat, int currentYear);

private:
    QStringList readLines(QString *eol) const;
    // Index of the key's line in lines, -1 when missing; *sectionEnd (if given) receives the line after the
    // last non-blank line of the first matching section, or -1 when the section does not exist.
    static QString valueIn(const QStringList &lines, const QString &section, const QString &key,
                           const QString &defaultValue);
    /// The value stored on a key line.
    static QString valueAt(const QStringList &lines, int index);
    /// The key lines of the first section of that name, in file order: (key, line index).
    static QList<QPair<QString, int>> sectionKeys(const QStringList &lines, const QString &section);
    static int findKey(const QStringList &lines, const QString &section, const QString &key, int *sectionEnd);
    static bool applyWrite(QStringList &lines, const QString &section, const QString &key, const QString &value);
    void commit(const QStringList &lines, const QString &eol) const;

    QString m_path;
    const Clock *m_clock;
};
