// Global hot keys: registers key combinations for the whole desktop and reports the ones pressed.
#pragma once

#include <QHash>
#include <QList>
#include <QObject>

/// A hot-key value has the layout of a menu shortcut: the virtual key code of the main key in bits 0-7
/// (letters and digits are their upper-case ASCII codes, F1 is 0x70), and the modifiers below.
namespace HotKey {
inline constexpr quint32 Shift = 0x2000;
inline constexpr quint32 Ctrl = 0x4000;
inline constexpr quint32 Alt = 0x8000;
inline constexpr quint32 Win = 0x10000;
inline constexpr quint32 ModifierMask = Shift | Ctrl | Alt | Win;

inline constexpr quint32 keyOf(quint32 value)
{
    return value & 0xff;
}
inline constexpr quint32 modifiersOf(quint32 value)
{
    return value & ModifierMask;
}
/// "Ctrl+Alt+C" for 49219: for messages and logs.
QString text(quint32 value);
} // namespace HotKey

/// Keeps the list of registered combinations, each once, with an identifier that belongs to its value (the
/// same value always gets the same identifier). The platform part only grabs and releases combinations and
/// tells the manager what was pressed.
class HotKeyManager : public QObject
{
    Q_OBJECT
public:
    struct Entry
    {
        quint32 value;
        int id;
    };

    explicit HotKeyManager(QObject *parent = nullptr);

    /// `AddHotKey`: registers the combination and returns its identifier, or 0 when the platform refused it
    /// (another program holds it, no key of that code, no display) or this manager already holds it; a
    /// refusal adds nothing to the list.
    int addHotKey(quint32 value);
    /// Releases every registered combination, the last registered first, and empties the list. Platform
    /// classes call it from their destructors, so every grab is released at exit.
    void removeAllHotKeys();
    QList<Entry> entries() const { return m_entries; }

signals:
    /// `OnHotKeyPressed`: a registered combination was pressed somewhere on the desktop.
    void hotKeyPressed(quint32 value, int id);

protected:
    /// Asks the platform for the combination; false when it refuses. Never called for a value the
    /// manager already holds.
    virtual bool grab(quint32 value) = 0;
    /// Gives the combination back to the platform; false when the platform did not release it.
    virtual bool release(quint32 value) = 0;
    /// The platform saw a combination pressed; reported only while it is in the list.
    void reportPressed(quint32 value);

private:
    int identifierOf(quint32 value);

    QList<Entry> m_entries;
    QHash<quint32, int> m_ids;
};
