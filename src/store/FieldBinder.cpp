#include "store/FieldBinder.h"

#include "platform/Failure.h"
#include "store/DataSet.h"

#include <QDateTime>
#include <QMetaObject>

FieldBinder::FieldBinder(DataSet *dataSet, QObject *control, const QString &fieldName, QObject *parent)
    : QObject(parent), m_dataSet(dataSet), m_control(control), m_fieldName(fieldName)
{
    if (control)
        m_property = control->metaObject()->userProperty();
    if (!m_property.isValid())
        throw Failure(QStringLiteral("A control without a user property cannot be bound to field \"%1\"")
                          .arg(fieldName));

    auto refreshNow = [this]() { refresh(); };
    connect(m_dataSet, &DataSet::afterScroll, this, refreshNow);
    connect(m_dataSet, &DataSet::afterInsert, this, refreshNow);
    connect(m_dataSet, &DataSet::afterCancel, this, refreshNow);
    connect(m_dataSet, &DataSet::afterPost, this, refreshNow);
    connect(m_dataSet, &DataSet::resetDone, this, refreshNow);
    connect(m_dataSet, &DataSet::controlsEnabledChanged, this, [this](bool enabled) {
        if (enabled)
            refresh();
    });
    connect(m_dataSet, &DataSet::fieldChanged, this, [this](int row, int column) {
        if (row == m_dataSet->currentRow() && column == m_dataSet->fieldIndex(m_fieldName))
            refresh();
    });
    connect(m_dataSet, &DataSet::updateRecord, this, &FieldBinder::writeToRecord);
    refresh();
}

void FieldBinder::refresh()
{
    if (!m_control || m_dataSet->controlsDisabled() || !m_dataSet->isActive())
        return;
    const int column = m_dataSet->fieldIndex(m_fieldName);
    if (column < 0)
        return;
    const QVariant v = m_dataSet->value(column);
    const int target = m_property.metaType().id();
    QVariant shown;
    switch (target) {
    case QMetaType::Bool:
        shown = !v.isNull() && v.toBool();
        break;
    case QMetaType::QString:
        shown = v.isNull() ? QString() : Field(m_dataSet, column).asString();
        break;
    case QMetaType::QDateTime: {
        const QDateTime old = m_property.read(m_control).toDateTime();
        if (v.typeId() == QMetaType::QDate)
            shown = QDateTime(v.toDate(), old.isValid() ? old.time() : QTime(0, 0));
        else if (v.typeId() == QMetaType::QTime)
            shown = QDateTime(old.isValid() ? old.date() : QDate(2000, 1, 1), v.toTime());
        else
            return; // an empty date or time leaves the picker as it is
        break;
    }
    case QMetaType::QDate:
    case QMetaType::QTime:
        if (v.isNull())
            return;
        shown = v;
        break;
    default:
        shown = v;
    }
    if (m_property.read(m_control) != shown)
        m_property.write(m_control, shown);
}

QVariant FieldBinder::controlValueForField(int column) const
{
    const QVariant v = m_property.read(m_control);
    const FieldType type = m_dataSet->fieldDef(column).type;
    if (v.typeId() == QMetaType::QDateTime) {
        if (type == FieldType::Date)
            return v.toDateTime().date();
        if (type == FieldType::Time)
            return v.toDateTime().time();
    }
    return v;
}

void FieldBinder::writeToRecord()
{
    if (!m_control)
        return;
    const DataSet::State s = m_dataSet->state();
    if (s != DataSet::State::Edit && s != DataSet::State::Insert)
        return;
    const int column = m_dataSet->fieldIndex(m_fieldName);
    if (column < 0)
        return;
    const FieldType type = m_dataSet->fieldDef(column).type;
    if (type == FieldType::AutoInc)
        return;
    const QVariant wanted = controlValueForField(column);
    const QVariant current = m_dataSet->value(column);
    // Compare as the record would hold it: an empty edit over an empty field, or an unchecked box over an
    // empty boolean, is no change and must not mark the record modified.
    const bool emptyWanted = (wanted.typeId() == QMetaType::QString && wanted.toString().isEmpty())
                             || (type == FieldType::Boolean && !wanted.toBool());
    if (current.isNull() && emptyWanted)
        return;
    if (!current.isNull()) {
        if (type == FieldType::String || type == FieldType::Memo) {
            QString w = wanted.toString();
            const int size = m_dataSet->fieldDef(column).size;
            if (type == FieldType::String && size > 0)
                w.truncate(size);
            if (w == current.toString())
                return;
        } else if (type == FieldType::Time && wanted.typeId() == QMetaType::QTime) {
            const QTime t = wanted.toTime();
            if (QTime(t.hour(), t.minute(), t.second()) == current.toTime())
                return;
        } else if (type == FieldType::Boolean) {
            if (wanted.toBool() == current.toBool())
                return;
        } else if (wanted == current) {
            return;
        }
    }
    m_dataSet->setValue(column, wanted);
}
