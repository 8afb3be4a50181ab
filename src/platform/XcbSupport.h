// Small pieces shared by the code that speaks to the X server through xcb: owned replies, atoms, and the
// application's connection when it runs on X11.
#pragma once

#include <QGuiApplication>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <xcb/xcb.h>

namespace xcbsupport {

struct FreeReply
{
    void operator()(void *reply) const { std::free(reply); }
};
/// An xcb reply, freed when it goes.
template<typename T>
using Reply = std::unique_ptr<T, FreeReply>;

/// The atom of the name, or XCB_ATOM_NONE when the server did not answer.
inline xcb_atom_t atom(xcb_connection_t *c, const char *name)
{
    Reply<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(std::strlen(name)), name), nullptr));
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

/// The application's X connection, or nullptr when it does not run on X11.
inline xcb_connection_t *connection()
{
    if (!qGuiApp || QGuiApplication::platformName() != QLatin1String("xcb"))
        return nullptr;
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

} // namespace xcbsupport
