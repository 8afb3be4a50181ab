// Reading and replacing the program's own files without ever leaving a torn file or blocking on a special one.
#pragma once

#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>

namespace SafeFile {

/// The most any of the program's text files (settings, language files, notes) is read of.
inline constexpr qint64 DefaultReadLimit = 16 * 1024 * 1024;

/// The whole content of a regular file; std::nullopt when nothing is at path.
/// Throws Failure naming the file when something else is there (a directory, a FIFO, a device, a symbolic
/// link), when it is larger than maxBytes, or when it cannot be read. Never blocks: a FIFO is refused
/// before it is opened for reading.
std::optional<QByteArray> read(const QString &path, qint64 maxBytes = DefaultReadLimit);

/// Replaces the file at path with bytes: a temporary file beside it is written unbuffered, every write and
/// the flush to disk checked, then renamed over the old one, so a crash, a power cut or a full disk leaves
/// either the old file or the new one, never a cut one. Only a regular file (or nothing) is replaced.
/// Throws Failure("Unable to write to <path>") and leaves the old file as it was when any step fails.
void write(const QString &path, const QByteArray &bytes);

/// Makes a new file at path, never over anything there: fill writes it whole under a temporary name beside it
/// (an empty file there when fill is called), then it is flushed to disk and given its name, so a crash or a
/// power cut leaves either no file or the whole one. fill may write without flushing to disk: the one flush
/// here serves for all it wrote. The folder is not flushed: a power cut right after may lose the new name,
/// which suits the files made when missing and holding nothing of the user's yet (made again at the next
/// start). Throws what fill throws, or Failure("Unable to write to <path>") when a step here fails or
/// something has come to stand at path meanwhile; the temporary file is removed either way.
void createNew(const QString &path, const std::function<void(const QString &temporary)> &fill);
/// The same with the new file's bytes.
void createNew(const QString &path, const QByteArray &bytes);

/// Whether anything at all (a dangling symbolic link included) is at path.
bool exists(const QString &path);

/// Whether path names a regular file itself (not through a symbolic link).
bool isRegularFile(const QString &path);

} // namespace SafeFile
