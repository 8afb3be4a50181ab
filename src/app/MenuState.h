// Which view-dependent popup-menu commands a view offers: the table the menu applies before it opens.
#pragma once

#include <QString>
#include <QStringList>

/// The view the toolbar has chosen: the clock surface, one of the three panels, or one of the four notes.
enum class View { Clock, Calendar, Events, PhoneBook, Note1, Note2, Note3, Note4 };

struct MenuVisibility
{
    bool edit = false;         ///< Cut1, Copy1, Paste1
    bool format = false;       ///< Bold1, Italic1, Underline1, Strikeout1, Bullets1
    bool remind = false;       ///< N38 "Напомнить"
    bool ipPhone = false;      ///< IP1 "Позвонить по IP телефону"
    bool noteCommands = false; ///< N34 "Открыть в редакторе", N29 "Вставить дату, время"
    bool separators = false; ///< the separators N44 and N6

    bool operator==(const MenuVisibility &) const = default;
};

class MenuState
{
public:
    /// The visibility of the view-specific commands while `view` is showing.
    static MenuVisibility forView(View view);
    static bool isNote(View view);
    /// Index 0..3 of the note a note view shows, -1 for the other views.
    static int noteIndex(View view);
    /// A short name for logs and test rows ("clock", "note2", ...).
    static QString name(View view);
    /// The names of the menu items each group of MenuVisibility stands for, in menu order.
    static QStringList editItems();
    static QStringList formatItems();
    static QStringList noteCommandItems();
};
