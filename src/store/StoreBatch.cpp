#include "store/StoreBatch.h"

#include "store/DataSet.h"

#include <QDebug>

StoreBatch::StoreBatch(DataSet &dataSet) : m_dataSet(dataSet)
{
    m_dataSet.beginBatch();
}

StoreBatch::~StoreBatch()
{
    if (!m_open)
        return;
    try {
        m_dataSet.rollbackBatch();
    } catch (const std::exception &e) {
        qWarning("StoreBatch: rollback failed: %s", e.what());
    }
}

void StoreBatch::commit()
{
    if (!m_open)
        return;
    m_open = false;
    m_dataSet.commitBatch();
}
