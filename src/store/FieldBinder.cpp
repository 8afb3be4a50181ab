#include "store/FieldBinder.h"

#include "platform/Failure.h"
#include "store/DataSet.h"

#include <QDateTime>
#include <QMetaObject>

FieldBinder::FieldBinder(DataSet *dataSet, QObject *control, const QString &fieldName, QObject *parent)
    : QObject(parent), m_dataSet(dataSet), m_control(control), m_fieldName(fieldName)
{
    if (control) {
        const QMetaObject *meta = control->metaObject();
        m_property = meta->userProperty();
        // A rich-text edit's user property is its HTML; the fields hold plain text.
        if (control->inherits("QTextEdit") && meta->indexOfProperty("plainText") >= 0)
            m_property = meta->property(meta->indexOfProperty("plainText"));
        QMetaMethod notify = m_property.notifySignal();
        if (!notify.isValid() && meta->indexOfSignal("textChanged()") >= 0)
            notify = meta->method(meta->indexOfSignal("textChanged()"));
        if (notify.isValid()) {
            const QMetaObject &self = FieldBinder::staticMetaObject;
            const QMetaMethod slot = self.method(self.indexOfSlot("controlChanged()"));
            m_hasNotify = bool(connect(control, notify, this, slot));
        }
    }
    if (!m_property.isValid())
        throw Failure(
            QStringLiteral("A control without a user property cannot be bound to field \"%1\"").arg(fieldName));

    auto refreshNow = [this]() {
        refresh();
    };
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

void FieldBinder::controlChanged()
{
    if (!m_refreshing)
        m_changed = true;
}

void FieldBinder::refresh()
{
    if (!m_control || !m_dataSet || m_dataSet->controlsDisabled() || !m_dataSet->isActive())
        return;
    m_changed = false;
    const int column = m_dataSet->fieldIndex(m_fieldName);
    if (column < 0)
        return;
    const QVariant v = m_dataSet->value(column);
    const int target = m_property.metaType().id();
    QVariant shown;
    switch (target) {
    case QMetaType::Bool: shown = !v.isNull() && v.toBool(); break;
    case QMetaType::QString: shown = v.isNull() ? QString() : Field(m_dataSet, column).asString(); break;
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
    default: shown = v;
    }
    if (m_property.read(m_control) != shown) {
        m_refreshing = true;
        m_property.write(m_control, shown);
        m_refreshing = false;
    }
}

QVariant FieldBinder::controlValueForField(int column) const
{
    QVariant v = m_property.read(m_control);
    const FieldType type = m_dataSet->fieldDef(column).type;
    if (v.typeId() == QMetaType::QDateTime) {
        if (type == FieldType::Date)
            return v.toDateTime().date();
        if (type == FieldType::Time)
            return v.toDateTime().time();
    }
    return v;
}

bool FieldBinder::differsFromField(int column, const QVariant &wanted) const
{
    const QVariant current = m_dataSet->value(column);
    const FieldDef def = m_dataSet->fieldDef(column);
    // Compare as the record would hold it: an empty edit over an empty field, or an unchecked box over an
    // empty boolean, is no change.
    const bool emptyWanted = (wanted.typeId() == QMetaType::QString && wanted.toString().isEmpty())
                             || (def.type == FieldType::Boolean && !wanted.toBool());
    if (current.isNull())
        return !emptyWanted;
    switch (def.type) {
    case FieldType::String:
    case FieldType::Memo: {
        QString w = wanted.toString();
        if (def.type == FieldType::String && def.size > 0)
            w.truncate(def.size);
        return w != current.toString();
    }
    case FieldType::Time: {
        const QTime t = wanted.toTime();
        return !t.isValid() || QTime(t.hour(), t.minute(), t.second()) != current.toTime();
    }
    case FieldType::Boolean: return wanted.toBool() != current.toBool();
    default: return wanted != current;
    }
}

void FieldBinder::writeToRecord()
{
    if (!m_control || !m_dataSet || m_dataSet->controlsDisabled())
        return;
    const DataSet::State s = m_dataSet->state();
    if (s != DataSet::State::Edit && s != DataSet::State::Insert)
        return;
    const int column = m_dataSet->fieldIndex(m_fieldName);
    if (column < 0 || m_dataSet->fieldDef(column).type == FieldType::AutoInc)
        return;
    if (m_hasNotify && !m_changed)
        return;
    const QVariant wanted = controlValueForField(column);
    if (!differsFromField(column, wanted))
        return;
    m_dataSet->setValue(column, wanted);
}
