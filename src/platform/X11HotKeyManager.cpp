#include "platform/X11HotKeyManager.h"

#include <QDebug>
#include <QGuiApplication>
#include <QMetaObject>

#include <X11/Xlib.h>
#include <X11/keysym.h>
#include <xcb/xcb.h>
#include <xcb/xproto.h>

#include <cstdlib>
#include <memory>

namespace {

// The modifiers a hot key is made of; the state of a key press is masked to these before matching.
constexpr quint16 kCombinationMask = XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 | XCB_MOD_MASK_4;
constexpr quint8 kBadAccess = 10;

quint16 xModifiersOf(quint32 value)
{
    quint16 m = 0;
    if (value & HotKey::Shift)
        m |= XCB_MOD_MASK_SHIFT;
    if (value & HotKey::Ctrl)
        m |= XCB_MOD_MASK_CONTROL;
    if (value & HotKey::Alt)
        m |= XCB_MOD_MASK_1;
    if (value & HotKey::Win)
        m |= XCB_MOD_MASK_4;
    return m;
}

/// The modifier bit (Mod1..Mod5, Lock) that carries a lock key's keysym in the server's modifier map, 0
/// when none does.
quint16 modifierHolding(Display *display, XModifierKeymap *map, KeySym keysym)
{
    const KeyCode code = XKeysymToKeycode(display, keysym);
    if (!code || !map)
        return 0;
    for (int mod = 0; mod < 8; ++mod) {
        for (int k = 0; k < map->max_keypermod; ++k) {
            if (map->modifiermap[mod * map->max_keypermod + k] == code)
                return quint16(1u << mod);
        }
    }
    return 0;
}

} // namespace

X11HotKeyManager::X11HotKeyManager(QObject *parent) : HotKeyManager(parent)
{
    // A program without a GUI (a test) has no QGuiApplication at all.
    auto *app = qobject_cast<QGuiApplication *>(QCoreApplication::instance());
    auto *x11 = app ? app->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->display() || !x11->connection())
        return;
    m_display = x11->display();
    m_connection = x11->connection();
    m_root = quint32(DefaultRootWindow(m_display));
    app->installNativeEventFilter(this);
}

X11HotKeyManager::~X11HotKeyManager()
{
    // The grabs belong to the program's connection; they are given back before it goes.
    removeAllHotKeys();
}

quint32 X11HotKeyManager::keysymOf(quint32 vk)
{
    if (vk >= 'A' && vk <= 'Z')
        return XK_a + (vk - 'A');
    if (vk >= '0' && vk <= '9')
        return XK_0 + (vk - '0');
    if (vk >= 0x70 && vk <= 0x87) // F1..F24
        return XK_F1 + (vk - 0x70);
    if (vk >= 0x60 && vk <= 0x69) // keypad digits
        return XK_KP_0 + (vk - 0x60);
    switch (vk) {
    case 0x08: return XK_BackSpace;
    case 0x09: return XK_Tab;
    case 0x0D: return XK_Return;
    case 0x13: return XK_Pause;
    case 0x1B: return XK_Escape;
    case 0x20: return XK_space;
    case 0x21: return XK_Prior;
    case 0x22: return XK_Next;
    case 0x23: return XK_End;
    case 0x24: return XK_Home;
    case 0x25: return XK_Left;
    case 0x26: return XK_Up;
    case 0x27: return XK_Right;
    case 0x28: return XK_Down;
    case 0x2C: return XK_Print;
    case 0x2D: return XK_Insert;
    case 0x2E: return XK_Delete;
    case 0x6A: return XK_KP_Multiply;
    case 0x6B: return XK_KP_Add;
    case 0x6D: return XK_KP_Subtract;
    case 0x6E: return XK_KP_Decimal;
    case 0x6F: return XK_KP_Divide;
    default: return 0;
    }
}

QList<quint16> X11HotKeyManager::lockVariants() const
{
    XModifierKeymap *map = XGetModifierMapping(m_display);
    const quint16 num = modifierHolding(m_display, map, XK_Num_Lock);
    const quint16 scroll = modifierHolding(m_display, map, XK_Scroll_Lock);
    if (map)
        XFreeModifiermap(map);
    QList<quint16> variants;
    for (quint16 locks : {quint16(0), quint16(XCB_MOD_MASK_LOCK)}) {
        for (quint16 n : {quint16(0), num}) {
            for (quint16 s : {quint16(0), scroll}) {
                const quint16 mask = locks | n | s;
                if (!variants.contains(mask))
                    variants << mask;
            }
        }
    }
    return variants;
}

bool X11HotKeyManager::keyOf(quint32 value, Grab *grab) const
{
    const quint32 keysym = keysymOf(HotKey::keyOf(value));
    const KeyCode code = keysym ? XKeysymToKeycode(m_display, keysym) : 0;
    if (!code)
        return false;
    *grab = {value, quint8(code), xModifiersOf(value), {}};
    return true;
}

bool X11HotKeyManager::grab(quint32 value)
{
    if (!m_connection) {
        if (!m_saidUnavailable)
            qWarning().noquote() << "Veltrane: global hot keys need an X11 display; none is registered";
        m_saidUnavailable = true;
        return false;
    }
    Grab g{};
    if (!keyOf(value, &g))
        return false;
    // Not owner_events: a press goes to the root window even while one of the program's own windows has the
    // focus, so it is a hot key there too and never reaches the window as a keystroke as well.
    // Every variant is asked for before any answer is read: one round trip, and BadAccess (another
    // client holds the combination) comes back for each variant it holds.
    const QList<quint16> variants = lockVariants();
    QList<xcb_void_cookie_t> cookies;
    for (quint16 locks : variants)
        cookies << xcb_grab_key_checked(m_connection, 0, m_root, g.modifiers | locks, g.keycode, XCB_GRAB_MODE_ASYNC,
                                        XCB_GRAB_MODE_ASYNC);
    QList<quint16> held;
    int errorCode = 0;
    for (int i = 0; i < cookies.size(); ++i) {
        std::unique_ptr<xcb_generic_error_t, decltype(&std::free)> error(xcb_request_check(m_connection, cookies[i]),
                                                                         &std::free);
        if (!error)
            held << variants[i];
        else if (errorCode != kBadAccess)
            errorCode = error->error_code;
    }
    if (errorCode) {
        // Nothing half-grabbed stays behind; the next attempt starts clean.
        ungrabVariants(g, held);
        if (!m_reportedTaken.contains(value)) {
            if (errorCode == kBadAccess)
                qWarning().noquote() << "Veltrane: the hot key" << HotKey::text(value)
                                     << "is held by another program; it is tried again later";
            else
                qWarning().noquote() << "Veltrane: the hot key" << HotKey::text(value)
                                     << "was refused by the X server, error" << errorCode;
        }
        m_reportedTaken.insert(value);
        return false;
    }
    g.variants = variants;
    m_grabs << g;
    return true;
}

bool X11HotKeyManager::release(quint32 value)
{
    for (int i = 0; i < m_grabs.size(); ++i) {
        if (m_grabs[i].value == value) {
            if (m_connection)
                ungrabVariants(m_grabs[i], m_grabs[i].variants);
            m_grabs.removeAt(i);
            return true;
        }
    }
    return false;
}

void X11HotKeyManager::ungrabVariants(const Grab &grab, const QList<quint16> &variants)
{
    for (quint16 locks : variants)
        xcb_ungrab_key(m_connection, grab.keycode, m_root, grab.modifiers | locks);
    xcb_flush(m_connection);
}

bool X11HotKeyManager::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
    if (eventType != "xcb_generic_event_t")
        return false;
    auto *event = static_cast<xcb_generic_event_t *>(message);
    if ((event->response_type & 0x7f) != XCB_KEY_PRESS)
        return false;
    auto *press = reinterpret_cast<xcb_key_press_event_t *>(event);
    // Only a press delivered through a grab on the root window is a hot key: the same keys typed into one
    // of the program's own windows while another program holds the grab are not.
    if (press->event != m_root)
        return false;
    const quint16 state = press->state & kCombinationMask;
    for (const Grab &g : std::as_const(m_grabs)) {
        if (g.keycode == press->detail && g.modifiers == state) {
            // Handled after the event is done with, outside the platform's event processing.
            const quint32 value = g.value;
            QMetaObject::invokeMethod(
                this,
                [this, value] {
                    reportPressed(value);
                },
                Qt::QueuedConnection);
            return true;
        }
    }
    return false;
}
