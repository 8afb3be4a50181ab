// The settings-file reader fed any bytes as a file: keys, values, dates and a write that goes through.
#include "files/IniFile.h"
#include "platform/Failure.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdint>

namespace {

QTemporaryDir *dir()
{
    // In memory where there is such a place: every write is made durable (synced), which a disk makes slow.
    static QTemporaryDir d(QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm/veltrane-fuzz-XXXXXX")
                                                                     : QDir::tempPath() + "/veltrane-fuzz-XXXXXX");
    return &d;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString path = dir()->filePath(QStringLiteral("fuzz.ini"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        file.write(reinterpret_cast<const char *>(data), qint64(size));
    }
    try {
        IniFile ini(path);
        const QStringList sections = {QStringLiteral("Main"), QStringLiteral("Options"), QString()};
        for (const QString &section : sections) {
            // Every read parses the whole file again: a few keys per section keep the runs quick.
            for (const QString &key : ini.keys(section).mid(0, 8)) {
                const QString value = ini.readString(section, key, {});
                ini.readInteger(section, key, 0);
                ini.readBool(section, key, false);
                ini.readDate(section, key, {});
                IniFile::encodeValue(IniFile::decodeValue(value));
            }
        }
        // A written value (blanks, quotes, a line break) reads back exactly, whatever the file held around it.
        const QString written = QStringLiteral(" a\"b\nc\\ ");
        ini.writeString(QStringLiteral("Main"), QStringLiteral("FuzzKey"), written);
        if (ini.readString(QStringLiteral("Main"), QStringLiteral("FuzzKey"), {}) != written)
            abort();
    } catch (const Failure &) {}
    return 0;
}
