#include "app/SystemUtilities.h"

#include "platform/HotKeyManager.h"

#include <QStandardPaths>

namespace {

struct UtilityRow
{
    SystemUtilities::Utility utility;
    const char *item;
    quint32 hotKey;
};

// Registration order of the hot keys, which is also the order the items are looked up in.
const UtilityRow kRows[] = {
    {SystemUtilities::Utility::Calculator, "N25", HotKey::Ctrl | HotKey::Alt | 'C'},
    {SystemUtilities::Utility::TextEditor, "N26", HotKey::Ctrl | HotKey::Alt | 'N'},
    {SystemUtilities::Utility::Screenshot, "N28", HotKey::Ctrl | HotKey::Alt | 'S'},
    {SystemUtilities::Utility::Magnifier, "N27", HotKey::Ctrl | HotKey::Alt | 'M'},
};

const UtilityRow &rowOf(SystemUtilities::Utility utility)
{
    for (const UtilityRow &r : kRows) {
        if (r.utility == utility)
            return r;
    }
    return kRows[0];
}

SystemUtilities::Program candidate(const char *name, QStringList arguments = {})
{
    return {QString::fromLatin1(name), arguments};
}

} // namespace

QList<SystemUtilities::Program> SystemUtilities::candidates(Utility utility)
{
    switch (utility) {
    case Utility::Calculator:
        return {
            candidate("gnome-calculator"), candidate("kcalc"),       candidate("galculator"), candidate("mate-calc"),
            candidate("qalculate-gtk"),    candidate("speedcrunch"), candidate("xcalc")};
    case Utility::TextEditor:
        return {candidate("gnome-text-editor"), candidate("gedit"), candidate("kwrite"), candidate("kate"),
                candidate("mousepad"),          candidate("pluma"), candidate("xed"),    candidate("featherpad"),
                candidate("leafpad"),           candidate("xedit")};
    case Utility::Screenshot:
        return {candidate("gnome-screenshot", {QStringLiteral("--interactive")}),
                candidate("spectacle"),
                candidate("xfce4-screenshooter"),
                candidate("mate-screenshot", {QStringLiteral("--interactive")}),
                candidate("flameshot", {QStringLiteral("gui")}),
                candidate("ksnip")};
    case Utility::Magnifier: return {candidate("kmag"), candidate("magnus"), candidate("xzoom"), candidate("xmag")};
    }
    return {};
}

QList<SystemUtilities::Utility> SystemUtilities::all()
{
    QList<Utility> list;
    for (const UtilityRow &r : kRows)
        list << r.utility;
    return list;
}

QString SystemUtilities::itemName(Utility utility)
{
    return QString::fromLatin1(rowOf(utility).item);
}

quint32 SystemUtilities::hotKey(Utility utility)
{
    return rowOf(utility).hotKey;
}

bool SystemUtilities::ofHotKey(quint32 value, Utility *utility)
{
    for (const UtilityRow &r : kRows) {
        if (r.hotKey == value) {
            *utility = r.utility;
            return true;
        }
    }
    return false;
}

void SystemUtilities::find(const QStringList &searchPath)
{
    for (Utility u : all()) {
        Program &found = m_found[int(u)];
        found = {};
        for (const Program &c : candidates(u)) {
            const QString path = QStandardPaths::findExecutable(c.path, searchPath);
            if (!path.isEmpty()) {
                found = {path, c.arguments};
                break;
            }
        }
    }
}

SystemUtilities::Program SystemUtilities::program(Utility utility) const
{
    return m_found.value(int(utility));
}
