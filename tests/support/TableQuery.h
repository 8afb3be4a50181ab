// Direct SQL on a table file, around the store: what is really in the file, and writes from "another program".
#pragma once

#include <QString>
#include <QStringList>
#include <sqlite3.h>

namespace TableQuery {

/// The rows of one query as "a|b|c" lines (NULL for a null); "<cannot open>" or "<error> ..." on failure.
inline QStringList rows(const QString &path, const QString &sql)
{
    sqlite3 *db = nullptr;
    QStringList rows;
    if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return {QStringLiteral("<cannot open>")};
    }
    sqlite3_stmt *st = nullptr;
    if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &st, nullptr) != SQLITE_OK) {
        rows << QStringLiteral("<error> ") + QString::fromUtf8(sqlite3_errmsg(db));
    } else {
        while (sqlite3_step(st) == SQLITE_ROW) {
            QStringList cols;
            for (int c = 0; c < sqlite3_column_count(st); ++c) {
                const auto *t = reinterpret_cast<const char *>(sqlite3_column_text(st, c));
                cols << (t ? QString::fromUtf8(t) : QStringLiteral("NULL"));
            }
            rows << cols.join(QLatin1Char('|'));
        }
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    return rows;
}

/// Runs statements on a connection of its own; false on any failure.
inline bool exec(const QString &path, const QString &sql)
{
    sqlite3 *db = nullptr;
    sqlite3_open(path.toUtf8().constData(), &db);
    const bool ok = sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ok;
}

} // namespace TableQuery
