// A table model over a data set so that grids list its rows and follow its cursor (and move it).
#pragma once

#include <QAbstractTableModel>
#include <QHash>
#include <QItemSelectionModel>
#include <QPointer>
#include <QStringList>

class DataSet;

/*
 * Rows are the data set's rows in browsing order, columns its fields (or the fields named in
 * setColumns()). Display and edit roles give the field value as a QVariant of its type (QString,
 * qlonglong, bool, QDate, QTime) or an empty QVariant; the model is read-only (editing goes through the
 * data set and the bound controls).
 *
 * Following the cursor, both ways: selectionModel() is kept on the current record; a view given that
 * selection model (view->setSelectionModel(model->selectionModel())) moves the data set's cursor when the
 * user selects a row. While the data set's controls are disabled the selection stays where it was, and it
 * catches up at enableControls(). Row inserts, moves and removals are always passed on, so a view never
 * reads a row that no longer exists.
 *
 *   auto *model = new DataSetModel(&alarm, this);
 *   model->setColumns({"Execute"});
 *   grid->setModel(model);
 *   grid->setSelectionModel(model->selectionModel());
 */
class DataSetModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    explicit DataSetModel(DataSet *dataSet, QObject *parent = nullptr);

    /// Shows only these fields, in this order (empty: every field of the table).
    void setColumns(const QStringList &fieldNames);
    DataSet *dataSet() const { return m_dataSet.data(); }
    QItemSelectionModel *selectionModel() { return &m_selection; }
    /// Data set field index of a model column.
    int fieldOfColumn(int column) const;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    /// Column titles are the field names unless a title is set here (horizontal, display role).
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    bool setHeaderData(int section, Qt::Orientation orientation, const QVariant &value,
                       int role = Qt::EditRole) override;

    /// Row the model shows as current (the data set's current row unless controls are disabled).
    int currentRow() const;

signals:
    /// Moving the cursor from the view failed (a pending edit could not be posted); the text is for the user.
    void failed(const QString &text);

private:
    void followCursor();
    void onSelectionCurrentChanged(const QModelIndex &current);
    void rebuildColumns();

    QPointer<DataSet> m_dataSet; // may go away before the model: it then shows nothing
    QItemSelectionModel m_selection;
    QStringList m_columnNames;
    QList<int> m_columns;
    QHash<int, QVariant> m_titles; // by column
    bool m_syncing = false;
    int m_changing = 0; // rows are being inserted, removed, moved or reset
};
