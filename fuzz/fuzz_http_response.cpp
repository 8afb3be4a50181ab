// The HTTP response reader fed the same bytes whole and in two pieces: both must end alike, within bounds.
#include "online/HttpResponseParser.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    HttpResponseParser whole;
    whole.feed(bytes);
    whole.closed();

    HttpResponseParser split;
    const qsizetype at = bytes.isEmpty() ? 0 : qsizetype(uint8_t(bytes.at(0))) % (bytes.size() + 1);
    split.feed(bytes.left(at));
    split.feed(bytes.mid(at));
    split.closed();

    if (whole.done() != split.done() || whole.error() != split.error())
        abort();
    if (whole.done()) {
        const HttpResponse a = whole.take();
        const HttpResponse b = split.take();
        if (a.body != b.body || a.status != b.status || a.headers != b.headers)
            abort();
        if (a.body.size() > HttpResponseParser::MaxBodyBytes)
            abort();
    }
    return 0;
}
