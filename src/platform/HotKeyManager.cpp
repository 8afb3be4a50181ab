#include "platform/HotKeyManager.h"

#include <QStringList>

QString HotKey::text(quint32 value)
{
    QStringList parts;
    if (value & Ctrl)
        parts << QStringLiteral("Ctrl");
    if (value & Alt)
        parts << QStringLiteral("Alt");
    if (value & Shift)
        parts << QStringLiteral("Shift");
    if (value & Win)
        parts << QStringLiteral("Win");
    const quint32 key = keyOf(value);
    if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z'))
        parts << QString(QChar(key));
    else if (key >= 0x70 && key <= 0x87)
        parts << QStringLiteral("F%1").arg(key - 0x70 + 1);
    else
        parts << QStringLiteral("0x%1").arg(key, 2, 16, QLatin1Char('0'));
    return parts.join(QLatin1Char('+'));
}

HotKeyManager::HotKeyManager(QObject *parent) : QObject(parent) {}

int HotKeyManager::addHotKey(quint32 value)
{
    // Asking the platform again for a combination this program holds would not be refused everywhere
    // (X11 lets a client repeat its own grab), and the list must never hold it twice.
    for (const Entry &e : std::as_const(m_entries)) {
        if (e.value == value)
            return 0;
    }
    if (!grab(value))
        return 0;
    const int id = identifierOf(value);
    m_entries.append({value, id});
    return id;
}

void HotKeyManager::removeAllHotKeys()
{
    while (!m_entries.isEmpty())
        release(m_entries.takeLast().value);
}

void HotKeyManager::reportPressed(quint32 value)
{
    for (const Entry &e : std::as_const(m_entries)) {
        if (e.value == value) {
            emit hotKeyPressed(value, e.id);
            return;
        }
    }
}

int HotKeyManager::identifierOf(quint32 value)
{
    auto it = m_ids.constFind(value);
    if (it != m_ids.constEnd())
        return it.value();
    const int id = m_ids.size() + 1;
    m_ids.insert(value, id);
    return id;
}
