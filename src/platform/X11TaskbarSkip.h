// Keeps a top-level window off the taskbar (and the pager) of an X11 window manager.
#pragma once

class QWindow;

namespace X11TaskbarSkip {

/// Marks `window` _NET_WM_STATE_SKIP_TASKBAR and _NET_WM_STATE_SKIP_PAGER: in its state property while it is not
/// mapped (the window manager reads it at the map), and by a request to the window manager once it is. Call it
/// whenever the window is shown (a window manager drops the state of a withdrawn window). False when not on X11.
bool apply(QWindow *window);

} // namespace X11TaskbarSkip
