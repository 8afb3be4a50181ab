// "Резервная копия данных": copies the tables and notes to a folder of the user's choice and brings them back.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class Prompts;

class DataBackup
{
public:
    struct Parts
    {
        /// Program folder, ending in '/'.
        QString appDir;
        /// `BackupDir`: preselected in the folder dialog, set to the folder used.
        QString *backupDir = nullptr;
        Prompts *prompts = nullptr;
        /// `ChooseFolder`: the folder dialog with a title, opened on a folder; empty when cancelled.
        std::function<QString(const QString &title, const QString &start)> chooseFolder;
        /// Closes the tables before their files are replaced (throws Failure when one cannot be closed).
        std::function<void()> closeTables;
        /// Opens them again after a restore that did not happen.
        std::function<void()> reopenTables;
        /// After a restore: starts a new copy of the program and ends this one without writing its notes.
        std::function<void()> restart;
    };

    static const QString backupTitle;
    static const QString restoreTitle;

    explicit DataBackup(Parts parts);

    /// `N31Click`: every *.cds and *.rtf file of the program folder copied into the chosen folder. Each file
    /// is copied whole and checked before it replaces a file of the same name there; tables are copied
    /// consistently even while they are being written. A file that cannot be copied is reported with its
    /// name (all of them in one message) and the success message is not shown.
    void backup();
    /// `N32Click`: after the checks and the question, the tables and notes are set aside under their old
    /// names and the folder's *.cds and *.rtf files take their places; then the program restarts. Every copy
    /// is made and checked before anything in the program folder changes, and when a file cannot be put in
    /// place everything goes back as it was: the program keeps the data it had and runs on.
    void restore();

    /// The files a backup or restore copies from `folder`: its *.cds files, then its *.rtf files, by name.
    static QStringList dataFiles(const QString &folder);

private:
    void report(const QStringList &failures);
    /// A restore that did not happen: the tables are opened again, and the failures reported together.
    void reopenAndReport(const QString &failure);

    Parts m_parts;
};
