// The six-button bar over a data set (insert, delete, edit, post, cancel, refresh) whose buttons follow its state.
#pragma once

#include <QList>
#include <QPointer>
#include <QWidget>

class DataSet;
class QToolButton;

/*
 * The bar only reports which button was clicked; what each button does (a confirmation before a delete,
 * the editing mode of the panel) belongs to the panel that owns the bar. The buttons are enabled as the
 * data set allows: insert outside editing, delete and edit on a record, post and cancel while editing,
 * refresh while the table is open.
 *
 *   auto *bar = new DataSetNavigatorWidget(&phone, QStringLiteral("DBNavigator1"), this);
 *   bar->setGeometry(14, 191, 234, 25);
 *   connect(bar, &DataSetNavigatorWidget::clicked, this, &PhoneBookPanel::navigate);
 */
class DataSetNavigatorWidget : public QWidget
{
    Q_OBJECT
public:
    enum class Button { Insert, Delete, Edit, Post, Cancel, Refresh };
    Q_ENUM(Button)

    DataSetNavigatorWidget(DataSet *dataSet, const QString &name, QWidget *parent = nullptr);

    QToolButton *button(Button which) const { return m_buttons.value(static_cast<int>(which)); }
    /// Enables the buttons for the data set's present state (also done on every change of state).
    void updateButtons();
    /// Ctrl+Delete in `grid` clicks the delete button, so a delete from the grid asks like the button does.
    void takeDeleteKeyFrom(QWidget *grid);

signals:
    void clicked(DataSetNavigatorWidget::Button button);

protected:
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QPointer<DataSet> m_dataSet;
    QList<QToolButton *> m_buttons;
    QList<QPointer<QWidget>> m_grids;
};
