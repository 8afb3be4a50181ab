#include "calendar/CalendarPanel.h"

#include <QHeaderView>
#include <QTableView>

CalendarPanel::CalendarPanel(QWidget *parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("Panel5"));
    setAutoFillBackground(true);
    setStyleSheet(QStringLiteral("#Panel5 { background: black; }"));

    auto *strip = new QWidget(this);
    strip->setObjectName(QStringLiteral("Panel8"));
    strip->setGeometry(6, 6, 469, 61);

    m_grid = new QTableView(this);
    m_grid->setObjectName(QStringLiteral("DBGrid3"));
    m_grid->setGeometry(6, 67, 469, 217);
    m_grid->setFrameShape(QFrame::NoFrame);
    m_grid->verticalHeader()->hide();
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_grid->horizontalHeader()->setSectionsMovable(false);
    m_grid->setStyleSheet(
        QStringLiteral("QTableView { background: black; color: #ffffe1; gridline-color: #404040; font: 8pt 'Arial'; }"
                       " QHeaderView::section { background: black; color: silver; border: 1px solid #404040; }"));
}

const QList<CalendarPanel::Column> &CalendarPanel::columns()
{
    static const QList<Column> list = {
        {QStringLiteral("Событие"), 158}, {QStringLiteral(" V "), 27},     {QStringLiteral("Дата"), 60},
        {QStringLiteral("Время"), 50},    {QStringLiteral("Прогноз"), 50}, {QStringLiteral("Значение"), 52},
        {QStringLiteral("Важно..."), 48},
    };
    return list;
}

void CalendarPanel::setModel(QAbstractItemModel *model)
{
    m_grid->setModel(model);
    applyColumns();
}

void CalendarPanel::applyColumns()
{
    auto *model = m_grid->model();
    const auto &cols = columns();
    for (int i = 0; i < cols.size(); ++i) {
        if (model && i < model->columnCount())
            model->setHeaderData(i, Qt::Horizontal, cols[i].title);
        m_grid->setColumnWidth(i, cols[i].width);
    }
    // Columns beyond the seven (the table's own id and extras) stay out of sight.
    for (int i = cols.size(); model && i < model->columnCount(); ++i)
        m_grid->hideColumn(i);
}
