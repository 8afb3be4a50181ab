"""Measures the program's start-up on a private desktop, offline: time to the first paint and resident memory.

The first paint is seen on the screen itself: a pixel of the 24-hour ruler (navy once the clock face is drawn) is
read straight from the X server about every millisecond. Window mapped is timed too. Memory is VmRSS of the program
itself and of its whole process tree, SETTLE seconds after the first paint. Prints one line per run and a summary.
"""

import ctypes
import ctypes.util
import os
import shutil
import statistics
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'tests', 'e2e'))
import veltrane_e2e as e2e  # noqa: E402

SETTLE = 5.0
# The window opens at 200, 200 in a fresh folder; the ruler strip is navy, and left of the first hour line and its
# label (x 20, x 6) nothing else is drawn on it.
RULER_PIXEL = (200 + 3, 200 + 10)
NAVY = (0, 0, 128)


class PixelReader:
    """Reads one pixel of the root window through libX11 (fast enough to poll every millisecond)."""

    def __init__(self, display):
        self.lib = ctypes.CDLL(ctypes.util.find_library('X11') or 'libX11.so.6')
        self.lib.XOpenDisplay.restype = ctypes.c_void_p
        self.lib.XOpenDisplay.argtypes = [ctypes.c_char_p]
        self.lib.XDefaultRootWindow.restype = ctypes.c_ulong
        self.lib.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        self.lib.XGetImage.restype = ctypes.c_void_p
        self.lib.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int, ctypes.c_uint,
                                       ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
        self.lib.XGetPixel.restype = ctypes.c_ulong
        self.lib.XGetPixel.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int]
        self.lib.XDestroyImage.argtypes = [ctypes.c_void_p]
        self.lib.XCloseDisplay.argtypes = [ctypes.c_void_p]
        self.dpy = self.lib.XOpenDisplay(display.encode())
        if not self.dpy:
            raise e2e.HarnessError(f'cannot open display {display}')
        self.root = self.lib.XDefaultRootWindow(self.dpy)

    def rgb(self, x, y):
        image = self.lib.XGetImage(self.dpy, self.root, x, y, 1, 1, 0xFFFFFFFF, 2)  # ZPixmap
        if not image:
            return None
        try:
            value = self.lib.XGetPixel(image, 0, 0)
        finally:
            self.lib.XDestroyImage(image)
        return ((value >> 16) & 0xFF, (value >> 8) & 0xFF, value & 0xFF)

    def close(self):
        self.lib.XCloseDisplay(self.dpy)


def main_window_mapped(desk):
    """The main window is on screen: titled like the program, larger than a tray icon, not a message box."""
    for wid in desk.windows(cls=e2e.PROGRAM_NAME, name=f'^{e2e.PROGRAM_NAME}$'):
        try:
            geo = desk.geometry(wid)
        except e2e.HarnessError:
            continue
        if geo.width >= 65 and geo.height >= 65 and 'DIALOG' not in desk.window_types(wid):
            return True
    return False


def one_run(desk, pixels, workdir, n):
    folder = e2e.ProgramFolder(e2e.program_source_dir(), tempfile.mkdtemp(prefix=f'run{n}-', dir=workdir))
    started = time.monotonic()
    prog = desk.start_program(folder, lang='ru_RU.UTF-8', tz='Europe/Moscow', wrap=e2e.OFFLINE)
    try:
        # The pixel is cheap to read and is read often; the window look-up runs a tool, so less often.
        mapped = painted = None
        deadline = started + 120
        next_look = started
        while painted is None or mapped is None:
            now = time.monotonic()
            if painted is None and pixels.rgb(*RULER_PIXEL) == NAVY:
                painted = now
            if not prog.running():
                raise e2e.HarnessError(f'program ended:\n{prog.output()}')
            if mapped is None and now >= next_look:
                if main_window_mapped(desk):
                    mapped = time.monotonic()
                next_look = now + 0.05
            if now > deadline:
                raise e2e.HarnessError('no painted window within 120 s')
            time.sleep(0.001)
        time.sleep(SETTLE)
        boxes = prog.message_boxes()
        if boxes:
            print(f'run {n}: a message box is open: {[title for _, title in boxes]}', flush=True)
        rss, tree = prog.rss_kb(), prog.tree_rss_kb()
        prog.terminate(timeout=60)
        return painted - started, mapped - started, rss, tree
    finally:
        prog.stop()


def main():
    runs = int(sys.argv[1]) if len(sys.argv) > 1 else 5
    workdir = tempfile.mkdtemp(prefix='veltrane-bench-')
    desk = e2e.Desktop(os.path.join(workdir, 'desk'))
    pixels = PixelReader(desk.display)
    results = []
    try:
        for n in range(1, runs + 1):
            painted, mapped, rss, tree = one_run(desk, pixels, workdir, n)
            results.append((painted, mapped, rss, tree))
            print(f'run {n}: start to window mapped {mapped * 1000:.0f} ms, to first paint {painted * 1000:.0f} ms, '
                  f'VmRSS {rss / 1024:.1f} MiB (process tree {tree / 1024:.1f} MiB) after {SETTLE:g} s', flush=True)
    finally:
        pixels.close()
        desk.close()
        shutil.rmtree(workdir, ignore_errors=True)

    def summary(values):
        return f'median {statistics.median(values):.0f}, min {min(values):.0f}, max {max(values):.0f}'
    print(f'startup_to_window_mapped_ms: {summary([r[1] * 1000 for r in results])} ({runs} runs, offline)')
    print(f'startup_to_first_paint_ms: {summary([r[0] * 1000 for r in results])} ({runs} runs, offline)')
    rss = [r[2] / 1024 for r in results]
    tree = [r[3] / 1024 for r in results]
    print(f'resident_memory_mib: median {statistics.median(rss):.1f} (process tree {statistics.median(tree):.1f})')


if __name__ == '__main__':
    main()
