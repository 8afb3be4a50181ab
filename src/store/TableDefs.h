// Field and index definitions of a record table: what a table file holds besides its rows.
#pragma once

#include <QFlags>
#include <QList>
#include <QString>
#include <QStringList>

enum class FieldType {
    String,  ///< text of at most `size` characters; longer text is cut when written
    Integer, ///< 64-bit integer
    AutoInc, ///< integer given by the store at the first post of a record; never given again
    Boolean, ///< true / false
    Date,    ///< local calendar date
    Time,    ///< local time of day, to the second
    Memo     ///< text of any length
};

struct FieldDef
{
    QString name;
    FieldType type = FieldType::String;
    int size = 0; ///< characters, for String only

    bool operator==(const FieldDef &) const = default;
};

enum class IndexOption {
    Primary = 0x1,
    Descending = 0x2,     ///< every field of the index runs from the largest value down
    CaseInsensitive = 0x4 ///< strings compare without regard to letter case
};
Q_DECLARE_FLAGS(IndexOptions, IndexOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(IndexOptions)

struct IndexDef
{
    QString name;
    QString fields; ///< field list as written by the caller: "Data; Time"
    IndexOptions options;

    /// The field names of `fields`, split at ';' and trimmed.
    QStringList fieldList() const
    {
        QStringList out;
        for (const QString &part : fields.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            const QString name = part.trimmed();
            if (!name.isEmpty())
                out << name;
        }
        return out;
    }

    bool operator==(const IndexDef &) const = default;
};

/// Whether a table file is written after every post and delete, or only when the table is closed.
enum class SaveMode {
    WriteThrough, ///< each post and each delete is one transaction on the file (alarm, phone)
    OnClose       ///< rows are held in memory and the whole table is written when it is closed (econom)
};
