// Reading and replacing the program's own files without ever leaving a torn file or blocking on a special one.
#pragma once

#include <QByteArray>
#include <QString>
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

/// Whether anything at all (a dangling symbolic link included) is at path.
bool exists(const QString &path);

/// Whether path names a regular file itself (not through a symbolic link).
bool isRegularFile(const QString &path);

} // namespace SafeFile
