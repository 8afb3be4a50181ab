// How Qt's X11 platform hands window contents to the X server: inside its requests, not through shared memory.
#pragma once

/// For its life (made before the application connects to the display, ended right after): Qt's X11 platform
/// sends window contents inside its requests instead of through an MIT-SHM segment. A segment must not be
/// written while the server may still read it, so before each paint into a region sent through it Qt waits for
/// a round trip to the server; the clock's labels are repainted every second, which made one such wait (and two
/// thread wakeups) a second while idle. Sent inside the requests, a label's few kilobytes cost less than that.
/// The variable Qt reads at the connection (QT_XCB_NO_MITSHM) is set only if the user has not set it, and is
/// removed again at the end of the scope, so programs started from here later keep their own choice.
class XcbImagesInRequests
{
public:
    XcbImagesInRequests();
    ~XcbImagesInRequests();
    XcbImagesInRequests(const XcbImagesInRequests &) = delete;
    XcbImagesInRequests &operator=(const XcbImagesInRequests &) = delete;

private:
    bool m_setHere = false;
};
