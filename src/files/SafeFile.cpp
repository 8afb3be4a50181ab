#include "files/SafeFile.h"

#include "platform/Failure.h"

#include <QFile>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray nativePath(const QString &path)
{
    return QFile::encodeName(path);
}

Failure unableToWrite(const QString &path)
{
    return Failure(QStringLiteral("Unable to write to %1").arg(path));
}

// Closes a descriptor once, on every path out of a function.
class Descriptor
{
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor() { close(); }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    int get() const { return m_fd; }
    bool close()
    {
        if (m_fd < 0)
            return true;
        const int fd = m_fd;
        m_fd = -1;
        return ::close(fd) == 0;
    }

private:
    int m_fd;
};

bool writeAll(int fd, const QByteArray &bytes)
{
    const char *data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, data, static_cast<size_t>(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        left -= n;
    }
    return true;
}

// The folder holding path, so that the rename itself reaches the disk.
void syncFolderOf(const QByteArray &native)
{
    const qsizetype slash = native.lastIndexOf('/');
    const QByteArray folder = slash <= 0 ? QByteArray(slash == 0 ? "/" : ".") : native.left(slash);
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

mode_t processUmask()
{
    // Read once (umask can only be read by setting it), before the program starts any thread of its own.
    static const mode_t mask = [] {
        const mode_t m = ::umask(022);
        ::umask(m);
        return m;
    }();
    return mask;
}

} // namespace

namespace SafeFile {

bool exists(const QString &path)
{
    struct stat st = {};
    return ::lstat(nativePath(path).constData(), &st) == 0;
}

bool isRegularFile(const QString &path)
{
    struct stat st = {};
    return ::lstat(nativePath(path).constData(), &st) == 0 && S_ISREG(st.st_mode);
}

std::optional<QByteArray> read(const QString &path, qint64 maxBytes)
{
    const QByteArray native = nativePath(path);
    struct stat st = {};
    if (::lstat(native.constData(), &st) != 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return std::nullopt;
        throw Failure(QStringLiteral("Unable to read %1").arg(path));
    }
    if (!S_ISREG(st.st_mode))
        throw Failure(QStringLiteral("%1 is not a regular file").arg(path));

    // O_NONBLOCK and O_NOFOLLOW: should the name be swapped for a FIFO or a link after the check above, the
    // open neither waits for a writer nor leaves the folder.
    Descriptor fd(::open(native.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (fd.get() < 0 || ::fstat(fd.get(), &st) != 0)
        throw Failure(QStringLiteral("Unable to read %1").arg(path));
    if (!S_ISREG(st.st_mode))
        throw Failure(QStringLiteral("%1 is not a regular file").arg(path));
    if (st.st_size > maxBytes)
        throw Failure(QStringLiteral("%1 is larger than %2 bytes").arg(path).arg(maxBytes));

    QByteArray bytes;
    bytes.resize(static_cast<qsizetype>(st.st_size));
    qsizetype have = 0;
    for (;;) {
        if (have == bytes.size()) {
            // The file grew since fstat: read on in small steps, still within the limit.
            if (have >= maxBytes + 1)
                throw Failure(QStringLiteral("%1 is larger than %2 bytes").arg(path).arg(maxBytes));
            bytes.resize(std::min<qsizetype>(have + 65536, maxBytes + 1));
        }
        const ssize_t n = ::read(fd.get(), bytes.data() + have, static_cast<size_t>(bytes.size() - have));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            throw Failure(QStringLiteral("Unable to read %1").arg(path));
        if (n == 0)
            break;
        have += n;
    }
    if (have > maxBytes)
        throw Failure(QStringLiteral("%1 is larger than %2 bytes").arg(path).arg(maxBytes));
    bytes.resize(have);
    return bytes;
}

void write(const QString &path, const QByteArray &bytes)
{
    const QByteArray native = nativePath(path);
    struct stat old = {};
    const bool hadFile = ::lstat(native.constData(), &old) == 0;
    if (hadFile && !S_ISREG(old.st_mode))
        throw unableToWrite(path);

    QByteArray temporary = native + ".XXXXXX";
    Descriptor fd(::mkostemp(temporary.data(), O_CLOEXEC));
    if (fd.get() < 0)
        throw unableToWrite(path);
    // The new file keeps the permissions the user gave the old one; a new file gets the usual ones.
    const mode_t mode = hadFile ? (old.st_mode & 07777) : (0666 & ~processUmask());
    const bool written = ::fchmod(fd.get(), mode) == 0 && writeAll(fd.get(), bytes) && ::fsync(fd.get()) == 0;
    if (!fd.close() || !written || ::rename(temporary.constData(), native.constData()) != 0) {
        ::unlink(temporary.constData());
        throw unableToWrite(path);
    }
    syncFolderOf(native);
}

namespace {

// createNew's steps around the filling, which is given the new file's descriptor and temporary name.
void createNewFile(const QString &path, const std::function<void(int fd, const QString &temporary)> &fill)
{
    const QByteArray native = nativePath(path);
    QByteArray temporary = native + ".XXXXXX";
    Descriptor fd(::mkostemp(temporary.data(), O_CLOEXEC));
    if (fd.get() < 0)
        throw unableToWrite(path);
    auto removeTemporary = [&temporary] {
        ::unlink(temporary.constData());
    };
    try {
        if (::fchmod(fd.get(), 0666 & ~processUmask()) != 0)
            throw unableToWrite(path);
        fill(fd.get(), QFile::decodeName(temporary));
    } catch (...) {
        removeTemporary();
        throw;
    }
    // Never over anything: where the file system cannot rename so, a link to the new name does the same.
    const bool synced = ::fsync(fd.get()) == 0;
    bool renamed = false;
    bool linked = false;
    if (fd.close() && synced) {
        renamed = ::renameat2(AT_FDCWD, temporary.constData(), AT_FDCWD, native.constData(), RENAME_NOREPLACE) == 0;
        if (!renamed && (errno == EINVAL || errno == ENOSYS))
            linked = ::link(temporary.constData(), native.constData()) == 0;
    }
    if (!renamed)
        removeTemporary();
    if (!renamed && !linked)
        throw unableToWrite(path);
}

} // namespace

void createNew(const QString &path, const std::function<void(const QString &temporary)> &fill)
{
    createNewFile(path, [&fill](int, const QString &temporary) {
        fill(temporary);
    });
}

void createNew(const QString &path, const QByteArray &bytes)
{
    createNewFile(path, [&path, &bytes](int fd, const QString &) {
        if (!writeAll(fd, bytes))
            throw unableToWrite(path);
    });
}

} // namespace SafeFile
