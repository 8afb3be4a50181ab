#include "app/MenuState.h"

#include <QStringList>

MenuVisibility MenuState::forView(View view)
{
    MenuVisibility v;
    switch (view) {
    case View::Clock:
        // The clock surface offers nothing to edit; both separators go so the menu stays compact.
        return v;
    case View::Calendar:
        // The calendar grid is read-only: no edit or format commands, but the separators stay.
        v.separators = true;
        return v;
    case View::Events:
        v.edit = true;
        v.separators = true;
        return v;
    case View::PhoneBook:
        v.edit = true;
        v.remind = true;
        v.ipPhone = true;
        v.separators = true;
        return v;
    case View::Note1:
    case View::Note2:
    case View::Note3:
    case View::Note4:
        v.edit = true;
        v.format = true;
        v.remind = true;
        v.noteCommands = true;
        v.separators = true;
        return v;
    }
    return v;
}

bool MenuState::isNote(View view)
{
    return noteIndex(view) >= 0;
}

int MenuState::noteIndex(View view)
{
    switch (view) {
    case View::Note1: return 0;
    case View::Note2: return 1;
    case View::Note3: return 2;
    case View::Note4: return 3;
    default: return -1;
    }
}

QString MenuState::name(View view)
{
    switch (view) {
    case View::Clock: return QStringLiteral("clock");
    case View::Calendar: return QStringLiteral("calendar");
    case View::Events: return QStringLiteral("events");
    case View::PhoneBook: return QStringLiteral("phonebook");
    case View::Note1: return QStringLiteral("note1");
    case View::Note2: return QStringLiteral("note2");
    case View::Note3: return QStringLiteral("note3");
    case View::Note4: return QStringLiteral("note4");
    }
    return {};
}

QStringList MenuState::editItems()
{
    return {QStringLiteral("Cut1"), QStringLiteral("Copy1"), QStringLiteral("Paste1")};
}

QStringList MenuState::formatItems()
{
    return {QStringLiteral("Bold1"), QStringLiteral("Italic1"), QStringLiteral("Underline1"),
            QStringLiteral("Strikeout1"), QStringLiteral("Bullets1")};
}

QStringList MenuState::noteCommandItems()
{
    return {QStringLiteral("N34"), QStringLiteral("N29")};
}
