#include "store/DataSetModel.h"

#include "platform/Failure.h"
#include "store/DataSet.h"

DataSetModel::DataSetModel(DataSet *dataSet, QObject *parent)
    : QAbstractTableModel(parent), m_dataSet(dataSet), m_selection(this)
{
    rebuildColumns();
    // While rows change, the selection model moves its current index by itself (a removed current row
    // hands it to a neighbour); that is not the user choosing a row, so it must not move the cursor.
    connect(m_dataSet, &DataSet::rowAboutToBeInserted, this, [this](int row) {
        ++m_changing;
        beginInsertRows({}, row, row);
    });
    connect(m_dataSet, &DataSet::rowInserted, this, [this](int) {
        endInsertRows();
        --m_changing;
    });
    connect(m_dataSet, &DataSet::rowAboutToBeRemoved, this, [this](int row) {
        ++m_changing;
        beginRemoveRows({}, row, row);
    });
    connect(m_dataSet, &DataSet::rowRemoved, this, [this](int) {
        endRemoveRows();
        --m_changing;
        followCursor();
    });
    connect(m_dataSet, &DataSet::rowAboutToBeMoved, this, [this](int from, int to) {
        ++m_changing;
        beginMoveRows({}, from, from, {}, to);
    });
    connect(m_dataSet, &DataSet::rowMoved, this, [this](int, int) {
        endMoveRows();
        --m_changing;
        followCursor();
    });
    connect(m_dataSet, &DataSet::rowChanged, this, [this](int row) {
        if (!m_columns.isEmpty())
            emit dataChanged(index(row, 0), index(row, int(m_columns.size()) - 1));
    });
    connect(m_dataSet, &DataSet::aboutToReset, this, [this]() {
        ++m_changing;
        beginResetModel();
    });
    connect(m_dataSet, &DataSet::resetDone, this, [this]() {
        rebuildColumns();
        endResetModel();
        --m_changing;
        followCursor();
    });
    connect(m_dataSet, &DataSet::afterScroll, this, &DataSetModel::followCursor);
    connect(m_dataSet, &DataSet::afterPost, this, &DataSetModel::followCursor);
    connect(m_dataSet, &DataSet::controlsEnabledChanged, this, [this](bool enabled) {
        if (enabled)
            followCursor();
    });
    connect(m_dataSet, &QObject::destroyed, this, [this]() {
        beginResetModel();
        m_columns.clear();
        endResetModel();
    });
    connect(&m_selection, &QItemSelectionModel::currentRowChanged, this, [this](const QModelIndex &current) {
        onSelectionCurrentChanged(current);
    });
    followCursor();
}

void DataSetModel::setColumns(const QStringList &fieldNames)
{
    beginResetModel();
    m_columnNames = fieldNames;
    rebuildColumns();
    endResetModel();
    followCursor();
}

void DataSetModel::rebuildColumns()
{
    m_columns.clear();
    if (!m_dataSet)
        return;
    if (m_columnNames.isEmpty()) {
        for (int c = 0; c < m_dataSet->fieldCount(); ++c)
            m_columns << c;
    } else {
        for (const QString &n : std::as_const(m_columnNames)) {
            const int c = m_dataSet->fieldIndex(n);
            if (c >= 0)
                m_columns << c;
        }
    }
}

int DataSetModel::fieldOfColumn(int column) const
{
    return (column >= 0 && column < m_columns.size()) ? m_columns[column] : -1;
}

int DataSetModel::rowCount(const QModelIndex &parent) const
{
    return (parent.isValid() || !m_dataSet) ? 0 : m_dataSet->rowCount();
}

int DataSetModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

QVariant DataSetModel::data(const QModelIndex &index, int role) const
{
    if (!m_dataSet || !index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    return m_dataSet->valueAt(index.row(), fieldOfColumn(index.column()));
}

QVariant DataSetModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || !m_dataSet)
        return {};
    if (orientation == Qt::Horizontal) {
        const auto title = m_titles.constFind(section);
        return title != m_titles.constEnd() ? *title : QVariant(m_dataSet->fieldDef(fieldOfColumn(section)).name);
    }
    return section + 1;
}

bool DataSetModel::setHeaderData(int section, Qt::Orientation orientation, const QVariant &value, int role)
{
    if (orientation != Qt::Horizontal || (role != Qt::DisplayRole && role != Qt::EditRole) || section < 0
        || section >= columnCount())
        return false;
    m_titles.insert(section, value);
    emit headerDataChanged(orientation, section, section);
    return true;
}

int DataSetModel::currentRow() const
{
    const QModelIndex cur = m_selection.currentIndex();
    return cur.isValid() ? cur.row() : -1;
}

void DataSetModel::followCursor()
{
    if (!m_dataSet || m_dataSet->controlsDisabled() || m_syncing || m_changing)
        return;
    const int row = m_dataSet->currentRow();
    if (row == currentRow() && (row < 0 || m_selection.isRowSelected(row, {})))
        return;
    m_syncing = true;
    if (row < 0 || m_columns.isEmpty())
        m_selection.clear();
    else
        m_selection.setCurrentIndex(index(row, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    m_syncing = false;
}

void DataSetModel::onSelectionCurrentChanged(const QModelIndex &current)
{
    if (!m_dataSet || m_syncing || m_changing || !current.isValid() || !m_dataSet->isActive()
        || m_dataSet->controlsDisabled())
        return;
    if (current.row() == m_dataSet->currentRow())
        return;
    m_syncing = true;
    try {
        m_dataSet->moveTo(current.row());
    } catch (const std::exception &e) {
        // This runs inside a view's event handling, where nothing may be thrown; the owner shows it.
        m_syncing = false;
        followCursor();
        const auto *failure = dynamic_cast<const Failure *>(&e);
        emit failed(failure ? failure->text() : QString::fromLocal8Bit(e.what()));
        return;
    }
    m_syncing = false;
    // Leaving a record being edited may have posted or cancelled it, which can change the rows.
    followCursor();
}
