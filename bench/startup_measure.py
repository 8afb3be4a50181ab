"""Measures the program's start-up on a private desktop, offline, beside a bare Qt window (bench/bare_window: the
same size and place, one label changing once a second), the two started in turn: time to the window mapped, to the
first paint, resident memory, and CPU time used while idle.

Two settings, each run in turn with the other: warm (the caller's user, a home folder shared by every run) and cold
(an unprivileged user, made if missing, with a new empty home folder for every start, its XDG folders under it, and
a session bus of its own from dbus-run-session: nothing cached by an earlier start). Both run offline, and the
system font cache is brought up to date first (fc-cache -s), so that no run pays for a rescan of every font.

The first paint is seen on the screen itself: a pixel of the 24-hour ruler (navy once the clock face is drawn) is
read straight from the X server each time something is drawn on the screen (bench/screen_watch.py). Window mapped
is timed too, from the window manager's window list, read at the same wake-ups and at least every 10 ms (coarse:
the first paint is the precise figure). Memory is VmRSS of the program
itself and of its whole process tree, SETTLE seconds after the first paint. Idle CPU is read over IDLE seconds from
SETTLE seconds after the first paint (which on a first start includes the greeting's check and settings save at
the tenth second) and, from the same run, over IDLE seconds from LATE_IDLE_FROM seconds after it. Prints one line
per run and a summary. Before each start, every file the last start of the same kind had mapped is read, so that
warm means what it says on a machine whose page cache is trimmed behind the programs' backs (keep_page_cache_warm);
the major page faults of each start show what still had to come from the disk.
"""

import grp
import os
import pwd
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'tests', 'e2e'))
import veltrane_e2e as e2e  # noqa: E402
from screen_watch import ScreenWatch  # noqa: E402

SETTLE = 5.0
# CPU time is read over this many idle seconds after SETTLE (VELTRANE_BENCH_IDLE overrides; 60 by default).
IDLE = float(os.environ.get('VELTRANE_BENCH_IDLE', '60'))
# A second idle figure over as many seconds from this long after the first paint: past the start-up's one-off
# work of the first seconds (on a first start the greeting's once-a-day check and settings save at tick 10).
LATE_IDLE_FROM = 15.0
# VELTRANE_BENCH_TRACE=1: the program prints its start-up marks (VELTRANE_STARTUP_TRACE), one line per start.
TRACE = os.environ.get('VELTRANE_BENCH_TRACE') == '1'
# The window opens at 200, 200 in a fresh folder; the ruler strip is navy, and left of the first hour line and its
# label (x 20, x 6) nothing else is drawn on it.
RULER_PIXEL = (200 + 3, 200 + 10)
NAVY = (0, 0, 128)
# The unprivileged user of the cold starts; made (a system user without a home of its own) when missing.
COLD_USER = 'veltrane-bench'
# A main window is larger than a tray icon on each side.
MIN_WINDOW_SIDE = 65


def cpu_seconds(pid):
    """CPU time of a process so far, in nanoseconds' precision: the scheduler's run time of each of its threads
    (clock ticks of /proc/PID/stat would make one tick of 10 ms in a minute read as 0.017 %)."""
    total = 0
    for task in os.listdir(f'/proc/{pid}/task'):
        try:
            with open(f'/proc/{pid}/task/{task}/schedstat') as f:
                total += int(f.read().split()[0])
        except (OSError, ValueError, IndexError):
            continue  # a thread that ended meanwhile
    return total / 1e9


def vm_rss_kb(pid):
    with open(f'/proc/{pid}/status') as f:
        for line in f:
            if line.startswith('VmRSS:'):
                return int(line.split()[1])
    return 0


def wait_for_paint(watch, running, window_name, started, output):
    """Sleeps until the screen is drawn on, then reads the ruler pixel, and looks for the window in the window
    manager's list at each wake-up (at least every 10 ms); returns (painted, mapped). Both are read from this
    process with no helper process and no busy polling: the 1 kHz pixel poll and the xdotool runs of every 50 ms
    used before took a share of the machine's two cores while the start was being timed."""
    painted = mapped = None
    deadline = started + 120
    while painted is None:
        watch.wait_for_drawing(0.01)
        now = time.monotonic()
        if mapped is None and watch.window_shown(window_name, MIN_WINDOW_SIDE):
            mapped = now
        # Read after a quiet 10 ms too, should a drawing have come between the pixel's read and the damage's reset.
        if watch.rgb(*RULER_PIXEL) == NAVY:
            painted = now
        elif not running():
            raise e2e.HarnessError(f'ended before its first paint:\n{output()}')
        elif now > deadline:
            raise e2e.HarnessError('no painted window within 120 s')
    # A window whose picture is on the screen is mapped: the list's look can only lag behind that.
    return painted, min(mapped or painted, painted)


def keep_smaps(pid, label):
    """With VELTRANE_BENCH_SMAPS=folder, keeps /proc/PID/smaps of each start there (label.smaps): where the resident
    memory is, mapping by mapping."""
    folder = os.environ.get('VELTRANE_BENCH_SMAPS')
    if folder:
        os.makedirs(folder, exist_ok=True)
        shutil.copyfile(f'/proc/{pid}/smaps', os.path.join(folder, f'{label}.smaps'))
        shutil.copyfile(f'/proc/{pid}/status', os.path.join(folder, f'{label}.status'))


def idle_cpu_percent(pid, painted):
    """CPU time while idle, in % of one core: (over IDLE s from SETTLE s after the first paint, over IDLE s from
    LATE_IDLE_FROM s after it). Both windows are read from one run, so the second costs only the difference."""
    if IDLE <= 0:
        return 0.0, 0.0
    late_from = max(LATE_IDLE_FROM, SETTLE)
    marks = sorted({SETTLE, late_from, SETTLE + IDLE, late_from + IDLE})
    cpu = {}
    for mark in marks:
        time.sleep(max(0.0, painted + mark - time.monotonic()))
        cpu[mark] = cpu_seconds(pid)
    return ((cpu[SETTLE + IDLE] - cpu[SETTLE]) / IDLE * 100,
            (cpu[late_from + IDLE] - cpu[late_from]) / IDLE * 100)


class Setting:
    """How a start is made: its wrap (offline, and for cold starts the user switch and the session bus) and the
    variables that point it at its home folder."""

    def __init__(self, name, workdir):
        self.name = name
        self.workdir = workdir
        self.user = None
        if name == 'cold':
            self.user = cold_user()

    def prepare(self, n, label):
        """(wrap, environment overrides, owner to give the program folder) for one start."""
        wrap = e2e.offline_wrap()
        if not self.user:
            return wrap, {}
        uid, gid = self.user
        home = tempfile.mkdtemp(prefix=f'home-{label}{n}-', dir=self.workdir)
        runtime = os.path.join(home, '.run')
        os.mkdir(runtime, 0o700)
        for path in (home, runtime):
            os.chown(path, uid, gid)
        env = {'HOME': home, 'XDG_RUNTIME_DIR': runtime, 'XDG_CONFIG_HOME': os.path.join(home, '.config'),
               'XDG_DATA_HOME': os.path.join(home, '.local', 'share'),
               'XDG_CACHE_HOME': os.path.join(home, '.cache')}
        wrap += ['setpriv', f'--reuid={uid}', f'--regid={gid}', '--clear-groups',
                 'dbus-run-session', '--']
        return wrap, env


def cold_user():
    try:
        entry = pwd.getpwnam(COLD_USER)
    except KeyError:
        subprocess.run(['useradd', '--system', '--user-group', '--no-create-home', '--home-dir', '/nonexistent',
                        '--shell', '/usr/sbin/nologin', COLD_USER], check=True)
        entry = pwd.getpwnam(COLD_USER)
    return entry.pw_uid, grp.getgrgid(entry.pw_gid).gr_gid


def chown_tree(path, owner):
    uid, gid = owner
    for top, dirs, files in os.walk(path):
        os.chown(top, uid, gid)
        for name in dirs + files:
            os.chown(os.path.join(top, name), uid, gid, follow_symlinks=False)


def settle_disk():
    """Flushes what this script and the start before wrote (the program folder copied for each start is some
    40 MB) before the clock starts: the program's own flushes to disk at start-up would otherwise wait for it."""
    os.sync()


# Files each kind of start had mapped (shared libraries, plugins, caches, fonts), by label: read again before the
# next start of that kind. See keep_page_cache_warm.
MAPPED_FILES = {}


def mapped_files(pid):
    """The regular files the process has mapped, from /proc/PID/maps."""
    files = set()
    try:
        with open(f'/proc/{pid}/maps') as f:
            for line in f:
                parts = line.split(None, 5)
                if len(parts) == 6 and parts[5].startswith('/'):
                    files.add(parts[5].rstrip('\n'))
    except OSError:
        pass
    return files


def keep_page_cache_warm(label):
    """Reads every file the last start of this kind had mapped, so that the start finds them in the page cache.
    A warm start means the files it uses are cached; on this kind of machine that cannot be taken for granted: a
    memory reclaimer run for the virtual machine (DAMON's pageout scheme, kdamond) drops page-cache pages that no
    running process maps once they go unused for about a minute. The pages only the program uses (those the bare
    window also maps stay mapped by whichever of the two runs) were dropped while the bare window ran its idle
    minute, and the program's next start read them back from disk: about 100 major page faults and 20-30 ms. Both
    kinds of start get the same treatment, in both settings (the cold one is about the user's caches)."""
    for path in sorted(MAPPED_FILES.get(label, ())):
        try:
            with open(path, 'rb') as f:
                while f.read(1 << 20):
                    pass
        except OSError:
            continue  # gone meanwhile (a folder of an earlier start), or not readable


def major_faults(pid):
    """Page faults of the process that had to read from disk so far (field 12 of /proc/PID/stat)."""
    try:
        with open(f'/proc/{pid}/stat') as f:
            return int(f.read().rsplit(')', 1)[1].split()[9])
    except (OSError, IndexError, ValueError):
        return 0


def pid_running(root, exe):
    """The process under root (or root itself) that runs exe: wraps such as dbus-run-session fork."""
    exe = os.path.realpath(exe)
    for pid in [root] + e2e.descendants(root):
        try:
            if os.path.realpath(f'/proc/{pid}/exe') == exe:
                return pid
        except OSError:
            continue
    return None


def bare_run(desk, watch, setting, bare, n):
    wrap, env = setting.prepare(n, 'bare')
    # The same locale, zone and platform as the program's start, so the comparison is like for like.
    env = dict(env, LANG='ru_RU.UTF-8', LC_ALL='ru_RU.UTF-8', LANGUAGE='', TZ='Europe/Moscow', QT_QPA_PLATFORM='xcb')
    keep_page_cache_warm('bare')
    settle_disk()
    watch.forget_drawing()
    started = time.monotonic()
    proc = desk.start_process(f'bare-{setting.name}{n}', wrap + [bare], env)
    try:
        painted, mapped = wait_for_paint(watch, lambda: proc.popen.poll() is None, 'BareWindow', started,
                                         proc.output)
        time.sleep(SETTLE)
        pid = pid_running(proc.pid, bare)
        rss = vm_rss_kb(pid)
        keep_smaps(pid, f'bare-{setting.name}{n}')
        faults = major_faults(pid)
        MAPPED_FILES.setdefault('bare', set()).update(mapped_files(pid))
        cpu, late_cpu = idle_cpu_percent(pid, painted)
        return painted - started, mapped - started, rss, rss, cpu, late_cpu, faults
    finally:
        proc.stop()
        desk.processes.remove(proc)


def print_trace(title, output):
    """The program's own start-up marks (ms from its process start, 10 ms grain) on one line."""
    marks = [line.split('veltrane start:', 1)[1].strip() for line in output.splitlines() if 'veltrane start:' in line]
    print(f'{title} marks: ' + ' | '.join(mark.replace(' ms ', ' ') for mark in marks), flush=True)


def one_run(desk, watch, setting, n, source, label='program'):
    wrap, env = setting.prepare(n, label)
    parent = tempfile.mkdtemp(prefix=f'{label}-{setting.name}{n}-', dir=setting.workdir)
    folder = e2e.ProgramFolder(source, parent)
    if setting.user:
        chown_tree(parent, setting.user)
    keep_page_cache_warm(label)
    settle_disk()
    watch.forget_drawing()
    started = time.monotonic()
    if TRACE:
        env = dict(env, VELTRANE_STARTUP_TRACE='1')
    prog = desk.start_program(folder, lang='ru_RU.UTF-8', tz='Europe/Moscow', wrap=wrap, env=env)
    try:
        painted, mapped = wait_for_paint(watch, prog.running, e2e.PROGRAM_NAME, started, prog.output)
        time.sleep(SETTLE)
        boxes = prog.message_boxes()
        if boxes:
            print(f'{setting.name} run {n}: a message box is open: {[title for _, title in boxes]}', flush=True)
        if TRACE:
            print_trace(f'{setting.name} {label} run {n}', prog.output())
        rss, tree = prog.rss_kb(), prog.tree_rss_kb()
        keep_smaps(prog.pid, f'{label}-{setting.name}{n}')
        faults = major_faults(prog.pid)
        MAPPED_FILES.setdefault(label, set()).update(mapped_files(prog.pid))
        cpu, late_cpu = idle_cpu_percent(prog.pid, painted)
        prog.terminate(timeout=60)
        return painted - started, mapped - started, rss, tree, cpu, late_cpu, faults
    finally:
        prog.stop()


def report(label, n, r):
    painted, mapped, rss, tree, cpu, late_cpu, faults = r
    print(f'{label} run {n}: mapped {mapped * 1000:.0f} ms, first paint {painted * 1000:.0f} ms, '
          f'{faults} major page faults, VmRSS {rss / 1024:.1f} MiB (tree {tree / 1024:.1f} MiB), '
          f'idle CPU {cpu:.3f} % over {IDLE:g} s from {SETTLE:g} s, {late_cpu:.3f} % from {LATE_IDLE_FROM:g} s',
          flush=True)


ROWS = [('to window mapped, ms', lambda r: r[1] * 1000, '.0f'),
        ('to first paint, ms', lambda r: r[0] * 1000, '.0f'),
        ('major page faults', lambda r: r[6], '.0f'),
        ('VmRSS, MiB', lambda r: r[2] / 1024, '.1f'), ('VmRSS of the tree, MiB', lambda r: r[3] / 1024, '.1f'),
        (f'idle CPU over {IDLE:g} s, %', lambda r: r[4], '.3f'),
        (f'  the same from {LATE_IDLE_FROM:g} s, %', lambda r: r[5], '.3f')]


def summary(title, runs, ours, base, base_name='bare'):
    med = statistics.median
    print(f'{title}: medians of {runs} interleaved offline starts')
    print(f'  {"":26} {"program":>10} {base_name:>10} {"ratio":>7} {"diff":>9}')
    for name, pick, fmt in ROWS:
        a = med([pick(r) for r in ours])
        b = med([pick(r) for r in base]) if base else None
        ratio = f'{a / b:.2f}' if b else '-'
        diff = format(a - b, '+' + fmt) if b is not None else '-'
        bare_text = format(b, fmt) if b is not None else '-'
        print(f'  {name:26} {format(a, fmt):>10} {bare_text:>10} {ratio:>7} {diff:>9}')


def refresh_font_cache():
    """Brings the system font cache up to date (only stale folders are rescanned); a program run with shifted file
    times can leave it stale, and every later start would rescan all fonts."""
    started = time.monotonic()
    res = subprocess.run(['fc-cache', '--system-only'], capture_output=True, text=True)
    state = 'up to date' if res.returncode == 0 else f'fc-cache failed: {res.stderr.strip()}'
    print(f'system font cache: {state} ({time.monotonic() - started:.1f} s)', flush=True)


def main():
    runs = int(sys.argv[1]) if len(sys.argv) > 1 else 6
    names = os.environ.get('VELTRANE_BENCH_SETTINGS', 'warm cold').split()
    bare = os.environ.get('VELTRANE_BARE_WINDOW')
    # Another build of the program (its program folder), started in turn with this one: a before/after figure.
    before = os.environ.get('VELTRANE_BENCH_BEFORE')
    refresh_font_cache()
    workdir = tempfile.mkdtemp(prefix='veltrane-bench-')
    # The cold user reaches its program folder and home folder through here.
    os.chmod(workdir, 0o755)
    desk = e2e.Desktop(os.path.join(workdir, 'desk'))
    watch = ScreenWatch(desk.display)
    settings = [Setting(name, workdir) for name in names]
    results = {name: ([], [], []) for name in names}
    try:
        # Interleaved, so a slow spell of the machine weighs on all alike.
        for n in range(1, runs + 1):
            for setting in settings:
                ours, base, earlier = results[setting.name]
                ours.append(one_run(desk, watch, setting, n, e2e.program_source_dir()))
                report(f'{setting.name} program', n, ours[-1])
                if before:
                    earlier.append(one_run(desk, watch, setting, n, before, 'before'))
                    report(f'{setting.name} before ', n, earlier[-1])
                if bare:
                    base.append(bare_run(desk, watch, setting, bare, n))
                    report(f'{setting.name} bare   ', n, base[-1])
    finally:
        watch.close()
        desk.close()
        shutil.rmtree(workdir, ignore_errors=True)

    for setting in settings:
        ours, base, earlier = results[setting.name]
        title = 'warm (one home folder for every start)' if setting.name == 'warm' else \
            f'cold (user {COLD_USER}, a new empty home folder and a session bus for every start)'
        summary(title, runs, ours, base)
        if earlier:
            summary(f'{title}, beside the build of VELTRANE_BENCH_BEFORE', runs, ours, earlier, 'before')
            if base:
                summary(f'{title}: that build beside the bare window', runs, earlier, base)


if __name__ == '__main__':
    main()
