#include "app/NoteMenu.h"

#include "app/PopupMenuWidget.h"
#include "notes/QuickNotes.h"
#include "platform/Failure.h"

#include <QAction>

void NoteMenu::wire(PopupMenuWidget *menu, QuickNotes *notes, std::function<void()> callReminder,
                    std::function<void(const QString &)> report)
{
    auto onShownNote = [=](const char *item, void (QuickNotes::*command)(int)) {
        QObject::connect(menu->item(QLatin1String(item)), &QAction::triggered, notes, [=] {
            const int index = MenuState::noteIndex(menu->currentView());
            if (index < 0)
                return;
            try {
                (notes->*command)(index);
            } catch (const Failure &f) {
                report(f.text());
            }
        });
    };
    onShownNote("Bold1", &QuickNotes::toggleBold);
    onShownNote("Italic1", &QuickNotes::toggleItalic);
    onShownNote("Underline1", &QuickNotes::toggleUnderline);
    onShownNote("Strikeout1", &QuickNotes::toggleStrikeOut);
    onShownNote("Bullets1", &QuickNotes::toggleBullets);
    onShownNote("N37", &QuickNotes::chooseFont);
    onShownNote("N38", &QuickNotes::remind);
    onShownNote("N34", &QuickNotes::openInEditor);
    onShownNote("N29", &QuickNotes::insertDateTime);
    // With the phone book shown, "Напомнить" makes a call reminder for the current contact.
    QObject::connect(menu->item(QStringLiteral("N38")), &QAction::triggered, notes, [=] {
        if (menu->currentView() == View::PhoneBook && callReminder)
            callReminder();
    });
    QObject::connect(menu, &QMenu::aboutToShow, notes, [=] {
        const int index = MenuState::noteIndex(menu->currentView());
        if (index < 0)
            return;
        const QuickNotes::FormatState state = notes->formatState(index);
        menu->item(QStringLiteral("Bold1"))->setChecked(state.bold);
        menu->item(QStringLiteral("Italic1"))->setChecked(state.italic);
        menu->item(QStringLiteral("Underline1"))->setChecked(state.underline);
        menu->item(QStringLiteral("Strikeout1"))->setChecked(state.strikeOut);
        menu->item(QStringLiteral("Bullets1"))->setChecked(state.bullets);
    });
}
