#include "store/Field.h"

#include "store/DataSet.h"

QString Field::name() const
{
    return m_dataSet->fieldDef(m_column).name;
}

bool Field::isNull() const
{
    return m_dataSet->value(m_column).isNull();
}

QVariant Field::value() const
{
    return m_dataSet->value(m_column);
}

qint64 Field::asInteger() const
{
    const QVariant v = value();
    if (v.isNull())
        return 0;
    if (v.typeId() == QMetaType::Bool)
        return v.toBool() ? 1 : 0;
    return v.toLongLong();
}

QString Field::asString() const
{
    const QVariant v = value();
    switch (v.typeId()) {
    case QMetaType::UnknownType: return {};
    case QMetaType::Bool: return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case QMetaType::QDate: return v.toDate().toString(QStringLiteral("yyyy-MM-dd"));
    case QMetaType::QTime: return v.toTime().toString(QStringLiteral("HH:mm:ss"));
    default: return v.toString();
    }
}

bool Field::asBoolean() const
{
    const QVariant v = value();
    return !v.isNull() && v.toBool();
}

QDate Field::asDate() const
{
    const QVariant v = value();
    return v.typeId() == QMetaType::QDate ? v.toDate() : QDate();
}

QTime Field::asTime() const
{
    const QVariant v = value();
    return v.typeId() == QMetaType::QTime ? v.toTime() : QTime();
}

QDateTime Field::asDateTime() const
{
    const QVariant v = value();
    if (v.typeId() == QMetaType::QDate)
        return QDateTime(v.toDate(), QTime(0, 0));
    if (v.typeId() == QMetaType::QTime)
        return QDateTime(QDate(1899, 12, 30), v.toTime());
    return {};
}

void Field::setValue(const QVariant &value)
{
    m_dataSet->setValue(m_column, value);
}
