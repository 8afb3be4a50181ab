// The economic calendar panel `Panel5`: a banner strip on top and the read-only grid of releases.
#pragma once

#include <QFrame>

class QTableView;
class QAbstractItemModel;

class CalendarPanel : public QFrame
{
    Q_OBJECT
public:
    explicit CalendarPanel(QWidget *parent = nullptr);

    QTableView *grid() const { return m_grid; }
    /// Binds the grid to the calendar table's model and gives the seven columns their titles and widths.
    void setModel(QAbstractItemModel *model);

    struct Column
    {
        QString title;
        int width;
    };
    static const QList<Column> &columns();

private:
    void applyColumns();
    QTableView *m_grid = nullptr;
};
