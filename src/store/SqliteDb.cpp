#include "store/SqliteDb.h"

#include <sqlite3.h>

SqliteDb::SqliteDb(const QString &path, bool create)
{
    // Never through a symbolic link: a table file is the regular file of that name in the program folder.
    const int flags
        = SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0) | SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_NOFOLLOW;
    const int rc = sqlite3_open_v2(path.toUtf8().constData(), &m_db, flags, nullptr);
    if (rc != SQLITE_OK) {
        Error e{rc, m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QString::fromUtf8(sqlite3_errstr(rc))};
        sqlite3_close(m_db);
        m_db = nullptr;
        throw e;
    }
    // A table file is shared with nobody, but a short wait beats a spurious "database is locked".
    sqlite3_busy_timeout(m_db, 1000);
    sqlite3_extended_result_codes(m_db, 1);
}

SqliteDb::~SqliteDb()
{
    sqlite3_close(m_db);
}

void SqliteDb::raise(int code) const
{
    throw Error{code, QString::fromUtf8(sqlite3_errmsg(m_db))};
}

void SqliteDb::exec(const QString &sql)
{
    char *err = nullptr;
    const int rc = sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, &err);
    if (rc != SQLITE_OK) {
        Error e{rc, err ? QString::fromUtf8(err) : QString::fromUtf8(sqlite3_errstr(rc))};
        sqlite3_free(err);
        throw e;
    }
}

qint64 SqliteDb::lastInsertRowId() const
{
    return sqlite3_last_insert_rowid(m_db);
}

SqliteDb::Statement::Statement(SqliteDb &db, const QString &sql) : m_db(db)
{
    const QByteArray utf8 = sql.toUtf8();
    const int rc = sqlite3_prepare_v2(db.m_db, utf8.constData(), int(utf8.size()), &m_stmt, nullptr);
    if (rc != SQLITE_OK)
        db.raise(rc);
}

SqliteDb::Statement::~Statement()
{
    sqlite3_finalize(m_stmt);
}

void SqliteDb::Statement::bind(int index, const QVariant &value)
{
    int rc = SQLITE_OK;
    if (value.isNull()) {
        rc = sqlite3_bind_null(m_stmt, index);
    } else {
        switch (value.typeId()) {
        case QMetaType::Bool:
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong: rc = sqlite3_bind_int64(m_stmt, index, value.toLongLong()); break;
        default: {
            const QByteArray utf8 = value.toString().toUtf8();
            rc = sqlite3_bind_text(m_stmt, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
        }
        }
    }
    if (rc != SQLITE_OK)
        m_db.raise(rc);
}

bool SqliteDb::Statement::step()
{
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    m_db.raise(rc);
}

void SqliteDb::Statement::reset()
{
    sqlite3_reset(m_stmt);
    sqlite3_clear_bindings(m_stmt);
}

int SqliteDb::Statement::columnCount() const
{
    return sqlite3_column_count(m_stmt);
}

int SqliteDb::Statement::columnType(int column) const
{
    return sqlite3_column_type(m_stmt, column);
}

bool SqliteDb::Statement::isNull(int column) const
{
    return columnType(column) == SQLITE_NULL;
}

qint64 SqliteDb::Statement::integer(int column) const
{
    return sqlite3_column_int64(m_stmt, column);
}

QString SqliteDb::Statement::text(int column) const
{
    const auto *p = reinterpret_cast<const char *>(sqlite3_column_text(m_stmt, column));
    return p ? QString::fromUtf8(p, sqlite3_column_bytes(m_stmt, column)) : QString();
}

QVariant SqliteDb::Statement::value(int column) const
{
    switch (columnType(column)) {
    case SQLITE_NULL: return {};
    case SQLITE_INTEGER: return QVariant(qint64(integer(column)));
    case SQLITE_FLOAT: return QVariant(sqlite3_column_double(m_stmt, column));
    default: return QVariant(text(column));
    }
}
