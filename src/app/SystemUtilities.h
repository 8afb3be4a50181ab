// The four system utilities of the menu and the hot keys: the first known desktop program of each kind on PATH.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class SystemUtilities
{
public:
    enum class Utility { Calculator, TextEditor, Screenshot, Magnifier };

    struct Program
    {
        /// Full path of the executable; empty when none of the candidates was found.
        QString path;
        QStringList arguments;
    };

    /// The candidates for a utility, most common desktop first (names of executables, with the arguments
    /// that open their interactive mode).
    static QList<Program> candidates(Utility utility);
    /// Every utility, in the order their hot keys are registered (N25, N26, N28, N27).
    static QList<Utility> all();
    /// The menu item that starts it ("N25" calculator, "N26" text editor, "N28" screenshot, "N27" magnifier).
    static QString itemName(Utility utility);
    /// Its hot-key value (Ctrl+Alt+C 49219, Ctrl+Alt+N 49230, Ctrl+Alt+S 49235, Ctrl+Alt+M 49229).
    static quint32 hotKey(Utility utility);
    /// The utility of a hot-key value; false when the value is none of the four.
    static bool ofHotKey(quint32 value, Utility *utility);

    /// Looks every utility up in `searchPath` (the folders of PATH when empty), once, at start.
    void find(const QStringList &searchPath = {});
    Program program(Utility utility) const;
    bool found(Utility utility) const { return !program(utility).path.isEmpty(); }

private:
    QList<Program> m_found{4};
};
