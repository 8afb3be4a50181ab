// Small pieces shared by the code that speaks to the X server through xcb: owned replies, atoms, and the
// application's connection when it runs on X11.
#pragma once

#include <QGuiApplication>

#include <array>
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

/// The atoms of the names, all asked for before any answer is read: one round trip for them all. XCB_ATOM_NONE
/// for any the server did not answer.
template<std::size_t N>
std::array<xcb_atom_t, N> atoms(xcb_connection_t *c, const std::array<const char *, N> &names)
{
    std::array<xcb_intern_atom_cookie_t, N> cookies;
    for (std::size_t i = 0; i < N; ++i)
        cookies[i] = xcb_intern_atom(c, 0, uint16_t(std::strlen(names[i])), names[i]);
    std::array<xcb_atom_t, N> result;
    for (std::size_t i = 0; i < N; ++i) {
        Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(c, cookies[i], nullptr));
        result[i] = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    }
    return result;
}

/// The atom of the name, or XCB_ATOM_NONE when the server did not answer.
inline xcb_atom_t atom(xcb_connection_t *c, const char *name)
{
    return atoms<1>(c, {name})[0];
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
