// Binds a control's user property (a line edit's text, a check box's state...) to a field of a data set.
#pragma once

#include <QMetaProperty>
#include <QObject>
#include <QPointer>
#include <QString>

class DataSet;

/*
 * The control is any QObject with a USER property (QMetaObject::userProperty()): QLineEdit "text",
 * QCheckBox "checked", QDateTimeEdit/QDateEdit/QTimeEdit "dateTime"/"date"/"time", QPlainTextEdit and
 * QTextEdit "plainText", QComboBox "currentText".
 *
 * - The control shows the current record's value: after every scroll, insert, cancel, post and reset, and
 *   whenever the program writes the bound field. An empty field shows as "", false, or leaves a date/time
 *   control as it is.
 * - While the data set's controls are disabled the control keeps what it shows; it catches up when they
 *   are enabled again.
 * - When the data set posts in edit or insert state, the control's value is written into the record just
 *   before beforePost (only when it differs from the field, so an untouched control does not mark the
 *   record modified).
 *
 *   new FieldBinder(&phone, ui->fioEdit, "Fio", this);
 */
class FieldBinder : public QObject
{
    Q_OBJECT

public:
    FieldBinder(DataSet *dataSet, QObject *control, const QString &fieldName, QObject *parent = nullptr);

    QObject *control() const { return m_control; }
    QString fieldName() const { return m_fieldName; }
    /// Shows the current record's value in the control now (unless controls are disabled).
    void refresh();
    /// Writes the control's value into the record (edit or insert state only).
    void writeToRecord();

private:
    QVariant controlValueForField(int column) const;

    DataSet *m_dataSet;
    QPointer<QObject> m_control;
    QString m_fieldName;
    QMetaProperty m_property;
};
