"""Measures the program's start-up on a private desktop, offline, beside a bare Qt window (bench/bare_window: the
same size and place, one label changing once a second), the two started in turn: time to the window mapped, to the
first paint, resident memory, and CPU time used while idle.

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
# CPU time is read over this many idle seconds after SETTLE (VELTRANE_BENCH_IDLE overrides; 60 by default).
IDLE = float(os.environ.get('VELTRANE_BENCH_IDLE', '60'))
CLOCK_TICKS = os.sysconf('SC_CLK_TCK')
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


def cpu_seconds(pid):
    """User plus system CPU time of a process so far."""
    with open(f'/proc/{pid}/stat') as f:
        fields = f.read().rsplit(')', 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / CLOCK_TICKS


def vm_rss_kb(pid):
    with open(f'/proc/{pid}/status') as f:
        for line in f:
            if line.startswith('VmRSS:'):
                return int(line.split()[1])
    return 0


def wait_for_paint(pixels, running, mapped_now, started, output):
    """Polls the ruler pixel about every millisecond and the window list every 50 ms; returns (painted, mapped)."""
    mapped = painted = None
    deadline = started + 120
    next_look = started
    while painted is None or mapped is None:
        now = time.monotonic()
        if painted is None and pixels.rgb(*RULER_PIXEL) == NAVY:
            painted = now
        if not running():
            raise e2e.HarnessError(f'ended before its first paint:\n{output()}')
        if mapped is None and now >= next_look:
            if mapped_now():
                mapped = time.monotonic()
            next_look = now + 0.05
        if now > deadline:
            raise e2e.HarnessError('no painted window within 120 s')
        time.sleep(0.001)
    return painted, mapped


def idle_cpu_percent(pid):
    before = cpu_seconds(pid)
    time.sleep(IDLE)
    return (cpu_seconds(pid) - before) / IDLE * 100 if IDLE > 0 else 0.0


def bare_run(desk, pixels, bare, n):
    started = time.monotonic()
    proc = desk.start_process(f'bare{n}', e2e.offline_wrap() + [bare])
    try:
        painted, mapped = wait_for_paint(pixels, lambda: proc.popen.poll() is None,
                                         lambda: bool(desk.windows(name='^BareWindow$')), started, proc.output)
        time.sleep(SETTLE)
        rss = vm_rss_kb(proc.pid)
        cpu = idle_cpu_percent(proc.pid)
        return painted - started, mapped - started, rss, rss, cpu
    finally:
        proc.stop()
        desk.processes.remove(proc)


def one_run(desk, pixels, workdir, n):
    folder = e2e.ProgramFolder(e2e.program_source_dir(), tempfile.mkdtemp(prefix=f'run{n}-', dir=workdir))
    started = time.monotonic()
    prog = desk.start_program(folder, lang='ru_RU.UTF-8', tz='Europe/Moscow', wrap=e2e.OFFLINE)
    try:
        painted, mapped = wait_for_paint(pixels, prog.running, lambda: main_window_mapped(desk), started,
                                         prog.output)
        time.sleep(SETTLE)
        boxes = prog.message_boxes()
        if boxes:
            print(f'run {n}: a message box is open: {[title for _, title in boxes]}', flush=True)
        rss, tree = prog.rss_kb(), prog.tree_rss_kb()
        cpu = idle_cpu_percent(prog.pid)
        prog.terminate(timeout=60)
        return painted - started, mapped - started, rss, tree, cpu
    finally:
        prog.stop()


def report(label, n, r):
    painted, mapped, rss, tree, cpu = r
    print(f'{label} run {n}: mapped {mapped * 1000:.0f} ms, first paint {painted * 1000:.0f} ms, '
          f'VmRSS {rss / 1024:.1f} MiB (tree {tree / 1024:.1f} MiB), idle CPU {cpu:.2f} % over {IDLE:g} s', flush=True)


def main():
    runs = int(sys.argv[1]) if len(sys.argv) > 1 else 6
    bare = os.environ.get('VELTRANE_BARE_WINDOW')
    workdir = tempfile.mkdtemp(prefix='veltrane-bench-')
    desk = e2e.Desktop(os.path.join(workdir, 'desk'))
    pixels = PixelReader(desk.display)
    ours, base = [], []
    try:
        # Interleaved, so a slow spell of the machine weighs on both alike.
        for n in range(1, runs + 1):
            ours.append(one_run(desk, pixels, workdir, n))
            report('program', n, ours[-1])
            if bare:
                base.append(bare_run(desk, pixels, bare, n))
                report('bare   ', n, base[-1])
    finally:
        pixels.close()
        desk.close()
        shutil.rmtree(workdir, ignore_errors=True)

    med = statistics.median
    rows = [('to window mapped, ms', lambda r: r[1] * 1000, '.0f'),
            ('to first paint, ms', lambda r: r[0] * 1000, '.0f'),
            ('VmRSS, MiB', lambda r: r[2] / 1024, '.1f'), ('VmRSS of the tree, MiB', lambda r: r[3] / 1024, '.1f'),
            (f'idle CPU over {IDLE:g} s, %', lambda r: r[4], '.2f')]
    print(f'medians of {runs} interleaved offline starts (warm caches):')
    print(f'  {"":26} {"program":>10} {"bare":>10}')
    for name, pick, fmt in rows:
        ours_v = format(med([pick(r) for r in ours]), fmt)
        base_v = format(med([pick(r) for r in base]), fmt) if base else '-'
        print(f'  {name:26} {ours_v:>10} {base_v:>10}')


if __name__ == '__main__':
    main()
