// A record table held in memory with a cursor, edit states and events, kept in an SQLite table file.
#pragma once

#include "store/Field.h"
#include "store/TableDefs.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QVariant>

#include <functional>
#include <memory>

class SqliteDb;

/*
 * Usage (the start-up step in TableSchemas does exactly this):
 *
 *   DataSet alarm;                                    // name "alarm" comes from the file name
 *   TableSchemas::defineAlarm(alarm);                 // field and index definitions
 *   if (!QFile::exists(appDir + "alarm.cds")) { alarm.setFileName(appDir + "alarm.cds"); alarm.createDataSet(); alarm.close(); }
 *   alarm.setFileName(appDir + "alarm.cds");
 *   alarm.setIndexName("datatime");
 *   alarm.open();                                     // the structure stored in the file wins
 *
 *   for (alarm.first(); !alarm.eof(); alarm.next())   // scan in index order
 *       if (alarm.fieldByName("Tip").asInteger() == 0) ...
 *
 *   if (alarm.locate(42)) { alarm.edit(); alarm.fieldByName("Time").setValue(QTime(9, 0)); alarm.post(); }
 *
 * Rows are kept in browsing order (the selected index, or the order of the file when none is selected);
 * row numbers (0-based) are what the item model shows.
 *
 * Every failure (a write to a field outside edit state, a file that is not a table file, a write to the
 * file that did not succeed) throws Failure with a text for the user; a failed post or delete leaves the
 * data set exactly as it was before the call (still in edit or insert state for a post).
 *
 * Events (Qt signals, emitted synchronously on the calling thread; a handler of beforePost may throw to
 * stop the post, which then leaves the record in edit or insert state). Order of firing:
 *
 *   first(), last() (also on an empty table), locate() found,
 *   moveTo(), next()/prior() that move                      -> [pending edit posted/cancelled] afterScroll
 *   open() of a table with records                          -> afterScroll
 *   next() on the last record                               -> nothing (eof() becomes true)
 *   locate() not found                                      -> nothing (cursor stays)
 *   insert()                                                -> [pending edit posted/cancelled] afterInsert, afterScroll
 *   edit()                                                  -> afterEdit (nothing when already editing;
 *                                                              on an empty table edit() is insert())
 *   post()                                                  -> updateRecord (bound controls write), beforePost,
 *                                                              [file written], afterPost          (no afterScroll)
 *   cancel() in edit state                                  -> afterCancel
 *   cancel() in insert state                                -> afterCancel, afterScroll
 *   deleteRecord() in browse or edit state                  -> [file written], afterDelete, afterScroll
 *   deleteRecord() in insert state                          -> same as cancel()
 *
 * "Pending edit posted/cancelled": moving the cursor while editing first posts the record when a field
 * was written since edit()/insert(), otherwise cancels it, exactly as post()/cancel() would (with their
 * events).
 *
 * disableControls()/enableControls() nest; while disabled, the item model and the field binders do not
 * follow the cursor or field changes (controlsEnabledChanged(true) makes them catch up). All events above
 * fire regardless.
 */
class DataSet : public QObject
{
    Q_OBJECT

public:
    enum class State { Inactive, Browse, Edit, Insert };
    Q_ENUM(State)

    explicit DataSet(QObject *parent = nullptr);
    /// Closes the table (an OnClose table with changes is written; a failure is only logged here).
    ~DataSet() override;

    // ---- definitions (used by createDataSet(), and as fallback indexes at open) ----
    void clearFieldDefs();
    void addFieldDef(const QString &name, FieldType type, int size = 0);
    QList<FieldDef> fieldDefs() const;
    void clearIndexDefs();
    void addIndexDef(const QString &name, const QString &fields, IndexOptions options = {});
    /// Defined indexes; after open() these are the indexes of the file plus those defined before it.
    QList<IndexDef> indexDefs() const;

    // ---- file and mode ----
    /// Full path of the table file; the table inside it is named after the file's base name ("alarm").
    void setFileName(const QString &path);
    QString fileName() const;
    /// The name of the table inside the file ("alarm" for ".../alarm.cds").
    QString tableName() const;
    void setSaveMode(SaveMode mode);
    SaveMode saveMode() const;
    /// Fields the program reads from every record: open() refuses a file that lacks one of them (named in
    /// the failure) before anything is loaded or written, rather than failing at each later read.
    void setRequiredFields(const QStringList &names) { m_requiredFields = names; }

    /// Creates the table file from the definitions (refusing to replace an existing file) and opens the
    /// data set empty. Without a file name the table is only in memory.
    void createDataSet();
    /// Loads every record of the file; the fields and indexes stored in the file win over the definitions.
    /// Throws Failure naming the file when it is missing, is something other than a regular file, is not a
    /// table file or lacks a required field; the file is left as it was.
    void open();
    /// Posts nothing: a pending edit is cancelled. An OnClose table with changes is written first
    /// (a failure to write throws and leaves the data set open).
    void close();
    bool isActive() const;
    /// Writes the whole table to the file now, in one transaction (SaveToFile).
    void saveToFile();

    // ---- browsing order ----
    /// Selects a defined index by name ("" for the order of the file); the current record stays current.
    void setIndexName(const QString &name);
    QString indexName() const;
    /// Orders by the given fields ascending ("Fio"); strings compare without regard to letter case.
    void setIndexFieldNames(const QString &fields);
    QString indexFieldNames() const;

    // ---- cursor ----
    void first();
    void next();
    void last();
    void prior();
    bool eof() const;
    bool bof() const;
    bool isEmpty() const;
    /// Posted records; a record being inserted is not counted until it is posted.
    int recordCount() const;
    /// Rows in browsing order, including a record being inserted (what a grid shows).
    int rowCount() const;
    /// Row of the current record in browsing order, -1 when the table is empty or inactive.
    int currentRow() const;
    /// Makes row `row` current (afterScroll); out-of-range rows are ignored.
    void moveTo(int row);
    /// Finds the record whose field `id` equals `id`; when found it becomes current.
    bool locate(qint64 id);
    /// Generic locate on one field with an exact value match.
    bool locate(const QString &fieldName, const QVariant &value);

    // ---- fields ----
    int fieldCount() const;
    int fieldIndex(const QString &name) const; ///< -1 when there is no such field
    FieldDef fieldDef(int index) const;
    /// Handle to a field of the current record; throws Failure when there is no such field.
    Field fieldByName(const QString &name);
    Field field(int index);
    /// Value of field `column` in row `row` (null QVariant for empty), as the model shows it.
    QVariant valueAt(int row, int column) const;
    /// Value of a field of the current record; null QVariant when empty or when there is no record.
    QVariant value(int column) const;
    /// Writes a field of the current record (edit or insert state only; converts and cuts to the type).
    void setValue(int column, const QVariant &value);

    // ---- changes ----
    State state() const;
    /// Whether a field was written since edit() or insert().
    bool isModified() const;
    void insert();
    void append(); ///< insert() with the new record placed at the end until it is posted
    void edit();
    void post();
    void cancel();
    void deleteRecord();

    // ---- transactions spanning several changes (write-through tables) ----
    /// Opens a transaction: the following posts and deletes are written inside it and made durable only
    /// by commitBatch(). Nests; only the outermost commit writes. Prefer StoreBatch (RAII).
    void beginBatch();
    void commitBatch();
    /// Undoes every change since beginBatch() in the file and reloads the rows from it.
    void rollbackBatch();
    bool inBatch() const;

    // ---- bound controls ----
    void disableControls();
    void enableControls();
    bool controlsDisabled() const;

signals:
    void afterInsert();
    void afterEdit();
    void beforePost();
    void afterPost();
    void afterCancel();
    void afterDelete();
    void afterScroll();
    void stateChanged(DataSet::State state);

    /// Emitted first in post(): bound controls write their values into the record here.
    void updateRecord();
    /// Nesting of disableControls() crossed zero.
    void controlsEnabledChanged(bool enabled);

    // Row notifications for the item model; "about to" is emitted before the rows change.
    void rowAboutToBeInserted(int row);
    void rowInserted(int row);
    void rowAboutToBeRemoved(int row);
    void rowRemoved(int row);
    void rowAboutToBeMoved(int from, int to); ///< `to` as QAbstractItemModel::beginMoveRows expects it
    void rowMoved(int from, int to);          ///< `to` is the final row of the record
    void rowChanged(int row);
    void fieldChanged(int row, int column);
    void aboutToReset();
    void resetDone();

private:
    struct Record
    {
        qint64 rowid = 0; ///< row identity in the file; 0 for a record not yet posted
        quint64 key = 0;  ///< identity in memory, to find a record again after rows moved
        QList<QVariant> values;
    };

    void requireActive() const;
    void requireCursorRecord(const char *what) const;
    void checkBrowseMode();
    void setState(State s);
    void scrolled();
    QVariant convertIn(int column, const QVariant &v) const;
    bool lessThan(const Record &a, const Record &b) const;
    int compareValues(int column, const QVariant &a, const QVariant &b, bool caseInsensitive) const;
    void resort(int keepRow);
    int sortedPosition(int row) const;
    void placeAfterPost(int row);
    Record newRecord();
    int rowOfKey(quint64 key) const;
    void computeSort();
    void reloadAfterRollback();
    void restoreEditQuietly();
    QVariant fromStorage(int column, const QVariant &raw) const;
    QVariant toStorage(int column, const QVariant &v) const;
    void loadFromDb();
    /// Fails (naming the file) unless a regular file is at the file name: whenMissing when nothing is there.
    void requireRegularFile(const QString &whenMissing) const;
    void openDb(bool create);
    void readStructure();
    void writeRecord(Record &rec, bool isNew);
    void deleteFromFile(const Record &rec);
    /// Runs work in a transaction of its own (or in the open batch) and turns an SQLite error into Failure.
    void writeInTransaction(const std::function<void()> &work);
    /// Selects an index by name or an order by field names (one of the two is empty); restored on failure.
    void setOrder(const QString &indexName, const QString &fieldNames);
    /// A new empty record at row pos, made current, in insert state (insert() and append()).
    void insertNewRecordAt(int pos);
    void writeAll();
    /// Makes the table's file, whole, where nothing is; leaves no connection open.
    void createFile();
    /// Opens the connection to the table's file that its rows are written through.
    void openForWrites();
    QString columnList() const;
    [[noreturn]] void fail(const QString &what) const;

    QList<FieldDef> m_fieldDefs;
    QStringList m_requiredFields;
    QList<IndexDef> m_indexDefs;
    QList<FieldDef> m_fields;  // structure of the open table
    QList<IndexDef> m_indexes; // indexes of the open table
    QString m_fileName;
    SaveMode m_saveMode = SaveMode::WriteThrough;
    std::unique_ptr<SqliteDb> m_db;

    QString m_indexName;
    QString m_indexFieldNames;
    QList<int> m_sortColumns;
    bool m_sortDescending = false;
    bool m_sortCaseInsensitive = false;

    QList<Record> m_rows;
    int m_cur = -1;
    bool m_eof = true;
    bool m_bof = true;
    State m_state = State::Inactive;
    bool m_modified = false;
    Record m_editBackup;
    int m_autoIncColumn = -1;
    qint64 m_lastAutoInc = 0;
    qint64 m_lastRowid = 0;
    quint64 m_lastKey = 0;
    bool m_dirty = false; // OnClose tables: changes not yet written
    int m_batchDepth = 0;
    int m_disableCount = 0;
};
