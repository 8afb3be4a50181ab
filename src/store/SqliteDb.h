// A small owner of one SQLite connection and its prepared statements (the C API, closed on scope exit).
#pragma once

#include <QString>
#include <QVariant>

struct sqlite3;
struct sqlite3_stmt;

class SqliteDb
{
public:
    /// A prepared statement; finalized when it goes out of scope.
    class Statement
    {
    public:
        Statement(SqliteDb &db, const QString &sql);
        ~Statement();
        Statement(const Statement &) = delete;
        Statement &operator=(const Statement &) = delete;

        /// Binds 1-based parameter `index`: null, qint64/int/bool as INTEGER, everything else as TEXT.
        void bind(int index, const QVariant &value);
        /// Steps once; true while a row is available. Throws SqliteDb::Error on a failure.
        bool step();
        void reset();
        int columnCount() const;
        bool isNull(int column) const;
        qint64 integer(int column) const;
        QString text(int column) const;
        QVariant value(int column) const; ///< INTEGER as qint64, TEXT as QString, NULL as null
        int columnType(int column) const;

    private:
        SqliteDb &m_db;
        sqlite3_stmt *m_stmt = nullptr;
    };

    /// A failure of SQLite, with its message (the caller names the file in what the user sees).
    struct Error
    {
        int code;
        QString message;
    };

    /// Opens read-write; `create` also creates a missing file. Throws Error.
    SqliteDb(const QString &path, bool create);
    ~SqliteDb();
    SqliteDb(const SqliteDb &) = delete;
    SqliteDb &operator=(const SqliteDb &) = delete;

    /// Runs one or more statements without results. Throws Error.
    void exec(const QString &sql);
    qint64 lastInsertRowId() const;
    sqlite3 *handle() const { return m_db; }
    [[noreturn]] void raise(int code) const;

private:
    sqlite3 *m_db = nullptr;
};
