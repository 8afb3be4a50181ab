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
 *   before beforePost, but only when the control was changed (by the user or by the program) since it last
 *   showed the record, and only while controls are enabled. So a scan that edits records with the controls
 *   disabled never receives what the controls show, and a control that cannot show a value whole (an edit
 *   limited to 100 characters over a 254-character field) does not cut it when left untouched.
 *   Controls without a change signal fall back to writing when their value differs from the field.
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

private slots:
    void controlChanged();

private:
    QVariant controlValueForField(int column) const;
    bool differsFromField(int column, const QVariant &wanted) const;

    QPointer<DataSet> m_dataSet;
    QPointer<QObject> m_control;
    QString m_fieldName;
    QMetaProperty m_property;
    bool m_hasNotify = false;
    bool m_refreshing = false;
    bool m_changed = false; // the control was changed since it last showed the record
};
