// `Panel2`: the toolbar column of eight exclusive view buttons, and the switch that shows the chosen view.
#pragma once

#include "app/MenuState.h"

#include <QHash>
#include <QPointer>
#include <QWidget>
#include <functional>

class QButtonGroup;
class QToolButton;

class ToolbarPanel : public QWidget
{
    Q_OBJECT
public:
    explicit ToolbarPanel(QWidget *parent = nullptr);

    /// The view whose button is down.
    View currentView() const { return m_view; }
    /// The button of a view ("SpeedButton1" for the clock ... "SpeedButton8" for note 4).
    QToolButton *button(View view) const;
    static QString buttonName(View view);
    /// The views in the order of their buttons, top to bottom.
    static QList<View> buttonOrder();

    /// Registers what a view shows (a panel or a note) and which control then takes the keyboard focus
    /// (null for none). The clock view shows nothing of its own: it is what remains when all are hidden.
    void setViewTarget(View view, QWidget *page, QWidget *focus);
    /// Runs first in every showView, with the view about to show: a page made at its first need is made
    /// there and registered with setViewTarget.
    void setBeforeShow(std::function<void(View)> beforeShow) { m_beforeShow = std::move(beforeShow); }
    /// `HideAllPanels`: hides Panel3, Panel4, Panel5, then RichEdit1..RichEdit4.
    void hideAllPanels();
    /// Presses the button of `view` as the user would: everything hides, the view's page shows and its
    /// control takes the focus; viewChanged is emitted even when the view was already showing.
    void showView(View view);

signals:
    /// A view was shown (by a button or by showView).
    void viewChanged(View view);

private:
    struct Target
    {
        QPointer<QWidget> page;
        QPointer<QWidget> focus;
    };

    QButtonGroup *m_group = nullptr;
    QHash<int, QToolButton *> m_buttons;
    QHash<int, Target> m_targets;
    View m_view = View::Clock;
    std::function<void(View)> m_beforeShow;
};
