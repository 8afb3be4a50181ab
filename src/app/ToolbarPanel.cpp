#include "app/ToolbarPanel.h"

#include "app/PrerenderedIcons.h"

#include <QButtonGroup>
#include <QToolButton>

namespace {

struct ButtonSpec
{
    const char *name;
    const char *hint;
    const char *icon;
    View view;
    int y;
};

// Top to bottom. The calendar hint really has two blanks.
const ButtonSpec kButtons[] = {
    {"SpeedButton1", "Время работы бирж", ":/toolbar-clock.svg", View::Clock, 1},
    {"SpeedButton10", "Экономический  календарь", ":/toolbar-calendar.svg", View::Calendar, 36},
    {"SpeedButton3", "Планирование событий", ":/toolbar-planner.svg", View::Events, 71},
    {"SpeedButton2", "Телефонная книга", ":/toolbar-phonebook.svg", View::PhoneBook, 106},
    {"SpeedButton5", "Быстрые записи", ":/toolbar-note-black.svg", View::Note1, 141},
    {"SpeedButton6", "Быстрые записи", ":/toolbar-note-yellow.svg", View::Note2, 176},
    {"SpeedButton7", "Быстрые записи", ":/toolbar-note-blue.svg", View::Note3, 211},
    {"SpeedButton8", "Быстрые записи", ":/toolbar-note-red.svg", View::Note4, 246},
};

// The order in which HideAllPanels hides: Panel3 (phone book), Panel4 (events), Panel5 (calendar), the notes.
const View kHideOrder[]
    = {View::PhoneBook, View::Events, View::Calendar, View::Note1, View::Note2, View::Note3, View::Note4};

} // namespace

ToolbarPanel::ToolbarPanel(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Panel2"));
    setGeometry(478, 0, 32, 290);
    m_group = new QButtonGroup(this);
    m_group->setExclusive(true);
    for (const ButtonSpec &spec : kButtons) {
        auto *b = new QToolButton(this);
        b->setObjectName(QString::fromLatin1(spec.name));
        b->setGeometry(1, spec.y, 30, 35);
        b->setCheckable(true);
        b->setAutoRaise(true);
        b->setFocusPolicy(Qt::NoFocus);
        b->setToolTip(QString::fromUtf8(spec.hint));
        b->setIcon(PrerenderedIcons::icon(spec.icon));
        b->setIconSize(QSize(24, 24));
        m_group->addButton(b, static_cast<int>(spec.view));
        m_buttons.insert(static_cast<int>(spec.view), b);
    }
    button(View::Clock)->setChecked(true);
    // A click on the button that is already down still shows its view again.
    connect(m_group, &QButtonGroup::idClicked, this, [this](int id) {
        showView(static_cast<View>(id));
    });
}

QToolButton *ToolbarPanel::button(View view) const
{
    return m_buttons.value(static_cast<int>(view));
}

QString ToolbarPanel::buttonName(View view)
{
    for (const ButtonSpec &spec : kButtons) {
        if (spec.view == view)
            return QString::fromLatin1(spec.name);
    }
    return {};
}

QList<View> ToolbarPanel::buttonOrder()
{
    QList<View> order;
    for (const ButtonSpec &spec : kButtons)
        order << spec.view;
    return order;
}

void ToolbarPanel::setViewTarget(View view, QWidget *page, QWidget *focus)
{
    m_targets.insert(static_cast<int>(view), Target{page, focus});
}

void ToolbarPanel::hideAllPanels()
{
    for (View v : kHideOrder) {
        if (QWidget *page = m_targets.value(static_cast<int>(v)).page)
            page->hide();
    }
}

void ToolbarPanel::showView(View view)
{
    if (m_beforeShow)
        m_beforeShow(view);
    m_view = view;
    if (QToolButton *b = button(view); b && !b->isChecked())
        b->setChecked(true);
    hideAllPanels();
    const Target t = m_targets.value(static_cast<int>(view));
    // No raise(): the toolbar stays on top where the 481-pixel panels reach under its column.
    if (t.page)
        t.page->show();
    if (t.focus)
        t.focus->setFocus(Qt::OtherFocusReason);
    emit viewChanged(view);
}
