// Global hot keys on X11: key grabs on the root window, seen through Qt's native event filter.
#pragma once

#include "platform/HotKeyManager.h"

#include <QAbstractNativeEventFilter>
#include <QList>
#include <QSet>

struct xcb_connection_t;
typedef struct _XDisplay Display;

class X11HotKeyManager : public HotKeyManager, public QAbstractNativeEventFilter
{
    Q_OBJECT
public:
    /// Uses the application's X11 connection. Without one (a Wayland session without XWayland, the
    /// offscreen platform) every registration is refused, and the first refusal says why on the log.
    explicit X11HotKeyManager(QObject *parent = nullptr);
    ~X11HotKeyManager() override;

    /// The X keysym of a virtual key code (letters, digits, function keys, the keypad and the keys between
    /// them), 0 for a code without one.
    static quint32 keysymOf(quint32 virtualKey);

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

protected:
    bool grab(quint32 value) override;
    bool release(quint32 value) override;

private:
    struct Grab
    {
        quint32 value;
        quint8 keycode;
        quint16 modifiers;
        /// The lock masks grabbed with it, released with it.
        QList<quint16> variants;
    };

    /// The modifier masks that may be locked while a combination is pressed (Caps Lock, Num Lock, Scroll
    /// Lock): a grab is made for every mix of them, since X matches the state exactly.
    QList<quint16> lockVariants() const;
    bool keyOf(quint32 value, Grab *grab) const;
    void ungrabVariants(const Grab &grab, const QList<quint16> &variants);

    Display *m_display = nullptr;
    xcb_connection_t *m_connection = nullptr;
    quint32 m_root = 0;
    QList<Grab> m_grabs;
    /// Combinations whose refusal was already logged: said once, not at every retry.
    QSet<quint32> m_reportedTaken;
    bool m_saidUnavailable = false;
};
