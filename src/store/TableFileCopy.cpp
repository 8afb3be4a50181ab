#include "store/TableFileCopy.h"

#include "files/SafeFile.h"
#include "platform/Failure.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <memory>
#include <sqlite3.h>

namespace {

struct Closer
{
    void operator()(sqlite3 *db) const { sqlite3_close(db); }
};
using Connection = std::unique_ptr<sqlite3, Closer>;

Failure sourceFailure(const QString &path, const QString &what)
{
    return Failure(QStringLiteral("Table file \"%1\" %2").arg(QDir::toNativeSeparators(path), what));
}

Failure unableToWrite(const QString &path)
{
    return Failure(QStringLiteral("Unable to write to %1").arg(QDir::toNativeSeparators(path)));
}

QString message(sqlite3 *db)
{
    return QString::fromUtf8(sqlite3_errmsg(db));
}

Connection openSource(const QString &path)
{
    // Only a regular file of its own is read, never what a link points at or a FIFO that would block.
    if (!SafeFile::isRegularFile(path))
        throw sourceFailure(path, QStringLiteral("is not a regular file"));
    sqlite3 *raw = nullptr;
    const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &raw, SQLITE_OPEN_READONLY, nullptr);
    Connection db(raw);
    if (rc != SQLITE_OK)
        throw sourceFailure(path, QStringLiteral("cannot be opened (%1)").arg(raw ? message(raw) : QString()));
    sqlite3_busy_timeout(raw, 2000);
    return db;
}

bool exec(sqlite3 *db, const char *sql)
{
    return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

/// The single integer a pragma returns, or -1.
qint64 pragmaInteger(sqlite3 *db, const char *sql)
{
    sqlite3_stmt *st = nullptr;
    qint64 value = -1;
    if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) == SQLITE_OK && sqlite3_step(st) == SQLITE_ROW)
        value = sqlite3_column_int64(st, 0);
    sqlite3_finalize(st);
    return value;
}

/// SQLite's integrity check: empty when sound, else its first finding.
QString integrityProblem(sqlite3 *db)
{
    sqlite3_stmt *st = nullptr;
    QString problem;
    if (sqlite3_prepare_v2(db, "PRAGMA integrity_check(1)", -1, &st, nullptr) != SQLITE_OK)
        problem = message(db);
    else if (sqlite3_step(st) != SQLITE_ROW)
        problem = message(db);
    else if (QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 0))) != QLatin1String("ok"))
        problem = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 0)));
    sqlite3_finalize(st);
    return problem;
}

/// Writes the source's pages into the file at target; returns the size the copy must have.
qint64 backupInto(sqlite3 *source, const QString &sourcePath, const QString &target, const QString &reported)
{
    sqlite3 *raw = nullptr;
    const int rc = sqlite3_open_v2(QFile::encodeName(target).constData(), &raw,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    Connection dest(raw);
    // The copy reaches the disk before the backup reports it done.
    if (rc != SQLITE_OK || !exec(dest.get(), "PRAGMA synchronous=FULL"))
        throw unableToWrite(reported);
    // One read transaction around the page count and the copy: both see the same state of the file.
    if (!exec(source, "BEGIN") || pragmaInteger(source, "SELECT count(*) FROM sqlite_master") < 0)
        throw sourceFailure(sourcePath, QStringLiteral("is not a table file (%1)").arg(message(source)));
    const qint64 expected = pragmaInteger(source, "PRAGMA page_count") * pragmaInteger(source, "PRAGMA page_size");
    if (expected <= 0) {
        exec(source, "ROLLBACK");
        throw sourceFailure(sourcePath, QStringLiteral("is empty"));
    }
    sqlite3_backup *backup = sqlite3_backup_init(dest.get(), "main", source, "main");
    if (!backup) {
        exec(source, "ROLLBACK");
        throw unableToWrite(reported);
    }
    const int stepped = sqlite3_backup_step(backup, -1);
    const int finished = sqlite3_backup_finish(backup);
    exec(source, "ROLLBACK");
    if (stepped != SQLITE_DONE || finished != SQLITE_OK)
        throw unableToWrite(reported);
    return expected;
}

} // namespace

void TableFileCopy::copy(const QString &source, const QString &target, const QString &reportedTarget)
{
    const QString reported = reportedTarget.isEmpty() ? target : reportedTarget;
    Connection src = openSource(source);
    // A problem of the source is the source's, reported as such before anything is written.
    const QString problem = integrityProblem(src.get());
    if (!problem.isEmpty())
        throw sourceFailure(source, QStringLiteral("is not a sound table file (%1)").arg(problem));
    if (SafeFile::exists(target) && !QFile::remove(target))
        throw unableToWrite(reported);
    try {
        const qint64 expected = backupInto(src.get(), source, target, reported);
        if (QFileInfo(target).size() != expected)
            throw unableToWrite(reported);
        Connection check = openSource(target);
        if (!integrityProblem(check.get()).isEmpty())
            throw unableToWrite(reported);
    } catch (...) {
        QFile::remove(target);
        QFile::remove(target + QStringLiteral("-journal"));
        throw;
    }
}

void TableFileCopy::verify(const QString &path)
{
    Connection db = openSource(path);
    const QString problem = integrityProblem(db.get());
    if (!problem.isEmpty())
        throw sourceFailure(path, QStringLiteral("is not a sound table file (%1)").arg(problem));
}
