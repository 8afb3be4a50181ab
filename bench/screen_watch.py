"""Watches the screen of a private X server while a program starts, through libX11 and libXdamage in this process:
no helper processes and no busy polling, so that the watch takes as little as it can of the machine the start is
timed on.

The X server reports every drawing on the screen (a damage object on the root window, which gathers what is drawn
into every window on it), and the watch reads one pixel only after something was drawn. Whether a window is
mapped is read from the window manager's client list (_NET_CLIENT_LIST) and the window's own attributes, with no
round trip to another process.
"""

import ctypes
import ctypes.util
import select

IS_VIEWABLE = 2
XA_ATOM = 4
XA_WINDOW = 33
Z_PIXMAP = 2
# The damage object reports once when its area turns non-empty, and again after it is emptied (XDamageSubtract).
DAMAGE_REPORT_NON_EMPTY = 3


class XWindowAttributes(ctypes.Structure):
    _fields_ = [('x', ctypes.c_int), ('y', ctypes.c_int), ('width', ctypes.c_int), ('height', ctypes.c_int),
                ('border_width', ctypes.c_int), ('depth', ctypes.c_int), ('visual', ctypes.c_void_p),
                ('root', ctypes.c_ulong), ('class_', ctypes.c_int), ('bit_gravity', ctypes.c_int),
                ('win_gravity', ctypes.c_int), ('backing_store', ctypes.c_int), ('backing_planes', ctypes.c_ulong),
                ('backing_pixel', ctypes.c_ulong), ('save_under', ctypes.c_int), ('colormap', ctypes.c_ulong),
                ('map_installed', ctypes.c_int), ('map_state', ctypes.c_int), ('all_event_masks', ctypes.c_long),
                ('your_event_mask', ctypes.c_long), ('do_not_propagate_mask', ctypes.c_long),
                ('override_redirect', ctypes.c_int), ('screen', ctypes.c_void_p)]


def _load(name):
    path = ctypes.util.find_library(name)
    if not path:
        raise OSError(f'lib{name} is not installed')
    return ctypes.CDLL(path)


def _declare(lib, name, restype, *argtypes):
    fn = getattr(lib, name)
    fn.restype = restype
    fn.argtypes = list(argtypes)


_P, _UL, _I = ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int
# Windows can go between being listed and being asked about: their errors are ignored, not fatal to the process.
_ERROR_HANDLER = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)(lambda dpy, event: 0)


class ScreenWatch:
    def __init__(self, display):
        x = self.x = _load('X11')
        d = self.damage_lib = _load('Xdamage')
        _declare(x, 'XOpenDisplay', _P, ctypes.c_char_p)
        _declare(x, 'XCloseDisplay', _I, _P)
        _declare(x, 'XDefaultRootWindow', _UL, _P)
        _declare(x, 'XConnectionNumber', _I, _P)
        _declare(x, 'XPending', _I, _P)
        _declare(x, 'XNextEvent', _I, _P, _P)
        _declare(x, 'XFlush', _I, _P)
        _declare(x, 'XSync', _I, _P, _I)
        _declare(x, 'XFree', _I, _P)
        _declare(x, 'XInternAtom', _UL, _P, ctypes.c_char_p, _I)
        _declare(x, 'XGetImage', _P, _P, _UL, _I, _I, ctypes.c_uint, ctypes.c_uint, _UL, _I)
        _declare(x, 'XGetPixel', _UL, _P, _I, _I)
        _declare(x, 'XDestroyImage', _I, _P)
        _declare(x, 'XGetWindowAttributes', _I, _P, _UL, ctypes.POINTER(XWindowAttributes))
        _declare(x, 'XFetchName', _I, _P, _UL, ctypes.POINTER(ctypes.c_char_p))
        _declare(x, 'XGetWindowProperty', _I, _P, _UL, _UL, ctypes.c_long, ctypes.c_long, _I, _UL,
                 ctypes.POINTER(_UL), ctypes.POINTER(_I), ctypes.POINTER(_UL), ctypes.POINTER(_UL),
                 ctypes.POINTER(ctypes.c_void_p))
        _declare(x, 'XSetErrorHandler', _P, _P)
        _declare(d, 'XDamageQueryExtension', _I, _P, ctypes.POINTER(_I), ctypes.POINTER(_I))
        _declare(d, 'XDamageCreate', _UL, _P, _UL, _I)
        _declare(d, 'XDamageSubtract', None, _P, _UL, _UL, _UL)
        _declare(d, 'XDamageDestroy', None, _P, _UL)

        self.dpy = x.XOpenDisplay(display.encode())
        if not self.dpy:
            raise OSError(f'cannot open display {display}')
        x.XSetErrorHandler(ctypes.cast(_ERROR_HANDLER, ctypes.c_void_p))
        self.root = x.XDefaultRootWindow(self.dpy)
        event_base, error_base = _I(), _I()
        if not d.XDamageQueryExtension(self.dpy, ctypes.byref(event_base), ctypes.byref(error_base)):
            raise OSError(f'the X server of {display} has no DAMAGE extension')
        self.damage_event = event_base.value  # XDamageNotify is the extension's first event
        self.damage = d.XDamageCreate(self.dpy, self.root, DAMAGE_REPORT_NON_EMPTY)
        self.fd = x.XConnectionNumber(self.dpy)
        self.event = ctypes.create_string_buffer(192)  # sizeof(XEvent)
        self.atoms = {name: x.XInternAtom(self.dpy, name.encode(), 0)
                      for name in ('_NET_CLIENT_LIST', '_NET_WM_WINDOW_TYPE', '_NET_WM_WINDOW_TYPE_DIALOG')}
        self.forget_drawing()

    def forget_drawing(self):
        """Drops what was drawn until now: the next wait reports only drawing from here on."""
        self.x.XSync(self.dpy, 0)
        self._drain()
        self.damage_lib.XDamageSubtract(self.dpy, self.damage, 0, 0)
        self.x.XFlush(self.dpy)

    def _drain(self):
        drawn = False
        while self.x.XPending(self.dpy):
            self.x.XNextEvent(self.dpy, self.event)
            drawn |= ctypes.c_int.from_buffer(self.event).value == self.damage_event
        return drawn

    def wait_for_drawing(self, timeout):
        """Sleeps until something is drawn on the screen or timeout seconds pass; True when something was drawn.
        The damage is emptied before returning, so the next drawing wakes the next wait."""
        if not self.x.XPending(self.dpy):
            select.select([self.fd], [], [], timeout)
        drawn = self._drain()
        if drawn:
            self.damage_lib.XDamageSubtract(self.dpy, self.damage, 0, 0)
            self.x.XFlush(self.dpy)
        return drawn

    def rgb(self, x, y):
        image = self.x.XGetImage(self.dpy, self.root, x, y, 1, 1, 0xFFFFFFFF, Z_PIXMAP)
        if not image:
            return None
        try:
            value = self.x.XGetPixel(image, 0, 0)
        finally:
            self.x.XDestroyImage(image)
        return ((value >> 16) & 0xFF, (value >> 8) & 0xFF, value & 0xFF)

    def _property(self, window, name, kind):
        actual, fmt, count, after = _UL(), _I(), _UL(), _UL()
        data = ctypes.c_void_p()
        status = self.x.XGetWindowProperty(self.dpy, window, self.atoms[name], 0, 4096, 0, kind,
                                           ctypes.byref(actual), ctypes.byref(fmt), ctypes.byref(count),
                                           ctypes.byref(after), ctypes.byref(data))
        if status != 0 or not data.value:
            return []
        try:
            # Items of format 32 come as C longs.
            return list((ctypes.c_ulong * count.value).from_address(data.value)) if fmt.value == 32 else []
        finally:
            self.x.XFree(data)

    def _name(self, window):
        text = ctypes.c_char_p()
        if not self.x.XFetchName(self.dpy, window, ctypes.byref(text)) or not text.value:
            return None
        try:
            return text.value.decode('latin-1')
        finally:
            self.x.XFree(ctypes.cast(text, ctypes.c_void_p))

    def window_shown(self, name, min_size):
        """A window managed by the window manager, titled name, is viewable, at least min_size on each side, and no
        dialog."""
        for window in self._property(self.root, '_NET_CLIENT_LIST', XA_WINDOW):
            attrs = XWindowAttributes()
            if not self.x.XGetWindowAttributes(self.dpy, window, ctypes.byref(attrs)):
                continue
            if attrs.map_state != IS_VIEWABLE or attrs.width < min_size or attrs.height < min_size:
                continue
            if self._name(window) != name:
                continue
            if self.atoms['_NET_WM_WINDOW_TYPE_DIALOG'] in self._property(window, '_NET_WM_WINDOW_TYPE', XA_ATOM):
                continue
            return True
        return False

    def close(self):
        self.damage_lib.XDamageDestroy(self.dpy, self.damage)
        self.x.XCloseDisplay(self.dpy)
