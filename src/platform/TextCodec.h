// Text conversion between the files' bytes and QString: UTF-8, with Windows-1251 for files made on Windows.
#pragma once

#include <QByteArray>
#include <QString>

class TextCodec
{
public:
    /// Whether the bytes are well-formed UTF-8 (pure ASCII is).
    static bool isValidUtf8(const QByteArray &bytes);
    /// Windows-1251 bytes to text; a byte the code page leaves undefined becomes U+FFFD.
    static QString fromWindows1251(const QByteArray &bytes);
    /// Bytes of a Windows code page (1250..1258, 874, 932, 936, 949, 950, 437, 850, 10000 for Mac Roman,
    /// 65001 for UTF-8) to text; a byte the code page leaves undefined becomes U+FFFD, and a code page this
    /// system cannot convert is read as Windows-1252.
    static QString fromCodePage(int codePage, const QByteArray &bytes);
    /// Text to Windows-1251 bytes; a character the code page cannot hold becomes '?'.
    static QByteArray toWindows1251(const QString &text);
    /// The text of a file: UTF-8 (a leading byte-order mark dropped) when the bytes are valid UTF-8,
    /// otherwise Windows-1251, so files written by the Windows version keep their Cyrillic.
    static QString decodeFile(const QByteArray &bytes);
    /// Bytes in the named encoding ("windows-1252", "UTF-8", "ISO-8859-1", ...; letter case ignored) to text; a
    /// byte the encoding leaves undefined becomes U+FFFD. Empty text and `known` false when the name is not one
    /// this system can convert.
    static QString decode(const QByteArray &bytes, const QByteArray &encodingName, bool *known = nullptr);
};
