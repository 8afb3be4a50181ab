// The rich-text reader fed any bytes into a document: it throws Failure or reads, never more.
#include "notes/RtfReader.h"
#include "platform/Failure.h"

#include <QGuiApplication>
#include <QTextDocument>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    QTextDocument document;
    RtfReader::isRtf(bytes);
    try {
        RtfReader::read(bytes, &document);
    } catch (const Failure &) {
        if (!document.isEmpty())
            abort();
    }
    return 0;
}
