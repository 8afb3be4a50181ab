#include "calendar/CalendarPanel.h"

#include "platform/ApplicationLook.h"
#include "platform/Clock.h"

#include <QApplication>
#include <QHeaderView>
#include <QLocale>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QTableView>

namespace {

enum CalendarColumn { ColTitle, ColCountry, ColDate, ColTime, ColForecast, ColPrevious, ColImpact };

const QColor kGround(0, 0, 0);
const QColor kInfoText(255, 255, 225); // the tooltip background colour the grid's text starts from
const QColor kGrey(128, 128, 128);
const QColor kWhite(255, 255, 255);
const QColor kYellow(255, 255, 0);
const QColor kSelected(0, 128, 0);
const QString kGridSheet
    = QStringLiteral("QTableView { background: black; color: #ffffe1; gridline-color: #404040; font: 8pt 'Arial'; }"
                     " QHeaderView::section { background: black; color: silver; border: 1px solid #404040;"
                     " font: 8pt 'MS Sans Serif'; }");

QPixmap squares(int count)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(QColor(32, 32, 32));
    QPainter p(&pixmap);
    const int size = 4, gap = 1;
    const int width = count * size + (count - 1) * gap;
    int x = (16 - width) / 2;
    for (int i = 0; i < count; ++i, x += size + gap)
        p.fillRect(x, 6, size, size, QColor(230, 0, 0));
    return pixmap;
}

class CellDelegate : public QStyledItemDelegate
{
public:
    explicit CellDelegate(CalendarPanel *panel) : QStyledItemDelegate(panel), m_panel(panel) {}

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        const QAbstractItemModel *model = index.model();
        const int row = index.row();
        const QDate date = model->index(row, ColDate).data().toDate();
        const QTime time = model->index(row, ColTime).data().toTime();
        const QString impact = model->index(row, ColImpact).data().toString();

        QColor text = kInfoText;
        switch (CalendarPanel::shadeOf(date, time, impact, m_panel->now())) {
        case CalendarPanel::Shade::Grey: text = kGrey; break;
        case CalendarPanel::Shade::White: text = kWhite; break;
        case CalendarPanel::Shade::Yellow: text = kYellow; break;
        case CalendarPanel::Shade::Plain: break;
        }
        const bool selected = option.state & (QStyle::State_Selected | QStyle::State_HasFocus);

        painter->save();
        painter->fillRect(option.rect, selected ? kSelected : kGround);
        painter->setPen(text);
        painter->setFont(option.font);
        const QVariant value = index.data();
        QString shown;
        if (index.column() == ColDate)
            shown = value.isNull() ? QString() : m_panel->dateText(value.toDate());
        else if (index.column() == ColTime)
            shown = value.isNull() ? QString() : m_panel->timeText(value.toTime());
        else
            shown = value.toString();
        painter->drawText(option.rect.adjusted(2, 0, -2, 0), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                          shown);
        if (index.column() == ColImpact) {
            const QPixmap picture = CalendarPanel::importancePicture(impact);
            if (!picture.isNull())
                painter->drawPixmap(QRect(option.rect.left(), option.rect.top(), 48, option.rect.height()), picture);
        }
        painter->restore();
    }

private:
    CalendarPanel *m_panel;
};

} // namespace

CalendarPanel::CalendarPanel(QWidget *parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("Panel5"));
    // The panel's children are drawn in the application's own palette and font, not in the main window's black
    // and small font; the black ground is painted by the panel itself.
    setPalette(resolvedApplicationPalette());
    setFont(resolvedApplicationFont());

    m_bannerHolder = new QWidget(this);
    m_bannerHolder->setObjectName(QStringLiteral("Panel8"));
    m_bannerHolder->setGeometry(6, 6, 469, 61);

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
    m_grid->horizontalHeader()->setHighlightSections(false);
    m_grid->setItemDelegate(new CellDelegate(this));
}

void CalendarPanel::showEvent(QShowEvent *event)
{
    // The grid's sheet (its header's sections cannot be drawn so by a palette) is matched against the grid and
    // its children only when the panel is first seen: at start the panel is hidden, and a sheet set then would
    // cost its memory and time before the window shows.
    if (m_grid->styleSheet().isEmpty())
        m_grid->setStyleSheet(kGridSheet);
    QFrame::showEvent(event);
}

void CalendarPanel::paintEvent(QPaintEvent *event)
{
    QPainter(this).fillRect(rect(), Qt::black);
    QFrame::paintEvent(event);
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

CalendarPanel::Shade CalendarPanel::shadeOf(const QDate &date, const QTime &time, const QString &impact,
                                            const QDateTime &now)
{
    const QDate today = now.date();
    const QTime clock = now.time();
    Shade shade = Shade::Plain;
    if (impact == QStringLiteral("Выходной") || date < today || (date == today && clock > time))
        shade = Shade::Grey;
    if (date > today)
        shade = Shade::White;
    if (date == today && clock < time)
        shade = Shade::Yellow;
    return shade;
}

QPixmap CalendarPanel::importancePicture(const QString &impact)
{
    static const QPixmap low = squares(1), medium = squares(2), high = squares(3);
    if (impact == QStringLiteral("Низкий"))
        return low;
    if (impact == QStringLiteral("Средний"))
        return medium;
    if (impact == QStringLiteral("Высокий"))
        return high;
    return {};
}

QDateTime CalendarPanel::now() const
{
    return m_clock ? m_clock->localNow() : QDateTime::currentDateTime();
}

QString CalendarPanel::dateText(const QDate &date) const
{
    return m_clock ? m_clock->formatShortDate(date) : QLocale().toString(date, QLocale::ShortFormat);
}

QString CalendarPanel::timeText(const QTime &time) const
{
    return m_clock ? m_clock->formatLongTime(time) : QLocale().toString(time, QStringLiteral("HH:mm:ss"));
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
