// The popup menu's note commands wired to the quick notes: each acts on the note that is shown.
#pragma once

#include <functional>

class PopupMenuWidget;
class QuickNotes;
class QString;

/*
 * Bold1..Bullets1, N37, N38, N34 and N29 act on the note whose toolbar button is down and do nothing in the
 * other views, except N38, which makes a call reminder while the phone book is shown. The format items carry
 * their check marks from the shown note's selection each time the menu opens. A failure of a command is
 * reported, never thrown out of the menu's slot.
 *
 *   NoteMenu::wire(menu, notes, [this] { phonePanel->callReminder(); }, report);
 */
namespace NoteMenu {

void wire(PopupMenuWidget *menu, QuickNotes *notes, std::function<void()> callReminder,
          std::function<void(const QString &)> report);

} // namespace NoteMenu
