#include "platform/X11WindowMove.h"
#include "platform/XcbSupport.h"

#include <QByteArray>
#include <QGuiApplication>
#include <QPoint>
#include <QWindow>

#include <xcb/xcb.h>

namespace {

using xcbsupport::atom;
using xcbsupport::Reply;

/// Whether the window manager lists the request among those it carries out (_NET_SUPPORTED on the root).
bool supported(xcb_connection_t *c, xcb_window_t root, xcb_atom_t request)
{
    const xcb_atom_t list = atom(c, "_NET_SUPPORTED");
    Reply<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(c, xcb_get_property(c, 0, root, list, XCB_ATOM_ATOM, 0, 4096), nullptr));
    if (!reply || reply->format != 32)
        return false;
    const auto *atoms = static_cast<const xcb_atom_t *>(xcb_get_property_value(reply.get()));
    const int count = xcb_get_property_value_length(reply.get()) / int(sizeof(xcb_atom_t));
    for (int i = 0; i < count; ++i)
        if (atoms[i] == request)
            return true;
    return false;
}

} // namespace

bool X11WindowMove::start(QWindow *window, const QPoint &pressGlobal)
{
    // Other platforms (offscreen, for one) may answer for X11 without an X connection behind them.
    if (!window || !window->handle())
        return false;
    xcb_connection_t *c = xcbsupport::connection();
    if (!c)
        return false;
    const auto id = xcb_window_t(window->winId());
    Reply<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(c, xcb_query_tree(c, id), nullptr));
    if (!tree)
        return false;
    const xcb_atom_t moveResize = atom(c, "_NET_WM_MOVERESIZE");
    if (moveResize == XCB_ATOM_NONE || !supported(c, tree->root, moveResize))
        return false;

    xcb_client_message_event_t message;
    std::memset(&message, 0, sizeof message);
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = id;
    message.type = moveResize;
    message.data.data32[0] = uint32_t(pressGlobal.x());
    message.data.data32[1] = uint32_t(pressGlobal.y());
    message.data.data32[2] = 8; // _NET_WM_MOVERESIZE_MOVE
    message.data.data32[3] = XCB_BUTTON_INDEX_1;
    message.data.data32[4] = 1; // a normal application
    // The window manager can only grab the pointer once the press's own grab is let go.
    xcb_ungrab_pointer(c, XCB_CURRENT_TIME);
    xcb_send_event(c, 0, tree->root, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char *>(&message));
    xcb_flush(c);
    return true;
}
