#include "platform/X11TaskbarSkip.h"
#include "platform/XcbSupport.h"

#include <QGuiApplication>
#include <QWindow>

#include <xcb/xcb.h>

namespace {

using xcbsupport::atom;
using xcbsupport::Reply;

} // namespace

bool X11TaskbarSkip::apply(QWindow *window)
{
    if (!window)
        return false;
    xcb_connection_t *c = xcbsupport::connection();
    if (!c)
        return false;
    const auto id = xcb_window_t(window->winId());
    const xcb_atom_t state = atom(c, "_NET_WM_STATE");
    const xcb_atom_t skip[2] = {atom(c, "_NET_WM_STATE_SKIP_TASKBAR"), atom(c, "_NET_WM_STATE_SKIP_PAGER")};
    if (state == XCB_ATOM_NONE || skip[0] == XCB_ATOM_NONE || skip[1] == XCB_ATOM_NONE)
        return false;

    // Not mapped: the property itself, kept with whatever states it holds already.
    Reply<xcb_get_property_reply_t> current(
        xcb_get_property_reply(c, xcb_get_property(c, 0, id, state, XCB_ATOM_ATOM, 0, 1024), nullptr));
    for (const xcb_atom_t a : skip) {
        bool present = false;
        if (current && current->format == 32) {
            const auto *atoms = static_cast<const xcb_atom_t *>(xcb_get_property_value(current.get()));
            const int count = xcb_get_property_value_length(current.get()) / int(sizeof(xcb_atom_t));
            for (int i = 0; i < count && !present; ++i)
                present = atoms[i] == a;
        }
        if (!present)
            xcb_change_property(c, XCB_PROP_MODE_APPEND, id, state, XCB_ATOM_ATOM, 32, 1, &a);
    }

    // Mapped: the window manager owns the property and takes the change as a request.
    Reply<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(c, xcb_query_tree(c, id), nullptr));
    if (tree) {
        xcb_client_message_event_t message;
        std::memset(&message, 0, sizeof message);
        message.response_type = XCB_CLIENT_MESSAGE;
        message.format = 32;
        message.window = id;
        message.type = state;
        message.data.data32[0] = 1; // add
        message.data.data32[1] = skip[0];
        message.data.data32[2] = skip[1];
        message.data.data32[3] = 1; // from an application
        xcb_send_event(c, 0, tree->root, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char *>(&message));
    }
    xcb_flush(c);
    return true;
}
