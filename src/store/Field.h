// A handle to one field of a data set's current record, with typed reads and writes.
#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>
#include <QVariant>

class DataSet;
struct FieldDef;

/*
 * Reads of an empty field give 0, "", an invalid date/time, or false. Writes are allowed in edit and insert
 * state only and are converted to the field's type (strings are cut to the field's size, times to the
 * second, a date-time written into a date field keeps its date, into a time field its time of day).
 * Writing a null QVariant, an invalid date or an invalid time empties the field.
 * The handle stays valid while the data set keeps its structure; it always refers to the current record.
 */
class Field
{
public:
    Field(DataSet *dataSet, int column) : m_dataSet(dataSet), m_column(column) {}

    QString name() const;
    int index() const { return m_column; }
    bool isNull() const;
    QVariant value() const;

    qint64 asInteger() const;
    QString asString() const; ///< dates as "yyyy-MM-dd", times as "HH:mm:ss", booleans "True"/"False"
    bool asBoolean() const;
    QDate asDate() const;
    QTime asTime() const;
    /// A date field gives its date at midnight, a time field its time of day on an invalid date's place:
    /// 30.12.1899 (the day 0 of the classic date-time type).
    QDateTime asDateTime() const;

    void setValue(const QVariant &value);
    void clear() { setValue(QVariant()); }
    void setAsInteger(qint64 v) { setValue(v); }
    void setAsString(const QString &v) { setValue(v); }
    void setAsBoolean(bool v) { setValue(v); }
    void setAsDate(const QDate &v) { setValue(v); }
    void setAsTime(const QTime &v) { setValue(v); }
    void setAsDateTime(const QDateTime &v) { setValue(v); }

private:
    DataSet *m_dataSet;
    int m_column;
};
