// The SMTP reply reader fed the same bytes whole and in pieces: both must give the same replies or the same
// error, and no reply may break the bounds.
#include "online/SmtpReplyReader.h"

#include <cstdint>
#include <cstdlib>

namespace {

struct Result
{
    QList<SmtpReplyReader::Reply> replies;
    QString error;
};

// The replies are taken at the end only, so the bound on replies waiting to be taken is met alike both ways.
Result read(const QByteArray &bytes, qsizetype pieceSize)
{
    SmtpReplyReader reader;
    for (qsizetype at = 0; at < bytes.size(); at += pieceSize)
        if (!reader.feed(bytes.mid(at, pieceSize)))
            break;
    Result result;
    while (reader.hasReply())
        result.replies << reader.takeReply();
    result.error = reader.error();
    return result;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const Result whole = read(bytes, qMax<qsizetype>(1, bytes.size()));
    const qsizetype piece = bytes.isEmpty() ? 1 : 1 + qsizetype(uint8_t(bytes.at(0))) % 7;
    const Result split = read(bytes, piece);

    if (whole.error != split.error || whole.replies.size() != split.replies.size())
        abort();
    for (qsizetype i = 0; i < whole.replies.size(); ++i) {
        const SmtpReplyReader::Reply &a = whole.replies.at(i);
        const SmtpReplyReader::Reply &b = split.replies.at(i);
        if (a.code != b.code || a.lines != b.lines)
            abort();
        if (a.code < 0 || a.code > 999 || a.lines.isEmpty() || a.lines.size() > SmtpReplyReader::MaxLinesPerReply
            || whole.replies.size() > SmtpReplyReader::MaxPendingReplies)
            abort();
        for (const QByteArray &line : a.lines)
            if (line.size() > SmtpReplyReader::MaxLineLength)
                abort();
    }
    return 0;
}
