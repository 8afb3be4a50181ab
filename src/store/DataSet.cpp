#include "store/DataSet.h"

#include "files/SafeFile.h"
#include "platform/Failure.h"
#include "store/SqliteDb.h"

#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <functional>
#include <optional>

#include <sqlite3.h>

#include <algorithm>

namespace {

/// The size n of a column type "CHAR(n)" or "VARCHAR(n)" (given upper case and trimmed; white space allowed
/// around the brackets and the number, which is unsigned decimal digits); nothing for any other type. A size
/// past int reads as 0. Plain string code: no regular expression engine is woken at every start for it.
std::optional<int> charColumnSize(QStringView type)
{
    auto skipSpaces = [&type] {
        while (!type.isEmpty() && type.front().isSpace())
            type = type.mid(1);
    };
    if (type.startsWith(u"VAR"))
        type = type.mid(3);
    if (!type.startsWith(u"CHAR"))
        return std::nullopt;
    type = type.mid(4);
    skipSpaces();
    if (!type.startsWith(u'('))
        return std::nullopt;
    type = type.mid(1);
    skipSpaces();
    qsizetype digits = 0;
    while (digits < type.size() && type[digits].isDigit())
        ++digits;
    if (digits == 0)
        return std::nullopt;
    const QStringView number = type.first(digits);
    type = type.mid(digits);
    skipSpaces();
    if (type != u")")
        return std::nullopt;
    return number.toString().toInt();
}

QString quoted(const QString &identifier)
{
    QString s = identifier;
    s.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + s + QLatin1Char('"');
}

// Every write to a table file goes through a journal beside it and reaches the disk before it counts.
const QLatin1String kDurableWrites("PRAGMA journal_mode=DELETE; PRAGMA synchronous=FULL;");

// Marks the primary option inside an index's CREATE statement; SQLite keeps the statement text as written.
const QLatin1String kPrimaryMark("/*primary*/");

QString declaredType(const FieldDef &f)
{
    switch (f.type) {
    case FieldType::String: return QStringLiteral("VARCHAR(%1)").arg(f.size);
    case FieldType::Integer: return QStringLiteral("INTEGER");
    case FieldType::AutoInc: return QStringLiteral("INTEGER PRIMARY KEY AUTOINCREMENT");
    case FieldType::Boolean: return QStringLiteral("BOOLEAN");
    case FieldType::Date: return QStringLiteral("DATE");
    case FieldType::Time: return QStringLiteral("TIME");
    case FieldType::Memo: return QStringLiteral("TEXT");
    }
    return {};
}

QTime wholeSeconds(const QTime &t)
{
    return t.isValid() ? QTime(t.hour(), t.minute(), t.second()) : QTime();
}

} // namespace

DataSet::DataSet(QObject *parent) : QObject(parent) {}

DataSet::~DataSet()
{
    try {
        close();
    } catch (const std::exception &e) {
        qWarning("DataSet: closing %s failed: %s", qPrintable(m_fileName), e.what());
    }
}

// ---------------------------------------------------------------------------------------------------------
// definitions

void DataSet::clearFieldDefs()
{
    m_fieldDefs.clear();
}

void DataSet::addFieldDef(const QString &name, FieldType type, int size)
{
    m_fieldDefs.append(FieldDef{name, type, type == FieldType::String ? size : 0});
}

QList<FieldDef> DataSet::fieldDefs() const
{
    return isActive() ? m_fields : m_fieldDefs;
}

void DataSet::clearIndexDefs()
{
    m_indexDefs.clear();
}

void DataSet::addIndexDef(const QString &name, const QString &fields, IndexOptions options)
{
    for (IndexDef &d : m_indexDefs) {
        if (d.name.compare(name, Qt::CaseInsensitive) == 0) {
            d = IndexDef{name, fields, options};
            return;
        }
    }
    m_indexDefs.append(IndexDef{name, fields, options});
    if (isActive()) {
        bool known = false;
        for (const IndexDef &d : std::as_const(m_indexes))
            known = known || d.name.compare(name, Qt::CaseInsensitive) == 0;
        if (!known)
            m_indexes.append(IndexDef{name, fields, options});
    }
}

QList<IndexDef> DataSet::indexDefs() const
{
    return isActive() ? m_indexes : m_indexDefs;
}

// ---------------------------------------------------------------------------------------------------------
// file and mode

void DataSet::setFileName(const QString &path)
{
    m_fileName = path;
}

QString DataSet::fileName() const
{
    return m_fileName;
}

QString DataSet::tableName() const
{
    return QFileInfo(m_fileName).completeBaseName();
}

void DataSet::setSaveMode(SaveMode mode)
{
    m_saveMode = mode;
}

SaveMode DataSet::saveMode() const
{
    return m_saveMode;
}

void DataSet::fail(const QString &what) const
{
    if (m_fileName.isEmpty())
        throw Failure(what);
    throw Failure(QStringLiteral("Table file \"%1\" %2").arg(QDir::toNativeSeparators(m_fileName), what));
}

void DataSet::requireRegularFile(const QString &whenMissing) const
{
    // A FIFO would hang the open and a directory is no table: only a regular file is opened, never through a
    // link. Nothing there and something else there are different failures and are told apart.
    if (!SafeFile::exists(m_fileName))
        fail(whenMissing);
    if (!SafeFile::isRegularFile(m_fileName))
        fail(QStringLiteral("is not a regular file; it is left as it is"));
}

void DataSet::openDb(bool create)
{
    try {
        m_db = std::make_unique<SqliteDb>(m_fileName, create);
    } catch (const SqliteDb::Error &e) {
        fail(QStringLiteral("cannot be opened (%1)").arg(e.message));
    }
}

void DataSet::createDataSet()
{
    if (isActive())
        close();
    if (m_fieldDefs.isEmpty())
        fail(QStringLiteral("has no fields defined"));
    for (const IndexDef &d : std::as_const(m_indexDefs))
        for (const QString &f : d.fieldList()) {
            bool known = false;
            for (const FieldDef &def : std::as_const(m_fieldDefs))
                known = known || def.name.compare(f, Qt::CaseInsensitive) == 0;
            if (!known)
                fail(QStringLiteral("has an index \"%1\" naming the unknown field \"%2\"").arg(d.name, f));
        }
    emit aboutToReset();
    m_fields = m_fieldDefs;
    m_indexes = m_indexDefs;
    m_autoIncColumn = -1;
    for (int i = 0; i < m_fields.size(); ++i)
        if (m_fields[i].type == FieldType::AutoInc)
            m_autoIncColumn = i;
    m_rows.clear();
    m_lastAutoInc = 0;
    m_lastRowid = 0;
    m_cur = -1;
    m_eof = m_bof = true;
    m_dirty = false;
    m_modified = false;
    try {
        computeSort(); // an unknown index name or field list is refused before any file is made
        if (!m_fileName.isEmpty()) {
            createFile();
            // A table written through stays open for its rows; the other is opened for the write at close.
            if (m_saveMode == SaveMode::WriteThrough)
                openForWrites();
        }
    } catch (...) {
        m_db.reset();
        m_fields.clear();
        m_indexes.clear();
        m_autoIncColumn = -1;
        emit resetDone();
        throw;
    }
    setState(State::Browse);
    emit resetDone();
}

void DataSet::createFile()
{
    // Creating must never replace a table the user already has, nor follow a dangling link out of the folder.
    if (SafeFile::exists(m_fileName))
        fail(QStringLiteral("already exists; it is not replaced by an empty table"));
    QStringList columns;
    for (const FieldDef &f : std::as_const(m_fields))
        columns << quoted(f.name) + QLatin1Char(' ') + declaredType(f);
    // Made whole under a temporary name, then given its own: no journal is needed, and one flush to disk
    // serves where a journal takes four. A crash leaves no table or a whole one, never a file of that name
    // that is not a table.
    QString sql = QStringLiteral("PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; BEGIN IMMEDIATE;"
                                 " CREATE TABLE %1 (%2);")
                      .arg(quoted(tableName()), columns.join(QLatin1String(", ")));
    for (const IndexDef &d : std::as_const(m_indexes)) {
        QStringList keys;
        for (const QString &f : d.fieldList()) {
            QString key = quoted(m_fields[fieldIndex(f)].name);
            if (d.options & IndexOption::CaseInsensitive)
                key += QLatin1String(" COLLATE NOCASE");
            if (d.options & IndexOption::Descending)
                key += QLatin1String(" DESC");
            keys << key;
        }
        sql += QStringLiteral(" CREATE INDEX %1 ON %2 %3(%4);")
                   .arg(quoted(d.name), quoted(tableName()),
                        (d.options & IndexOption::Primary) ? kPrimaryMark + QLatin1Char(' ') : QString(),
                        keys.join(QLatin1String(", ")));
    }
    sql += QLatin1String(" COMMIT;");
    try {
        SafeFile::createNew(m_fileName, [&sql](const QString &temporary) {
            SqliteDb(temporary, false).exec(sql);
        });
    } catch (const SqliteDb::Error &e) {
        fail(QStringLiteral("cannot be created (%1)").arg(e.message));
    } catch (const Failure &f) {
        fail(QStringLiteral("cannot be created (%1)").arg(f.text()));
    }
}

void DataSet::openForWrites()
{
    openDb(false);
    try {
        m_db->exec(kDurableWrites);
    } catch (const SqliteDb::Error &e) {
        m_db.reset();
        fail(QStringLiteral("cannot be opened (%1)").arg(e.message));
    }
}

void DataSet::open()
{
    if (isActive())
        return;
    if (m_fileName.isEmpty())
        throw Failure(QStringLiteral("The table has no file name"));
    requireRegularFile(QStringLiteral("does not exist"));
    openDb(false);
    // Views learn of the new structure and rows only at resetDone(); until then they must not read.
    emit aboutToReset();
    try {
        readStructure();
        for (const QString &name : std::as_const(m_requiredFields)) {
            if (fieldIndex(name) < 0)
                fail(QStringLiteral("lacks the field \"%1\"; it is left as it is").arg(name));
        }
        // Only now, with the file known to be a table file, may anything be written to it.
        m_db->exec(kDurableWrites);
        loadFromDb();
        computeSort();
    } catch (const SqliteDb::Error &e) {
        m_db.reset();
        m_fields.clear();
        m_indexes.clear();
        m_rows.clear();
        emit resetDone();
        const int primary = e.code & 0xff;
        if (primary == SQLITE_NOTADB || primary == SQLITE_CORRUPT)
            fail(QStringLiteral("is not a table file (%1)").arg(e.message));
        fail(QStringLiteral("cannot be read (%1)").arg(e.message));
    } catch (...) {
        m_db.reset();
        m_fields.clear();
        m_indexes.clear();
        m_rows.clear();
        emit resetDone();
        throw;
    }
    std::stable_sort(m_rows.begin(), m_rows.end(), [this](const Record &a, const Record &b) {
        return lessThan(a, b);
    });
    m_cur = m_rows.isEmpty() ? -1 : 0;
    m_bof = true;
    m_eof = m_rows.isEmpty();
    m_dirty = false;
    m_modified = false;
    if (m_saveMode == SaveMode::OnClose)
        m_db.reset(); // reopened for the write at close
    setState(State::Browse);
    emit resetDone();
    if (!m_rows.isEmpty())
        emit afterScroll();
}

void DataSet::readStructure()
{
    {
        SqliteDb::Statement st(
            *m_db, QStringLiteral("SELECT name FROM sqlite_master WHERE type='table' AND name=?1 COLLATE NOCASE"));
        st.bind(1, tableName());
        if (!st.step())
            fail(QStringLiteral("is not a table file (it holds no table \"%1\")").arg(tableName()));
    }
    QList<FieldDef> fields;
    int autoInc = -1;
    {
        SqliteDb::Statement st(*m_db, QStringLiteral("PRAGMA table_info(%1)").arg(quoted(tableName())));
        while (st.step()) {
            FieldDef f;
            f.name = st.text(1);
            const QString type = st.text(2).trimmed().toUpper();
            const bool pk = st.integer(5) != 0;
            if (const std::optional<int> size = charColumnSize(type)) {
                f.type = FieldType::String;
                f.size = *size;
            } else if (type == QLatin1String("INTEGER") && pk) {
                f.type = FieldType::AutoInc;
                autoInc = int(fields.size());
            } else if (type.contains(QLatin1String("INT"))) {
                f.type = FieldType::Integer;
            } else if (type == QLatin1String("BOOLEAN") || type == QLatin1String("BOOL")) {
                f.type = FieldType::Boolean;
            } else if (type == QLatin1String("DATE")) {
                f.type = FieldType::Date;
            } else if (type == QLatin1String("TIME")) {
                f.type = FieldType::Time;
            } else if (type == QLatin1String("TEXT") || type == QLatin1String("CLOB") || type.isEmpty()) {
                f.type = FieldType::Memo;
            } else {
                fail(QStringLiteral("is not a table file (column \"%1\" has the unknown type \"%2\")")
                         .arg(f.name, st.text(2)));
            }
            fields.append(f);
        }
    }
    if (fields.isEmpty())
        fail(QStringLiteral("is not a table file (table \"%1\" has no columns)").arg(tableName()));

    QList<IndexDef> indexes;
    {
        SqliteDb::Statement st(
            *m_db,
            QStringLiteral("SELECT name, sql FROM sqlite_master WHERE type='index' AND tbl_name=?1 COLLATE NOCASE "
                           "AND sql IS NOT NULL ORDER BY rowid"));
        st.bind(1, tableName());
        while (st.step()) {
            IndexDef d;
            d.name = st.text(0);
            const QString sql = st.text(1);
            if (sql.contains(kPrimaryMark))
                d.options |= IndexOption::Primary;
            SqliteDb::Statement info(*m_db, QStringLiteral("PRAGMA index_xinfo(%1)").arg(quoted(d.name)));
            QStringList names;
            bool desc = false;
            bool nocase = false;
            while (info.step()) {
                if (info.integer(5) == 0)
                    continue; // the rowid tail every SQLite index carries
                if (info.isNull(2))
                    continue; // an expression: not one of ours, and not a field
                names << info.text(2);
                desc = desc || info.integer(3) != 0;
                nocase = nocase || info.text(4).compare(QLatin1String("NOCASE"), Qt::CaseInsensitive) == 0;
            }
            if (desc)
                d.options |= IndexOption::Descending;
            if (nocase)
                d.options |= IndexOption::CaseInsensitive;
            d.fields = names.join(QLatin1String("; "));
            if (!names.isEmpty())
                indexes.append(d);
        }
    }
    // The file's structure wins; indexes defined on the data set but missing from the file are kept too.
    for (const IndexDef &d : std::as_const(m_indexDefs)) {
        bool known = false;
        for (const IndexDef &f : std::as_const(indexes))
            known = known || f.name.compare(d.name, Qt::CaseInsensitive) == 0;
        if (!known)
            indexes.append(d);
    }

    qint64 seq = 0;
    {
        SqliteDb::Statement st(
            *m_db, QStringLiteral("SELECT name FROM sqlite_master WHERE type='table' AND name='sqlite_sequence'"));
        if (st.step()) {
            SqliteDb::Statement q(*m_db, QStringLiteral("SELECT seq FROM sqlite_sequence WHERE name=?1"));
            q.bind(1, tableName());
            if (q.step())
                seq = q.integer(0);
        }
    }
    m_fields = fields;
    m_indexes = indexes;
    m_autoIncColumn = autoInc;
    m_lastAutoInc = seq;
}

QString DataSet::columnList() const
{
    QStringList names;
    for (const FieldDef &f : std::as_const(m_fields))
        names << quoted(f.name);
    return names.join(QLatin1String(", "));
}

void DataSet::loadFromDb()
{
    m_rows.clear();
    m_lastRowid = 0;
    SqliteDb::Statement st(
        *m_db, QStringLiteral("SELECT rowid, %1 FROM %2 ORDER BY rowid").arg(columnList(), quoted(tableName())));
    while (st.step()) {
        Record r = newRecord();
        r.rowid = st.integer(0);
        for (int c = 0; c < m_fields.size(); ++c)
            r.values[c] = fromStorage(c, st.value(c + 1));
        m_lastRowid = std::max(m_lastRowid, r.rowid);
        if (m_autoIncColumn >= 0)
            m_lastAutoInc = std::max(m_lastAutoInc, r.values[m_autoIncColumn].toLongLong());
        m_rows.append(r);
    }
}

QVariant DataSet::fromStorage(int column, const QVariant &raw) const
{
    if (raw.isNull())
        return {};
    switch (m_fields[column].type) {
    case FieldType::String:
    case FieldType::Memo: return raw.toString();
    case FieldType::Integer:
    case FieldType::AutoInc: {
        bool ok = false;
        const qint64 v = raw.toLongLong(&ok);
        return ok ? QVariant(v) : QVariant();
    }
    case FieldType::Boolean: {
        if (raw.typeId() == QMetaType::QString) {
            const QString s = raw.toString().trimmed();
            return QVariant(s.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0 || s == QLatin1String("1"));
        }
        return QVariant(raw.toLongLong() != 0);
    }
    case FieldType::Date: {
        const QDate d = QDate::fromString(raw.toString(), Qt::ISODate);
        return d.isValid() ? QVariant(d) : QVariant();
    }
    case FieldType::Time: {
        QTime t = QTime::fromString(raw.toString(), QStringLiteral("HH:mm:ss"));
        if (!t.isValid())
            t = QTime::fromString(raw.toString(), QStringLiteral("HH:mm"));
        return t.isValid() ? QVariant(t) : QVariant();
    }
    }
    return {};
}

QVariant DataSet::toStorage(int column, const QVariant &v) const
{
    if (v.isNull())
        return {};
    switch (m_fields[column].type) {
    case FieldType::String:
    case FieldType::Memo: return v.toString();
    case FieldType::Integer:
    case FieldType::AutoInc: return QVariant(v.toLongLong());
    case FieldType::Boolean: return QVariant(qint64(v.toBool() ? 1 : 0));
    case FieldType::Date: return v.toDate().toString(QStringLiteral("yyyy-MM-dd"));
    case FieldType::Time: return v.toTime().toString(QStringLiteral("HH:mm:ss"));
    }
    return {};
}

void DataSet::close()
{
    if (!isActive())
        return;
    if (m_state == State::Edit || m_state == State::Insert)
        restoreEditQuietly();
    if (m_saveMode == SaveMode::OnClose && m_dirty && !m_fileName.isEmpty())
        writeAll();
    if (m_batchDepth > 0 && m_db) {
        // A batch left open at close is not committed behind the caller's back.
        try {
            m_db->exec(QStringLiteral("ROLLBACK"));
        } catch (const SqliteDb::Error &) {}
        m_batchDepth = 0;
    }
    emit aboutToReset();
    m_db.reset();
    m_rows.clear();
    m_fields.clear();
    m_indexes.clear();
    m_sortColumns.clear();
    m_cur = -1;
    m_eof = m_bof = true;
    m_dirty = false;
    m_autoIncColumn = -1;
    setState(State::Inactive);
    emit resetDone();
}

bool DataSet::isActive() const
{
    return m_state != State::Inactive;
}

void DataSet::saveToFile()
{
    requireActive();
    if (m_fileName.isEmpty())
        throw Failure(QStringLiteral("The table has no file name"));
    // A write-through table's file is already current after each change (or inside a batch, at commit).
    if (m_saveMode == SaveMode::OnClose) {
        writeAll();
        m_dirty = false;
    }
}

void DataSet::writeAll()
{
    std::unique_ptr<SqliteDb> db;
    try {
        // Never created here: a table file that has gone away meanwhile is reported, not silently remade.
        requireRegularFile(QStringLiteral("does not exist any more"));
        db = std::make_unique<SqliteDb>(m_fileName, false);
        db->exec(kDurableWrites + QStringLiteral(" BEGIN IMMEDIATE;"));
        try {
            db->exec(QStringLiteral("DELETE FROM %1").arg(quoted(tableName())));
            QStringList marks;
            for (int c = 0; c < m_fields.size(); ++c)
                marks << QStringLiteral("?%1").arg(c + 2);
            const bool explicitRowid = m_autoIncColumn < 0;
            SqliteDb::Statement ins(
                *db, QStringLiteral("INSERT INTO %1 (%2%3) VALUES (%4%5)")
                         .arg(quoted(tableName()), explicitRowid ? QStringLiteral("rowid, ") : QString(), columnList(),
                              explicitRowid ? QStringLiteral("?1, ") : QString(), marks.join(QLatin1String(", "))));
            for (const Record &r : std::as_const(m_rows)) {
                if (r.rowid == 0)
                    continue; // a record being inserted is not stored before it is posted
                ins.reset();
                if (explicitRowid)
                    ins.bind(1, QVariant(r.rowid));
                for (int c = 0; c < m_fields.size(); ++c)
                    ins.bind(c + 2, toStorage(c, r.values[c]));
                ins.step();
            }
            if (m_autoIncColumn >= 0) {
                SqliteDb::Statement upd(
                    *db, QStringLiteral("UPDATE sqlite_sequence SET seq = max(seq, ?1) WHERE name = ?2"));
                upd.bind(1, QVariant(m_lastAutoInc));
                upd.bind(2, tableName());
                upd.step();
                SqliteDb::Statement add(
                    *db, QStringLiteral("INSERT INTO sqlite_sequence(name, seq) SELECT ?2, ?1 "
                                        "WHERE NOT EXISTS (SELECT 1 FROM sqlite_sequence WHERE name = ?2)"));
                add.bind(1, QVariant(m_lastAutoInc));
                add.bind(2, tableName());
                add.step();
            }
            db->exec(QStringLiteral("COMMIT"));
        } catch (const SqliteDb::Error &) {
            try {
                db->exec(QStringLiteral("ROLLBACK"));
            } catch (const SqliteDb::Error &) {}
            throw;
        }
    } catch (const SqliteDb::Error &e) {
        fail(QStringLiteral("cannot be written (%1)").arg(e.message));
    }
}

void DataSet::writeInTransaction(const std::function<void()> &work)
{
    // Inside a batch the batch owns the transaction; otherwise each change is its own transaction.
    const bool own = m_batchDepth == 0;
    try {
        if (own)
            m_db->exec(QStringLiteral("BEGIN IMMEDIATE"));
        try {
            work();
            if (own)
                m_db->exec(QStringLiteral("COMMIT"));
        } catch (const SqliteDb::Error &) {
            if (own) {
                try {
                    m_db->exec(QStringLiteral("ROLLBACK"));
                } catch (const SqliteDb::Error &) {}
            }
            throw;
        }
    } catch (const SqliteDb::Error &e) {
        fail(QStringLiteral("cannot be written (%1)").arg(e.message));
    }
}

void DataSet::writeRecord(Record &rec, bool isNew)
{
    writeInTransaction([&] {
        if (isNew) {
            QStringList marks;
            for (int c = 0; c < m_fields.size(); ++c)
                marks << QStringLiteral("?%1").arg(c + 1);
            SqliteDb::Statement st(*m_db, QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                              .arg(quoted(tableName()), columnList(), marks.join(QLatin1String(", "))));
            for (int c = 0; c < m_fields.size(); ++c)
                st.bind(c + 1, toStorage(c, rec.values[c]));
            st.step();
            rec.rowid = m_db->lastInsertRowId();
        } else {
            QStringList sets;
            for (int c = 0; c < m_fields.size(); ++c)
                sets << QStringLiteral("%1 = ?%2").arg(quoted(m_fields[c].name)).arg(c + 2);
            SqliteDb::Statement st(*m_db, QStringLiteral("UPDATE %1 SET %2 WHERE rowid = ?1")
                                              .arg(quoted(tableName()), sets.join(QLatin1String(", "))));
            st.bind(1, QVariant(rec.rowid));
            for (int c = 0; c < m_fields.size(); ++c)
                st.bind(c + 2, toStorage(c, rec.values[c]));
            st.step();
        }
    });
}

void DataSet::deleteFromFile(const Record &rec)
{
    writeInTransaction([&] {
        SqliteDb::Statement st(*m_db, QStringLiteral("DELETE FROM %1 WHERE rowid = ?1").arg(quoted(tableName())));
        st.bind(1, QVariant(rec.rowid));
        st.step();
    });
}

// ---------------------------------------------------------------------------------------------------------
// browsing order

void DataSet::setIndexName(const QString &name)
{
    setOrder(name, QString());
}

QString DataSet::indexName() const
{
    return m_indexName;
}

void DataSet::setIndexFieldNames(const QString &fields)
{
    setOrder(QString(), fields);
}

void DataSet::setOrder(const QString &indexName, const QString &fieldNames)
{
    const QString oldName = m_indexName;
    const QString oldFields = m_indexFieldNames;
    m_indexName = indexName;
    m_indexFieldNames = fieldNames;
    if (!isActive())
        return;
    try {
        computeSort();
    } catch (...) {
        m_indexName = oldName;
        m_indexFieldNames = oldFields;
        computeSort();
        throw;
    }
    resort(m_cur);
}

QString DataSet::indexFieldNames() const
{
    return m_indexFieldNames;
}

void DataSet::computeSort()
{
    QList<int> columns;
    bool desc = false;
    bool nocase = false;
    QStringList names;
    if (!m_indexName.isEmpty()) {
        const IndexDef *found = nullptr;
        for (const IndexDef &d : std::as_const(m_indexes))
            if (d.name.compare(m_indexName, Qt::CaseInsensitive) == 0)
                found = &d;
        if (!found)
            fail(QStringLiteral("has no index \"%1\"").arg(m_indexName));
        names = found->fieldList();
        desc = found->options.testFlag(IndexOption::Descending);
        nocase = found->options.testFlag(IndexOption::CaseInsensitive);
    } else if (!m_indexFieldNames.isEmpty()) {
        names = IndexDef{QString(), m_indexFieldNames, {}}.fieldList();
        // Names in a list of people read best without regard to letter case.
        nocase = true;
    }
    for (const QString &n : std::as_const(names)) {
        const int c = fieldIndex(n);
        if (c < 0)
            fail(QStringLiteral("has no field \"%1\" to order by").arg(n));
        columns << c;
    }
    m_sortColumns = columns;
    m_sortDescending = desc;
    m_sortCaseInsensitive = nocase;
}

int DataSet::compareValues(int column, const QVariant &a, const QVariant &b, bool caseInsensitive) const
{
    if (a.isNull() || b.isNull())
        return a.isNull() == b.isNull() ? 0 : (a.isNull() ? -1 : 1);
    switch (m_fields[column].type) {
    case FieldType::String:
    case FieldType::Memo: {
        const QString sa = a.toString();
        const QString sb = b.toString();
        const int c = sa.compare(sb, caseInsensitive ? Qt::CaseInsensitive : Qt::CaseSensitive);
        return c < 0 ? -1 : (c > 0 ? 1 : 0);
    }
    case FieldType::Integer:
    case FieldType::AutoInc: {
        const qint64 x = a.toLongLong(), y = b.toLongLong();
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    case FieldType::Boolean: return int(a.toBool()) - int(b.toBool());
    case FieldType::Date: {
        const QDate x = a.toDate(), y = b.toDate();
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    case FieldType::Time: {
        const QTime x = a.toTime(), y = b.toTime();
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    }
    return 0;
}

bool DataSet::lessThan(const Record &a, const Record &b) const
{
    for (int c : m_sortColumns) {
        int r = compareValues(c, a.values[c], b.values[c], m_sortCaseInsensitive);
        if (m_sortDescending)
            r = -r;
        if (r != 0)
            return r < 0;
    }
    return false;
}

void DataSet::resort(int keepRow)
{
    const quint64 key = (keepRow >= 0 && keepRow < m_rows.size()) ? m_rows[keepRow].key : 0;
    emit aboutToReset();
    if (m_sortColumns.isEmpty())
        std::stable_sort(m_rows.begin(), m_rows.end(), [](const Record &a, const Record &b) {
            return a.rowid < b.rowid;
        });
    else
        std::stable_sort(m_rows.begin(), m_rows.end(), [this](const Record &a, const Record &b) {
            return lessThan(a, b);
        });
    if (key)
        m_cur = rowOfKey(key);
    emit resetDone();
}

int DataSet::sortedPosition(int row) const
{
    // Where the record of `row` belongs among the others: after every record that does not sort after it.
    const Record &rec = m_rows[row];
    const int others = int(m_rows.size()) - 1;
    int lo = 0, hi = others;
    while (lo < hi) {
        const int mid = (lo + hi) / 2;
        const Record &o = m_rows[mid < row ? mid : mid + 1];
        if (lessThan(rec, o))
            hi = mid;
        else
            lo = mid + 1;
    }
    return lo;
}

void DataSet::placeAfterPost(int row)
{
    if (m_sortColumns.isEmpty())
        return; // without an order a record stays where it was inserted
    const int target = sortedPosition(row);
    if (target == row)
        return;
    emit rowAboutToBeMoved(row, target > row ? target + 1 : target);
    m_rows.move(row, target);
    m_cur = target;
    emit rowMoved(row, target);
}

// ---------------------------------------------------------------------------------------------------------
// cursor

DataSet::Record DataSet::newRecord()
{
    Record r;
    r.key = ++m_lastKey;
    r.values.resize(m_fields.size());
    return r;
}

int DataSet::rowOfKey(quint64 key) const
{
    for (int i = 0; i < m_rows.size(); ++i)
        if (m_rows[i].key == key)
            return i;
    return -1;
}

void DataSet::requireActive() const
{
    if (!isActive())
        throw Failure(QStringLiteral("Cannot perform this operation on a closed table \"%1\"").arg(tableName()));
}

void DataSet::requireCursorRecord(const char *what) const
{
    requireActive();
    if (m_cur < 0 || m_cur >= m_rows.size())
        throw Failure(QStringLiteral("Cannot %1 on an empty table \"%2\"").arg(QLatin1String(what), tableName()));
}

void DataSet::checkBrowseMode()
{
    if (m_state == State::Edit || m_state == State::Insert) {
        if (m_modified)
            post();
        else
            cancel();
    }
}

void DataSet::setState(State s)
{
    if (m_state == s)
        return;
    m_state = s;
    emit stateChanged(s);
}

void DataSet::scrolled()
{
    emit afterScroll();
}

void DataSet::first()
{
    requireActive();
    checkBrowseMode();
    m_cur = m_rows.isEmpty() ? -1 : 0;
    m_bof = true;
    m_eof = m_rows.isEmpty();
    scrolled();
}

void DataSet::last()
{
    requireActive();
    checkBrowseMode();
    m_cur = int(m_rows.size()) - 1;
    m_eof = true;
    m_bof = m_rows.isEmpty();
    scrolled();
}

void DataSet::next()
{
    requireActive();
    checkBrowseMode();
    if (m_cur < 0 || m_cur + 1 >= m_rows.size()) {
        m_eof = true;
        return;
    }
    ++m_cur;
    m_eof = m_bof = false;
    scrolled();
}

void DataSet::prior()
{
    requireActive();
    checkBrowseMode();
    if (m_cur <= 0) {
        m_bof = true;
        return;
    }
    --m_cur;
    m_eof = m_bof = false;
    scrolled();
}

bool DataSet::eof() const
{
    return m_eof;
}

bool DataSet::bof() const
{
    return m_bof;
}

bool DataSet::isEmpty() const
{
    return m_rows.isEmpty();
}

int DataSet::recordCount() const
{
    return int(m_rows.size()) - (m_state == State::Insert ? 1 : 0);
}

int DataSet::rowCount() const
{
    return int(m_rows.size());
}

int DataSet::currentRow() const
{
    return m_cur;
}

void DataSet::moveTo(int row)
{
    requireActive();
    if (row < 0 || row >= m_rows.size())
        return;
    if (row == m_cur && m_state == State::Browse)
        return;
    const quint64 key = m_rows[row].key;
    checkBrowseMode();
    const int target = rowOfKey(key);
    if (target < 0)
        return; // the row was the record being inserted, and it was cancelled
    m_cur = target;
    m_eof = m_bof = false;
    scrolled();
}

bool DataSet::locate(qint64 id)
{
    return locate(QStringLiteral("id"), QVariant(id));
}

bool DataSet::locate(const QString &fieldName, const QVariant &value)
{
    requireActive();
    const int c = fieldIndex(fieldName);
    if (c < 0)
        fail(QStringLiteral("has no field \"%1\"").arg(fieldName));
    checkBrowseMode();
    QVariant wanted;
    try {
        wanted = convertIn(c, value);
    } catch (const Failure &) {
        return false; // a value the field cannot hold is held by no record
    }
    for (int i = 0; i < m_rows.size(); ++i) {
        if (compareValues(c, m_rows[i].values[c], wanted, false) == 0) {
            m_cur = i;
            m_eof = m_bof = false;
            scrolled();
            return true;
        }
    }
    return false;
}

// ---------------------------------------------------------------------------------------------------------
// fields

int DataSet::fieldCount() const
{
    return int(m_fields.size());
}

int DataSet::fieldIndex(const QString &name) const
{
    for (int i = 0; i < m_fields.size(); ++i)
        if (m_fields[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

FieldDef DataSet::fieldDef(int index) const
{
    return (index >= 0 && index < m_fields.size()) ? m_fields[index] : FieldDef{};
}

Field DataSet::fieldByName(const QString &name)
{
    const int c = fieldIndex(name);
    if (c < 0)
        throw Failure(m_fileName.isEmpty()
                          ? QStringLiteral("Field \"%1\" not found in table \"%2\"").arg(name, tableName())
                          : QStringLiteral("Field \"%1\" not found in table file \"%2\"")
                                .arg(name, QDir::toNativeSeparators(m_fileName)));
    return Field(this, c);
}

Field DataSet::field(int index)
{
    if (index < 0 || index >= m_fields.size())
        throw Failure(QStringLiteral("Field %1 not found in table \"%2\"").arg(index).arg(tableName()));
    return Field(this, index);
}

QVariant DataSet::valueAt(int row, int column) const
{
    if (row < 0 || row >= m_rows.size() || column < 0 || column >= m_fields.size())
        return {};
    return m_rows[row].values[column];
}

QVariant DataSet::value(int column) const
{
    return valueAt(m_cur, column);
}

QVariant DataSet::convertIn(int column, const QVariant &v) const
{
    const FieldDef &f = m_fields[column];
    if (!v.isValid() || v.isNull())
        return {};
    auto bad = [&]() {
        return Failure(QStringLiteral("\"%1\" is not a valid value for field \"%2\"").arg(v.toString(), f.name));
    };
    switch (f.type) {
    case FieldType::String:
    case FieldType::Memo: {
        QString s = v.typeId() == QMetaType::Bool    ? (v.toBool() ? QStringLiteral("True") : QStringLiteral("False"))
                    : v.typeId() == QMetaType::QDate ? v.toDate().toString(Qt::ISODate)
                    : v.typeId() == QMetaType::QTime ? v.toTime().toString(QStringLiteral("HH:mm:ss"))
                                                     : v.toString();
        if (f.type == FieldType::String && f.size > 0 && s.size() > f.size)
            s.truncate(f.size);
        return s.isEmpty() ? QVariant() : QVariant(s);
    }
    case FieldType::Integer:
    case FieldType::AutoInc: {
        bool ok = false;
        qint64 n = 0;
        if (v.typeId() == QMetaType::QString) {
            const QString s = v.toString().trimmed();
            if (s.isEmpty())
                return {};
            n = s.toLongLong(&ok);
        } else if (v.typeId() == QMetaType::Double || v.typeId() == QMetaType::Float) {
            n = qRound64(v.toDouble());
            ok = true;
        } else {
            n = v.toLongLong(&ok);
        }
        if (!ok)
            throw bad();
        return QVariant(n);
    }
    case FieldType::Boolean: {
        if (v.typeId() == QMetaType::QString) {
            const QString s = v.toString().trimmed();
            if (s.isEmpty())
                return {};
            if (s.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0 || s == QLatin1String("1"))
                return QVariant(true);
            if (s.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0 || s == QLatin1String("0"))
                return QVariant(false);
            throw bad();
        }
        return QVariant(v.toBool());
    }
    case FieldType::Date: {
        QDate d;
        if (v.typeId() == QMetaType::QDateTime)
            d = v.toDateTime().date();
        else if (v.typeId() == QMetaType::QString)
            d = QDate::fromString(v.toString(), Qt::ISODate);
        else if (v.typeId() == QMetaType::QDate)
            d = v.toDate();
        else
            throw bad();
        return d.isValid() ? QVariant(d) : QVariant();
    }
    case FieldType::Time: {
        QTime t;
        if (v.typeId() == QMetaType::QDateTime)
            t = v.toDateTime().time();
        else if (v.typeId() == QMetaType::QString)
            t = QTime::fromString(v.toString(), QStringLiteral("H:mm:ss"));
        else if (v.typeId() == QMetaType::QTime)
            t = v.toTime();
        else
            throw bad();
        t = wholeSeconds(t);
        return t.isValid() ? QVariant(t) : QVariant();
    }
    }
    return {};
}

void DataSet::setValue(int column, const QVariant &value)
{
    requireActive();
    if (column < 0 || column >= m_fields.size())
        throw Failure(QStringLiteral("Field %1 not found in table \"%2\"").arg(column).arg(tableName()));
    if (m_state != State::Edit && m_state != State::Insert)
        throw Failure(QStringLiteral("Table \"%1\" is not in edit or insert mode").arg(tableName()));
    if (m_fields[column].type == FieldType::AutoInc)
        throw Failure(QStringLiteral("Field \"%1\" cannot be modified").arg(m_fields[column].name));
    const QVariant v = convertIn(column, value);
    m_modified = true;
    QVariant &slot = m_rows[m_cur].values[column];
    if (slot.isNull() == v.isNull() && (v.isNull() || slot == v))
        return;
    slot = v;
    emit fieldChanged(m_cur, column);
    emit rowChanged(m_cur);
}

// ---------------------------------------------------------------------------------------------------------
// changes

DataSet::State DataSet::state() const
{
    return m_state;
}

bool DataSet::isModified() const
{
    return m_modified;
}

void DataSet::insert()
{
    requireActive();
    checkBrowseMode();
    insertNewRecordAt(m_cur < 0 ? 0 : m_cur);
}

void DataSet::append()
{
    requireActive();
    checkBrowseMode();
    insertNewRecordAt(int(m_rows.size()));
}

void DataSet::insertNewRecordAt(int pos)
{
    emit rowAboutToBeInserted(pos);
    m_rows.insert(pos, newRecord());
    m_cur = pos;
    emit rowInserted(pos);
    m_eof = m_bof = false;
    m_modified = false;
    setState(State::Insert);
    emit afterInsert();
    emit afterScroll();
}

void DataSet::edit()
{
    requireActive();
    if (m_state == State::Edit || m_state == State::Insert)
        return;
    if (m_rows.isEmpty()) {
        insert();
        return;
    }
    m_editBackup = m_rows[m_cur];
    m_modified = false;
    setState(State::Edit);
    emit afterEdit();
}

void DataSet::post()
{
    requireActive();
    if (m_state != State::Edit && m_state != State::Insert)
        return;
    emit updateRecord();
    emit beforePost();
    if (m_state != State::Edit && m_state != State::Insert)
        return; // a handler ended the edit itself
    const bool isNew = m_state == State::Insert;
    Record candidate = m_rows[m_cur];
    qint64 newId = m_lastAutoInc;
    if (isNew && m_autoIncColumn >= 0) {
        newId = m_lastAutoInc + 1;
        candidate.values[m_autoIncColumn] = QVariant(newId);
    }
    if (m_db && m_saveMode == SaveMode::WriteThrough) {
        writeRecord(candidate, isNew); // throws; the data set stays in its edit state
    } else {
        if (isNew)
            candidate.rowid = m_autoIncColumn >= 0 ? newId : m_lastRowid + 1;
        m_dirty = true;
    }
    m_lastAutoInc = newId;
    m_lastRowid = std::max(m_lastRowid, candidate.rowid);
    m_rows[m_cur] = candidate;
    m_modified = false;
    setState(State::Browse);
    emit rowChanged(m_cur);
    placeAfterPost(m_cur);
    m_eof = m_bof = false;
    emit afterPost();
}

void DataSet::restoreEditQuietly()
{
    if (m_state == State::Edit) {
        m_rows[m_cur] = m_editBackup;
        emit rowChanged(m_cur);
    } else if (m_state == State::Insert) {
        emit rowAboutToBeRemoved(m_cur);
        m_rows.removeAt(m_cur);
        const int removed = m_cur;
        if (m_cur >= m_rows.size())
            m_cur = int(m_rows.size()) - 1;
        emit rowRemoved(removed);
        m_eof = m_bof = m_rows.isEmpty();
    }
    m_modified = false;
    setState(State::Browse);
}

void DataSet::cancel()
{
    requireActive();
    if (m_state == State::Browse)
        return;
    const bool wasInsert = m_state == State::Insert;
    restoreEditQuietly();
    emit afterCancel();
    if (wasInsert)
        emit afterScroll();
}

void DataSet::deleteRecord()
{
    requireActive();
    if (m_state == State::Insert) {
        cancel();
        return;
    }
    requireCursorRecord("delete");
    const Record doomed = m_state == State::Edit ? m_editBackup : m_rows[m_cur];
    if (m_db && m_saveMode == SaveMode::WriteThrough)
        deleteFromFile(doomed); // throws; nothing has changed then
    else
        m_dirty = true;
    const int row = m_cur;
    emit rowAboutToBeRemoved(row);
    m_rows.removeAt(row);
    const bool wasLast = row >= m_rows.size();
    m_cur = wasLast ? int(m_rows.size()) - 1 : row;
    emit rowRemoved(row);
    // Deleting the last record leaves nothing after it: a scan that deletes as it goes ends there.
    m_eof = wasLast;
    m_bof = m_rows.isEmpty();
    m_modified = false;
    setState(State::Browse);
    emit afterDelete();
    emit afterScroll();
}

// ---------------------------------------------------------------------------------------------------------
// batches

void DataSet::beginBatch()
{
    requireActive();
    if (m_batchDepth == 0 && m_db && m_saveMode == SaveMode::WriteThrough) {
        try {
            m_db->exec(QStringLiteral("BEGIN IMMEDIATE"));
        } catch (const SqliteDb::Error &e) {
            fail(QStringLiteral("cannot start a transaction (%1)").arg(e.message));
        }
    }
    ++m_batchDepth;
}

void DataSet::commitBatch()
{
    if (m_batchDepth <= 0)
        return;
    if (--m_batchDepth > 0)
        return;
    if (!m_db || m_saveMode != SaveMode::WriteThrough)
        return;
    try {
        m_db->exec(QStringLiteral("COMMIT"));
    } catch (const SqliteDb::Error &e) {
        // The changes did not reach the file: show the table as the file holds it.
        try {
            m_db->exec(QStringLiteral("ROLLBACK"));
        } catch (const SqliteDb::Error &) {}
        reloadAfterRollback();
        fail(QStringLiteral("cannot be written (%1)").arg(e.message));
    }
}

void DataSet::rollbackBatch()
{
    if (m_batchDepth <= 0)
        return;
    m_batchDepth = 0;
    if (!m_db || m_saveMode != SaveMode::WriteThrough)
        return; // changes of a table written at close live in memory until then
    try {
        m_db->exec(QStringLiteral("ROLLBACK"));
    } catch (const SqliteDb::Error &) {}
    reloadAfterRollback();
}

bool DataSet::inBatch() const
{
    return m_batchDepth > 0;
}

void DataSet::reloadAfterRollback()
{
    if (m_state == State::Edit || m_state == State::Insert)
        restoreEditQuietly();
    const qint64 currentRowid = (m_cur >= 0 && m_cur < m_rows.size()) ? m_rows[m_cur].rowid : 0;
    emit aboutToReset();
    const qint64 lastAutoInc = m_lastAutoInc;
    try {
        loadFromDb();
    } catch (const SqliteDb::Error &e) {
        qWarning("DataSet: reloading %s failed: %s", qPrintable(m_fileName), qPrintable(e.message));
    }
    // Ids handed out inside the undone batch are still not given again.
    m_lastAutoInc = std::max(m_lastAutoInc, lastAutoInc);
    std::stable_sort(m_rows.begin(), m_rows.end(), [this](const Record &a, const Record &b) {
        return lessThan(a, b);
    });
    m_cur = m_rows.isEmpty() ? -1 : 0;
    for (int i = 0; i < m_rows.size(); ++i)
        if (m_rows[i].rowid == currentRowid)
            m_cur = i;
    m_eof = m_bof = m_rows.isEmpty();
    emit resetDone();
    emit afterScroll();
}

// ---------------------------------------------------------------------------------------------------------
// bound controls

void DataSet::disableControls()
{
    if (++m_disableCount == 1)
        emit controlsEnabledChanged(false);
}

void DataSet::enableControls()
{
    if (m_disableCount == 0)
        return;
    if (--m_disableCount == 0)
        emit controlsEnabledChanged(true);
}

bool DataSet::controlsDisabled() const
{
    return m_disableCount > 0;
}
