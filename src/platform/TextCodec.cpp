#include "platform/TextCodec.h"

#include <QRegularExpression>
#include <QStringDecoder>

#include <algorithm>
#include <cerrno>
#include <iconv.h>

namespace {

// One iconv conversion of a whole buffer. Characters the target cannot hold, or bytes the source leaves
// undefined, are replaced by `substitute` (already in the target encoding) and the conversion goes on.
QByteArray convert(const char *to, const char *from, const QByteArray &input, const QByteArray &substitute,
                   int inputUnit)
{
    iconv_t cd = iconv_open(to, from);
    // iconv_open reports failure as (iconv_t)-1.
    if (cd == reinterpret_cast<iconv_t>(-1)) // NOLINT(performance-no-int-to-ptr)
        return {};
    QByteArray out;
    out.reserve(input.size() * 2 + 16);
    char buffer[4096];
    char *in = const_cast<char *>(input.constData());
    size_t inLeft = static_cast<size_t>(input.size());
    while (inLeft > 0) {
        char *outPtr = buffer;
        size_t outLeft = sizeof buffer;
        const size_t rc = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        out.append(buffer, static_cast<qsizetype>(outPtr - buffer));
        if (rc != static_cast<size_t>(-1))
            continue;
        if (errno == E2BIG)
            continue;
        // EILSEQ or EINVAL: skip one unit of input and put the substitute in its place.
        out.append(substitute);
        const size_t skip = std::min(inLeft, static_cast<size_t>(inputUnit));
        in += skip;
        inLeft -= skip;
    }
    char *outPtr = buffer;
    size_t outLeft = sizeof buffer;
    iconv(cd, nullptr, nullptr, &outPtr, &outLeft);
    out.append(buffer, static_cast<qsizetype>(outPtr - buffer));
    iconv_close(cd);
    return out;
}

} // namespace

bool TextCodec::isValidUtf8(const QByteArray &bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(bytes);
    Q_UNUSED(text);
    return !decoder.hasError();
}

QString TextCodec::fromWindows1251(const QByteArray &bytes)
{
    return fromCodePage(1251, bytes);
}

QString TextCodec::fromCodePage(int codePage, const QByteArray &bytes)
{
    // Text that is all ASCII reads the same in every code page offered here.
    if (std::all_of(bytes.begin(), bytes.end(), [](char c) {
            return static_cast<unsigned char>(c) < 0x80;
        }))
        return QString::fromLatin1(bytes);
    QByteArray name;
    if (codePage == 10000)
        name = "MACINTOSH";
    else if (codePage == 65001)
        name = "UTF-8";
    else
        name = "CP" + QByteArray::number(codePage);
    // UTF-16LE output so each replaced byte costs one unit of input.
    const QByteArray substitute("\xFD\xFF", 2);
    QByteArray utf16 = convert("UTF-16LE", name.constData(), bytes, substitute, 1);
    if (utf16.isEmpty())
        utf16 = convert("UTF-16LE", "CP1252", bytes, substitute, 1);
    return QString(reinterpret_cast<const QChar *>(utf16.constData()), utf16.size() / 2);
}

QByteArray TextCodec::toWindows1251(const QString &text)
{
    // A character outside the basic plane is two UTF-16 units but one character: one '?' for it.
    QString bmp;
    bmp.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            bmp += QLatin1Char('?');
            ++i;
        } else {
            bmp += text.at(i);
        }
    }
    const QByteArray utf16(reinterpret_cast<const char *>(bmp.utf16()), bmp.size() * 2);
    return convert("CP1251", "UTF-16LE", utf16, QByteArray("?"), 2);
}

QString TextCodec::decodeFile(const QByteArray &bytes)
{
    if (isValidUtf8(bytes)) {
        QByteArray body = bytes;
        if (body.startsWith("\xEF\xBB\xBF"))
            body.remove(0, 3);
        return QString::fromUtf8(body);
    }
    return fromWindows1251(bytes);
}

QString TextCodec::decode(const QByteArray &bytes, const QByteArray &encodingName, bool *known)
{
    const QByteArray name = encodingName.trimmed().toUpper();
    if (known)
        *known = true;
    if (name == "UTF-8" || name == "UTF8") {
        QByteArray body = bytes;
        if (body.startsWith("\xEF\xBB\xBF"))
            body.remove(0, 3);
        return QString::fromUtf8(body);
    }
    // Names come from documents off the network: only plain encoding names reach iconv.
    static const QRegularExpression plainName(QStringLiteral("^[A-Z0-9][A-Z0-9_.:-]{0,39}$"));
    QByteArray utf16;
    if (plainName.match(QString::fromLatin1(name)).hasMatch()) {
        // iconv counts the replaced units of single-byte encodings one byte each, which is all a document
        // that declares a code page uses; multi-byte encodings that fail midway lose one byte per fault.
        utf16 = convert("UTF-16LE", name.constData(), bytes, QByteArray("\xFD\xFF", 2), 1);
    }
    if (utf16.isNull()) {
        if (known)
            *known = false;
        return {};
    }
    return QString(reinterpret_cast<const QChar *>(utf16.constData()), utf16.size() / 2);
}
