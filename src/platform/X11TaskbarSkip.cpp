#include "platform/X11TaskbarSkip.h"
#include "platform/XcbSupport.h"

#include <QGuiApplication>
#include <QWindow>

#include <algorithm>
#include <optional>
#include <xcb/xcb.h>

namespace {

using xcbsupport::Reply;

struct StateAtoms
{
    xcb_atom_t state;
    xcb_atom_t skip[2];
};

/// The state's atoms, asked for together the first time and kept for the connection: the window is marked before
/// its map and again right after it, on the way to its first picture, where each round trip to the server counts.
/// Nothing is kept while the server does not answer for all three.
std::optional<StateAtoms> stateAtoms(xcb_connection_t *c)
{
    static xcb_connection_t *keptFor = nullptr;
    static StateAtoms kept{};
    if (keptFor != c) {
        const auto got
            = xcbsupport::atoms<3>(c, {"_NET_WM_STATE", "_NET_WM_STATE_SKIP_TASKBAR", "_NET_WM_STATE_SKIP_PAGER"});
        if (std::find(got.begin(), got.end(), xcb_atom_t(XCB_ATOM_NONE)) != got.end())
            return std::nullopt;
        kept = {got[0], {got[1], got[2]}};
        keptFor = c;
    }
    return kept;
}

} // namespace

bool X11TaskbarSkip::apply(QWindow *window)
{
    if (!window)
        return false;
    xcb_connection_t *c = xcbsupport::connection();
    if (!c)
        return false;
    const auto id = xcb_window_t(window->winId());
    const std::optional<StateAtoms> atoms = stateAtoms(c);
    if (!atoms)
        return false;
    const xcb_atom_t state = atoms->state;

    // Both asked for before either answer is read: one round trip.
    const xcb_get_property_cookie_t stateCookie = xcb_get_property(c, 0, id, state, XCB_ATOM_ATOM, 0, 1024);
    const xcb_query_tree_cookie_t treeCookie = xcb_query_tree(c, id);
    Reply<xcb_get_property_reply_t> current(xcb_get_property_reply(c, stateCookie, nullptr));
    Reply<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(c, treeCookie, nullptr));

    // Not mapped: the property itself, kept with whatever states it holds already.
    for (const xcb_atom_t a : atoms->skip) {
        bool present = false;
        if (current && current->format == 32) {
            const auto *held = static_cast<const xcb_atom_t *>(xcb_get_property_value(current.get()));
            const int count = xcb_get_property_value_length(current.get()) / int(sizeof(xcb_atom_t));
            for (int i = 0; i < count && !present; ++i)
                present = held[i] == a;
        }
        if (!present)
            xcb_change_property(c, XCB_PROP_MODE_APPEND, id, state, XCB_ATOM_ATOM, 32, 1, &a);
    }

    // Mapped: the window manager owns the property and takes the change as a request.
    if (tree) {
        xcb_client_message_event_t message;
        std::memset(&message, 0, sizeof message);
        message.response_type = XCB_CLIENT_MESSAGE;
        message.format = 32;
        message.window = id;
        message.type = state;
        message.data.data32[0] = 1; // add
        message.data.data32[1] = atoms->skip[0];
        message.data.data32[2] = atoms->skip[1];
        message.data.data32[3] = 1; // from an application
        xcb_send_event(c, 0, tree->root, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char *>(&message));
    }
    xcb_flush(c);
    return true;
}
