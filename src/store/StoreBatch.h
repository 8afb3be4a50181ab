// Runs several posts and deletes of a write-through table in one transaction; rolls back unless committed.
#pragma once

class DataSet;

/*
 *   {
 *       StoreBatch batch(alarm);
 *       ... alarm.edit(); ...; alarm.post(); ... alarm.deleteRecord(); ...
 *       batch.commit();              // without it, the destructor rolls back and reloads the rows
 *   }
 */
class StoreBatch
{
public:
    explicit StoreBatch(DataSet &dataSet);
    ~StoreBatch();
    StoreBatch(const StoreBatch &) = delete;
    StoreBatch &operator=(const StoreBatch &) = delete;

    void commit();

private:
    DataSet &m_dataSet;
    bool m_open = true;
};
