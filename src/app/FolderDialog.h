// `ChooseFolder`: the folder browser of the backup commands.
#pragma once

#include <QString>

class FolderDialog
{
public:
    /// A folder dialog titled `title`, modal to the program's windows, opened on `start` (the user's home
    /// folder when empty or gone). Returns the chosen folder without a trailing separator ("/" for the
    /// root), or empty text when the user cancels.
    static QString choose(const QString &title, const QString &start);
};
