// Hands a borderless top-level window to the X11 window manager's interactive move, anchored where the press was.
#pragma once

class QPoint;
class QWindow;

namespace X11WindowMove {

/// Asks the window manager to move `window` with the pointer until the button is released, taking `pressGlobal`
/// (where the button went down) as the point the window follows. A move started some pixels after the press then
/// catches up with the pointer at once instead of trailing it. Returns false when not on X11 or when the window
/// manager does not move windows for clients; the caller then moves the window itself.
bool start(QWindow *window, const QPoint &pressGlobal);

} // namespace X11WindowMove
