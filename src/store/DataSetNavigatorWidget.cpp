#include "store/DataSetNavigatorWidget.h"

#include "store/DataSet.h"

#include <QKeyEvent>
#include <QToolButton>

DataSetNavigatorWidget::DataSetNavigatorWidget(DataSet *dataSet, const QString &name, QWidget *parent)
    : QWidget(parent), m_dataSet(dataSet)
{
    setObjectName(name);
    const struct
    {
        Button button;
        const char *name, *glyph, *hint;
    } buttons[] = {
        {Button::Insert, "nbInsert", "+", "Insert record"}, {Button::Delete, "nbDelete", "−", "Delete record"},
        {Button::Edit, "nbEdit", "▲", "Edit record"},       {Button::Post, "nbPost", "✔", "Post edit"},
        {Button::Cancel, "nbCancel", "✖", "Cancel edit"},   {Button::Refresh, "nbRefresh", "↻", "Refresh data"},
    };
    for (const auto &b : buttons) {
        auto *button = new QToolButton(this);
        button->setObjectName(QLatin1String(b.name));
        button->setText(QString::fromUtf8(b.glyph));
        button->setToolTip(QLatin1String(b.hint));
        const Button which = b.button;
        connect(button, &QToolButton::clicked, this, [this, which] {
            emit clicked(which);
        });
        m_buttons << button;
    }
    if (m_dataSet) {
        connect(m_dataSet, &DataSet::stateChanged, this, &DataSetNavigatorWidget::updateButtons);
        for (auto signal : {&DataSet::afterScroll, &DataSet::afterPost, &DataSet::afterDelete, &DataSet::resetDone})
            connect(m_dataSet, signal, this, &DataSetNavigatorWidget::updateButtons);
    }
    updateButtons();
}

void DataSetNavigatorWidget::updateButtons()
{
    const bool active = m_dataSet && m_dataSet->isActive();
    const bool editing
        = active && (m_dataSet->state() == DataSet::State::Edit || m_dataSet->state() == DataSet::State::Insert);
    const bool empty = !active || m_dataSet->isEmpty();
    button(Button::Insert)->setEnabled(active && !editing);
    button(Button::Delete)->setEnabled(active && !empty);
    button(Button::Edit)->setEnabled(active && !editing && !empty);
    button(Button::Post)->setEnabled(active && editing);
    button(Button::Cancel)->setEnabled(active && editing);
    button(Button::Refresh)->setEnabled(active);
}

void DataSetNavigatorWidget::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    // Six equal buttons; the last takes what the division leaves.
    const int w = width() / static_cast<int>(m_buttons.size());
    int x = 0;
    for (int i = 0; i < m_buttons.size(); ++i) {
        const int bw = i + 1 == m_buttons.size() ? width() - x : w;
        m_buttons[i]->setGeometry(x, 0, bw, height());
        x += bw;
    }
}

void DataSetNavigatorWidget::takeDeleteKeyFrom(QWidget *grid)
{
    m_grids << grid;
    grid->installEventFilter(this);
}

bool DataSetNavigatorWidget::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && m_grids.contains(qobject_cast<QWidget *>(watched))) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Delete && key->modifiers() == Qt::ControlModifier) {
            if (button(Button::Delete)->isEnabled())
                emit clicked(Button::Delete);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
