"""End-to-end harness: drives the real Veltrane program under a private X server.

Each test gets its own Xvfb (display number chosen by the server itself through -displayfd, so tests can run in
parallel), a window manager (icewm) with a tray, a fresh 0700 XDG_RUNTIME_DIR and HOME, D-Bus disabled, and a
fresh copy of the built program folder. Every process the harness starts is tagged in its environment and is
ended at clean-up, even when the test fails or the harness itself is interrupted.

Typical use:

    class MyTest(e2e.VeltraneTestCase):
        def test_something(self):
            folder = self.program_folder()
            desk = self.desktop()
            prog = desk.start_program(folder, wrap=e2e.OFFLINE, faketime='@2026-03-05 14:28:30')
            win = prog.wait_main_window()
            self.assertEqual(desk.geometry(win).size, (510, 290))
            self.assertEqual(prog.terminate(), 0)
            ini = folder.ini('veltrane.ini')

Environment read by the harness:
    VELTRANE_PROGRAM_DIR   the built program folder (build/Veltrane); CTest passes it in
    VELTRANE_E2E_ARTIFACTS folder for logs and screenshots of each test (optional)
    VELTRANE_E2E_KEEP=1    keep the temporary folders of a test for inspection
"""

import atexit
import ctypes
import ctypes.util
import os
import re
import shutil
import signal
import stat
import struct
import subprocess
import tempfile
import time
import unittest
import uuid
import zlib
from dataclasses import dataclass

# Wrap for a run without any network: a fresh network namespace holding only a loopback interface that is down.
OFFLINE = ['unshare', '-n']

PROGRAM_NAME = 'Veltrane'
# Files the program itself creates in its folder; a copy of the build's program folder leaves them out.
USER_DATA = ('*.ini', '*.cds', '*.rtf', '*.mp3', '*.log')
TAG_VAR = 'VELTRANE_E2E_TAG'

# One tag per harness process: every child carries it, so a sweep finds even processes that left their parent.
_TAG = uuid.uuid4().hex
_live_cleanups = []


class HarnessError(AssertionError):
    """A step of the harness failed (a tool, a timeout); raised as an assertion so the test reads as failed."""


_offline_wrap = None


def offline_wrap():
    """The command that runs a program without network: `unshare -n` as root, else inside a user namespace."""
    global _offline_wrap
    if _offline_wrap is None:
        for candidate in (['unshare', '-n'], ['unshare', '-r', '-n']):
            if subprocess.run(candidate + ['true'], capture_output=True).returncode == 0:
                _offline_wrap = candidate
                break
        else:
            raise HarnessError('cannot run a program offline: unshare -n is not permitted here (root or user '
                               'namespaces are needed)')
    return list(_offline_wrap)


def _libc():
    return ctypes.CDLL(ctypes.util.find_library('c') or 'libc.so.6', use_errno=True)


_PR_SET_PDEATHSIG = 1


def _child_setup():
    # The direct child dies with the harness even when the harness is killed outright (a CTest timeout).
    try:
        _libc().prctl(_PR_SET_PDEATHSIG, signal.SIGKILL, 0, 0, 0)
    except OSError:
        pass


def wait_until(predicate, timeout, interval=0.1, what='condition'):
    """Polls predicate until it returns a true value, which is returned; raises HarnessError on timeout."""
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() >= deadline:
            raise HarnessError(f'timed out after {timeout:g} s waiting for {what}')
        time.sleep(interval)


# ---------------------------------------------------------------------------------------------------------------
# Processes


def _proc_children():
    """Map of parent pid to child pids, read from /proc."""
    children = {}
    for entry in os.listdir('/proc'):
        if not entry.isdigit():
            continue
        try:
            with open(f'/proc/{entry}/stat', 'rb') as f:
                stat = f.read()
        except OSError:
            continue
        # The command name may hold blanks and parentheses; the fields after the last ')' are fixed.
        fields = stat[stat.rfind(b')') + 2:].split()
        children.setdefault(int(fields[1]), []).append(int(entry))
    return children


def descendants(pid):
    """Every living descendant of pid, nearest first."""
    children = _proc_children()
    found, queue = [], [pid]
    while queue:
        for child in children.get(queue.pop(0), []):
            found.append(child)
            queue.append(child)
    return found


def _tagged_pids(tag):
    needle = f'{TAG_VAR}={tag}'.encode()
    pids = []
    for entry in os.listdir('/proc'):
        if not entry.isdigit() or int(entry) == os.getpid():
            continue
        try:
            with open(f'/proc/{entry}/environ', 'rb') as f:
                if needle in f.read().split(b'\0'):
                    pids.append(int(entry))
        except OSError:
            continue
    return pids


def _alive(pid):
    try:
        with open(f'/proc/{pid}/stat', 'rb') as f:
            stat = f.read()
    except OSError:
        return False
    return stat[stat.rfind(b')') + 2:stat.rfind(b')') + 3] != b'Z'


_FAKETIME_LEFTOVER = re.compile(r'^(?:sem\.faketime_sem_|faketime_shm_)(\d+)$')


def sweep_faketime_leftovers(shm='/dev/shm'):
    """Removes the semaphores and shared memory that killed faketime wrappers left behind.

    The wrapper names them after its own pid and refuses to start ("sem_open: File exists") when a dead
    wrapper's pair still carries the pid it has been given; only the pairs of dead pids are removed."""
    try:
        names = os.listdir(shm)
    except OSError:
        return
    for name in names:
        m = _FAKETIME_LEFTOVER.match(name)
        if m and not _alive(int(m.group(1))):
            try:
                os.unlink(os.path.join(shm, name))
            except OSError:
                pass


def pids_running(folder):
    """Pids of the processes whose executable lies inside folder."""
    prefix = os.path.realpath(folder) + os.sep
    found = []
    for entry in os.listdir('/proc'):
        if not entry.isdigit():
            continue
        try:
            exe = os.readlink(f'/proc/{entry}/exe')
        except OSError:
            continue
        if exe.startswith(prefix) and _alive(int(entry)):
            found.append(int(entry))
    return found


def _signal_all(pids, sig):
    for pid in pids:
        try:
            os.kill(pid, sig)
        except OSError:
            pass


def end_processes(pids, grace=3.0):
    """SIGTERM, then SIGKILL after grace seconds, for the given pids; waits until they are gone."""
    pids = [p for p in pids if _alive(p)]
    if not pids:
        return
    _signal_all(pids, signal.SIGTERM)
    deadline = time.monotonic() + grace
    while time.monotonic() < deadline and any(_alive(p) for p in pids):
        time.sleep(0.05)
    left = [p for p in pids if _alive(p)]
    _signal_all(left, signal.SIGKILL)
    deadline = time.monotonic() + 3.0
    while time.monotonic() < deadline and any(_alive(p) for p in left):
        time.sleep(0.05)


class Process:
    """A child process started by the harness, in its own session, with its output in a log file."""

    def __init__(self, cmd, env, log_path, cwd=None, pass_fds=(), stdin=subprocess.DEVNULL):
        self.cmd = list(cmd)
        self.log_path = log_path
        env = dict(env)
        env[TAG_VAR] = _TAG
        self._log = open(log_path, 'wb')
        try:
            self.popen = subprocess.Popen(self.cmd, env=env, cwd=cwd, stdin=stdin, stdout=self._log,
                                          stderr=subprocess.STDOUT, start_new_session=True, pass_fds=pass_fds,
                                          preexec_fn=_child_setup)
        except OSError as e:
            self._log.close()
            raise HarnessError(f'cannot start {self.cmd[0]}: {e}') from e
        self.pid = self.popen.pid

    def running(self):
        return self.popen.poll() is None

    def wait(self, timeout):
        try:
            return self.popen.wait(timeout)
        except subprocess.TimeoutExpired as e:
            raise HarnessError(f'{self.cmd[0]} did not exit within {timeout:g} s') from e

    def stop(self, grace=3.0):
        """Ends the process and everything it started (its session and its descendants)."""
        if self.popen.poll() is None:
            pids = descendants(self.pid) + [self.pid]
            try:
                os.killpg(self.pid, signal.SIGTERM)
            except OSError:
                pass
            end_processes(pids, grace)
            try:
                self.popen.wait(5)
            except subprocess.TimeoutExpired:
                pass
        else:
            end_processes(descendants(self.pid), grace)
        self._log.close()

    def output(self):
        self._log.flush()
        try:
            with open(self.log_path, 'rb') as f:
                return f.read().decode('utf-8', 'replace')
        except OSError:
            return ''


# ---------------------------------------------------------------------------------------------------------------
# Files


def decode_text(data):
    """The program writes UTF-8; older files may be Windows-1251."""
    try:
        return data.decode('utf-8')
    except UnicodeDecodeError:
        return data.decode('cp1251')


class IniFile:
    """An INI file read as the program writes it: sections in order, keys in order, raw values.

    Values keep everything after the first '=' except the line end, so trailing blanks stay visible.
    Section and key look-ups ignore letter case, as the program's own reading does.
    """

    def __init__(self, text):
        self.sections = []  # [(name, [(key, value), ...])]
        current = None
        for line in text.splitlines():
            stripped = line.strip()
            if not stripped or stripped.startswith(';'):
                continue
            if stripped.startswith('[') and stripped.endswith(']'):
                current = (stripped[1:-1], [])
                self.sections.append(current)
            elif '=' in line and current is not None:
                key, value = line.split('=', 1)
                current[1].append((key.strip(), value))

    def section_names(self):
        return [name for name, _ in self.sections]

    def items(self, section):
        for name, items in self.sections:
            if name.lower() == section.lower():
                return list(items)
        return []

    def keys(self, section):
        return [k for k, _ in self.items(section)]

    def get(self, section, key, default=None):
        for k, v in self.items(section):
            if k.lower() == key.lower():
                return v
        return default


def services_ini(site='http://127.0.0.1:9', feed='http://127.0.0.1:9/ffcal_week_this.xml',
                 speech='http://127.0.0.1:9', smtp_host='127.0.0.1', smtp_port=9, extra=None):
    """A [Services] section pointing every outside service at loopback (port 9: nothing listens there)."""
    values = {'SiteUrl': site, 'FeedUrl': feed, 'SpeechUrl': speech, 'SmtpHost': smtp_host,
              'SmtpPort': str(smtp_port), 'SmtpUser': '', 'SmtpPassword': '', 'MailTo': 'author@127.0.0.1'}
    values.update(extra or {})
    for key, value in values.items():
        if key in ('SiteUrl', 'FeedUrl', 'SpeechUrl', 'SmtpHost') and value:
            host = re.sub(r'^[a-z]+://', '', value).split('/')[0].rsplit(':', 1)[0]
            if not (host.startswith('127.') or host == 'localhost'):
                raise HarnessError(f'{key} must point at loopback, not {value}')
    return '[Services]\n' + ''.join(f'{k}={v}\n' for k, v in values.items())


class ProgramFolder:
    """A fresh copy of the built program folder, owned by one test."""

    def __init__(self, source, parent):
        exe = os.path.join(source, PROGRAM_NAME)
        if not os.access(exe, os.X_OK):
            raise HarnessError(f'no program at {exe}: build the Veltrane target first')
        self.path = os.path.join(parent, PROGRAM_NAME)
        # Only what the build ships: the data a person's own run left in the build folder would spoil a first start.
        shutil.copytree(source, self.path, symlinks=True, ignore=shutil.ignore_patterns(*USER_DATA))
        self.executable = os.path.join(self.path, PROGRAM_NAME)

    def file(self, name):
        return os.path.join(self.path, name)

    def exists(self, name):
        return os.path.exists(self.file(name))

    def names(self):
        return sorted(os.listdir(self.path))

    def read_bytes(self, name):
        with open(self.file(name), 'rb') as f:
            return f.read()

    def read_text(self, name):
        return decode_text(self.read_bytes(name))

    def ini(self, name):
        return IniFile(self.read_text(name))

    def write(self, name, data):
        if isinstance(data, str):
            data = data.encode('utf-8')
        with open(self.file(name), 'wb') as f:
            f.write(data)

    def running_pids(self):
        """Every living process that runs this folder's executable, wherever it came from (a copy the program
        started of itself, for instance, is no child of the harness)."""
        return pids_running(self.path)

    def write_services(self, **kwargs):
        """Writes veltrane.ini holding only a loopback [Services] section (the program reads it, never writes it)."""
        self.write('veltrane.ini', services_ini(**kwargs))


# ---------------------------------------------------------------------------------------------------------------
# Screenshots


class Image:
    """An RGB picture decoded from a PNG; pixel(x, y) gives (r, g, b)."""

    def __init__(self, width, height, rows):
        self.width, self.height, self._rows = width, height, rows

    def pixel(self, x, y):
        if not (0 <= x < self.width and 0 <= y < self.height):
            raise IndexError(f'pixel {x},{y} outside {self.width}x{self.height}')
        row = self._rows[y]
        return tuple(row[3 * x:3 * x + 3])

    def crop_colours(self, x, y, w, h):
        """The set of colours inside a rectangle."""
        return {self.pixel(i, j) for j in range(y, y + h) for i in range(x, x + w)}

    @staticmethod
    def from_png(data):
        if data[:8] != b'\x89PNG\r\n\x1a\n':
            raise HarnessError('not a PNG file')
        pos, idat, palette = 8, b'', None
        width = height = depth = colour = interlace = None
        while pos < len(data):
            length, kind = struct.unpack('>I4s', data[pos:pos + 8])
            body = data[pos + 8:pos + 8 + length]
            pos += 12 + length
            if kind == b'IHDR':
                width, height, depth, colour, _, _, interlace = struct.unpack('>IIBBBBB', body)
            elif kind == b'PLTE':
                palette = [tuple(body[i:i + 3]) for i in range(0, len(body), 3)]
            elif kind == b'IDAT':
                idat += body
            elif kind == b'IEND':
                break
        if interlace:
            raise HarnessError('interlaced PNG not supported')
        channels = {0: 1, 2: 3, 3: 1, 4: 2, 6: 4}[colour]
        bits = depth * channels
        stride = (width * bits + 7) // 8
        bpp = max(1, bits // 8)
        raw = zlib.decompress(idat)
        prev = bytearray(stride)
        rows = []
        for y in range(height):
            start = y * (stride + 1)
            ftype = raw[start]
            line = bytearray(raw[start + 1:start + 1 + stride])
            Image._unfilter(ftype, line, prev, bpp)
            rows.append(Image._to_rgb(line, width, depth, colour, palette))
            prev = line
        return Image(width, height, rows)

    @staticmethod
    def _unfilter(ftype, line, prev, bpp):
        n = len(line)
        if ftype == 0:
            return
        if ftype == 1:
            for i in range(bpp, n):
                line[i] = (line[i] + line[i - bpp]) & 0xFF
        elif ftype == 2:
            for i in range(n):
                line[i] = (line[i] + prev[i]) & 0xFF
        elif ftype == 3:
            for i in range(n):
                left = line[i - bpp] if i >= bpp else 0
                line[i] = (line[i] + ((left + prev[i]) >> 1)) & 0xFF
        elif ftype == 4:
            for i in range(n):
                a = line[i - bpp] if i >= bpp else 0
                b = prev[i]
                c = prev[i - bpp] if i >= bpp else 0
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                pred = a if pa <= pb and pa <= pc else (b if pb <= pc else c)
                line[i] = (line[i] + pred) & 0xFF
        else:
            raise HarnessError(f'bad PNG filter {ftype}')

    @staticmethod
    def _to_rgb(line, width, depth, colour, palette):
        if depth == 8 and colour == 2:
            return bytes(line)
        out = bytearray()
        if depth == 16:
            samples = line[0::2]  # high bytes
        elif depth == 8:
            samples = line
        else:
            per_byte = 8 // depth
            mask = (1 << depth) - 1
            samples = bytearray()
            for i in range(width):
                byte = line[i // per_byte]
                shift = 8 - depth * (i % per_byte + 1)
                samples.append((byte >> shift) & mask)
        channels = {0: 1, 2: 3, 3: 1, 4: 2, 6: 4}[colour]
        for i in range(width):
            s = samples[i * channels:(i + 1) * channels]
            if colour == 3:
                out += bytes(palette[s[0]])
            elif colour in (0, 4):
                level = s[0] * 255 // ((1 << depth) - 1) if depth < 8 else s[0]
                out += bytes((level, level, level))
            else:
                out += bytes(s[:3])
        return bytes(out)


# ---------------------------------------------------------------------------------------------------------------
# The desktop: X server, window manager, tray


@dataclass
class Geometry:
    x: int
    y: int
    width: int
    height: int

    @property
    def size(self):
        return (self.width, self.height)

    @property
    def position(self):
        return (self.x, self.y)


class _Xlib:
    """The few libX11 calls the command-line tools do not offer (selection owners)."""

    def __init__(self):
        path = ctypes.util.find_library('X11') or 'libX11.so.6'
        self.lib = ctypes.CDLL(path)
        self.lib.XOpenDisplay.restype = ctypes.c_void_p
        self.lib.XOpenDisplay.argtypes = [ctypes.c_char_p]
        self.lib.XInternAtom.restype = ctypes.c_ulong
        self.lib.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
        self.lib.XGetSelectionOwner.restype = ctypes.c_ulong
        self.lib.XGetSelectionOwner.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
        self.lib.XCloseDisplay.argtypes = [ctypes.c_void_p]

    def selection_owner(self, display, selection):
        dpy = self.lib.XOpenDisplay(display.encode())
        if not dpy:
            return 0
        try:
            atom = self.lib.XInternAtom(dpy, selection.encode(), 0)
            return self.lib.XGetSelectionOwner(dpy, atom)
        finally:
            self.lib.XCloseDisplay(dpy)


class Desktop:
    """A private X display with a window manager and a tray host, plus the tools to look at it."""

    def __init__(self, workdir, tray='icewm', screen='1280x800x24', root_colour=None):
        self.workdir = workdir
        self.processes = []
        self.programs = []
        self.runtime_dir = os.path.join(workdir, 'runtime')
        self.home = os.path.join(workdir, 'home')
        os.makedirs(self.runtime_dir, mode=0o700)
        os.chmod(self.runtime_dir, 0o700)
        os.makedirs(self.home)
        self.display = None
        try:
            self._start_x(screen)
            if root_colour:
                self.set_root_colour(root_colour)
            self._start_wm(tray)
        except BaseException:
            self.close()
            raise

    # -- start and stop

    def base_env(self):
        """The environment every process on this desktop starts from: nothing leaks in from the caller."""
        env = {
            'PATH': os.environ.get('PATH', '/usr/local/bin:/usr/bin:/bin'),
            'HOME': self.home,
            'XDG_RUNTIME_DIR': self.runtime_dir,
            'XDG_CONFIG_HOME': os.path.join(self.home, '.config'),
            'XDG_DATA_HOME': os.path.join(self.home, '.local', 'share'),
            'XDG_CACHE_HOME': os.path.join(self.home, '.cache'),
            'DBUS_SESSION_BUS_ADDRESS': 'disabled:',
            # One GStreamer plugin registry for the whole run: with a new home each time, every first playback
            # scanned all plugins again, which under load delayed the sound by tens of seconds.
            'GST_REGISTRY': os.path.join(tempfile.gettempdir(), f'veltrane-e2e-gst-registry-{os.getuid()}.bin'),
            'LANG': 'C.UTF-8',
            'TZ': 'UTC',
        }
        if self.display:
            env['DISPLAY'] = self.display
        return env

    def _spawn(self, name, cmd, env=None, **kwargs):
        proc = Process(cmd, env or self.base_env(), os.path.join(self.workdir, f'{name}.log'), **kwargs)
        self.processes.append(proc)
        return proc

    def _start_x(self, screen):
        read_fd, write_fd = os.pipe()
        try:
            xvfb = self._spawn('xvfb', ['Xvfb', '-displayfd', str(write_fd), '-screen', '0', screen, '-nolisten',
                                        'tcp', '-noreset'], pass_fds=(write_fd,))
        finally:
            os.close(write_fd)
        number = b''
        deadline = time.monotonic() + 20
        try:
            os.set_blocking(read_fd, False)
            while not number.endswith(b'\n'):
                if not xvfb.running():
                    raise HarnessError(f'Xvfb ended at start:\n{xvfb.output()}')
                if time.monotonic() > deadline:
                    raise HarnessError('Xvfb did not report its display within 20 s')
                try:
                    chunk = os.read(read_fd, 16)
                except BlockingIOError:
                    time.sleep(0.05)
                    continue
                if not chunk:
                    time.sleep(0.05)
                number += chunk
        finally:
            os.close(read_fd)
        self.display = ':' + number.decode().strip()
        self.xvfb = xvfb

    def _start_wm(self, tray):
        env = self.base_env()
        prefs_dir = os.path.join(self.home, '.icewm')
        os.makedirs(prefs_dir, exist_ok=True)
        with open(os.path.join(prefs_dir, 'preferences'), 'w') as f:
            # A quiet desktop: no clock or mail applets, no focus theft by the window manager itself.
            f.write('TaskBarShowClock=0\nTaskBarShowMailboxStatus=0\nTaskBarShowCPUStatus=0\n'
                    'TaskBarShowNetStatus=0\nTaskBarShowMEMStatus=0\nShowTaskBar=%d\n' % (0 if tray == 'trayer' else 1))
        env['ICEWM_PRIVCFG'] = prefs_dir
        self.wm = self._spawn('icewm', ['icewm'], env)
        wait_until(lambda: self._wm_ready() or self._check_alive(self.wm), 20, what='icewm to manage the screen')
        self.tray = None
        if tray == 'trayer':
            self.tray = self._spawn('trayer', ['trayer', '--edge', 'top', '--align', 'right', '--widthtype', 'pixel',
                                               '--width', '120', '--height', '26'])
        if tray:
            wait_until(lambda: self.tray_owner() or self._check_alive(self.tray or self.wm), 20,
                       what=f'the tray of {tray}')

    def _check_alive(self, proc):
        if not proc.running():
            raise HarnessError(f'{proc.cmd[0]} ended early:\n{proc.output()}')
        return False

    def _wm_ready(self):
        out = self.run(['xprop', '-root', '_NET_SUPPORTING_WM_CHECK'], check=False)
        return 'window id' in out

    def tray_owner(self):
        """Window id of the system tray selection owner on screen 0, or 0."""
        return _Xlib().selection_owner(self.display, '_NET_SYSTEM_TRAY_S0')

    def start_process(self, name, cmd, env=None):
        """Starts a helper program (xlogo, a server...) on this desktop; it is ended at clean-up."""
        full = self.base_env()
        full.update(env or {})
        return self._spawn(name, cmd, full)

    def close(self):
        for prog in reversed(self.programs):
            prog.stop()
        for proc in reversed(self.processes):
            proc.stop()
        self.processes = []
        self.programs = []

    # -- the program

    def start_program(self, folder, lang='ru_RU.UTF-8', tz='Europe/Moscow', faketime=None, speed=None, wrap=None,
                      env=None, args=()):
        """Starts folder's executable on this desktop.

        faketime: '@YYYY-MM-DD hh:mm:ss' starts the clock at that moment and lets it run (speed: a factor such as
        10 or 0.1); wrap: a command put in front of everything (OFFLINE for no network); env: extra variables.
        """
        run_env = self.base_env()
        run_env.update({'LANG': lang, 'LC_ALL': lang, 'LANGUAGE': '', 'TZ': tz, 'QT_QPA_PLATFORM': 'xcb',
                        # As root Chromium refuses to start unless its sandbox is off.
                        'QTWEBENGINE_DISABLE_SANDBOX': '1'})
        run_env.update(env or {})
        cmd = [folder.executable] + list(args)
        if wrap and list(wrap) == OFFLINE:
            wrap = offline_wrap()
        if faketime:
            spec = faketime if speed is None else f'{faketime} x{speed:g}'
            cmd = ['faketime', '-f', spec] + cmd
            sweep_faketime_leftovers()
            # Without it libfaketime rewrites the times of every stat(), and the program's file checks slow down.
            run_env.setdefault('NO_FAKE_STAT', '1')
        if wrap:
            cmd = list(wrap) + cmd
        prog = Program(self, folder, cmd, run_env, os.path.join(self.workdir, f'program{len(self.programs) + 1}.log'))
        self.programs.append(prog)
        return prog

    # -- looking at the screen

    def run(self, cmd, check=True, timeout=20, input=None):
        env = self.base_env()
        try:
            res = subprocess.run(cmd, env=env, capture_output=True, timeout=timeout, input=input)
        except subprocess.TimeoutExpired as e:
            raise HarnessError(f'{cmd[0]} took more than {timeout} s') from e
        except OSError as e:
            raise HarnessError(f'cannot run {cmd[0]}: {e}') from e
        if check and res.returncode != 0:
            raise HarnessError(f'{" ".join(cmd)} failed ({res.returncode}): {res.stderr.decode(errors="replace")}')
        return res.stdout.decode('utf-8', 'replace')

    def windows(self, cls=None, name=None, pid=None, visible=True):
        """Window ids matching every given criterion (class and name are regular expressions).

        xdotool's own --all does not combine --class with --name, so the search goes by one criterion and the
        rest are tested here.
        """
        cmd = ['xdotool', 'search']
        if visible:
            cmd.append('--onlyvisible')
        if cls:
            cmd += ['--class', cls]
        elif pid:
            cmd += ['--pid', str(pid)]
        else:
            cmd += ['--name', name or '.*']
        found = [int(w) for w in self.run(cmd, check=False).split()]
        if name:
            rx = re.compile(name)
            found = [w for w in found if rx.search(self.window_name(w))]
        if pid:
            found = [w for w in found
                     if self.run(['xdotool', 'getwindowpid', str(w)], check=False).strip() == str(pid)]
        return found

    def window_name(self, wid):
        return self.run(['xdotool', 'getwindowname', str(wid)], check=False).rstrip('\n')

    def window_class(self, wid):
        out = self.run(['xprop', '-id', str(wid), 'WM_CLASS'], check=False)
        return re.findall(r'"([^"]*)"', out)

    def window_types(self, wid):
        """The window's _NET_WM_WINDOW_TYPE names without their prefix ('NORMAL', 'DIALOG', 'UTILITY', ...)."""
        out = self.run(['xprop', '-id', str(wid), '_NET_WM_WINDOW_TYPE'], check=False)
        return re.findall(r'_NET_WM_WINDOW_TYPE_(\w+)', out)

    def geometry(self, wid):
        """Position of the window's top-left corner on the root window, and its size."""
        out = self.run(['xwininfo', '-id', str(wid)])
        values = {}
        for key in ('Absolute upper-left X', 'Absolute upper-left Y', 'Width', 'Height'):
            m = re.search(r'^\s*' + re.escape(key) + r':\s*(-?\d+)', out, re.M)
            if not m:
                raise HarnessError(f'xwininfo gave no {key}:\n{out}')
            values[key] = int(m.group(1))
        return Geometry(values['Absolute upper-left X'], values['Absolute upper-left Y'], values['Width'],
                        values['Height'])

    def is_viewable(self, wid):
        out = self.run(['xwininfo', '-id', str(wid)], check=False)
        return 'IsViewable' in out

    def set_root_colour(self, colour):
        self.run(['xsetroot', '-solid', colour])

    def screenshot(self, path=None):
        """The whole screen as an Image (window shapes honoured); also saved as PNG at path when given."""
        target = path or os.path.join(self.workdir, 'screen.png')
        self.run(['import', '-silent', '-window', 'root', 'PNG24:' + target], timeout=30)
        with open(target, 'rb') as f:
            return Image.from_png(f.read())

    def key(self, *keys, window=None):
        cmd = ['xdotool', 'key']
        if window:
            cmd += ['--window', str(window)]
        self.run(cmd + list(keys))

    def click(self, x, y, button=1, repeat=1):
        self.run(['xdotool', 'mousemove', str(x), str(y)])
        time.sleep(0.3)
        self.run(['xdotool', 'click', '--repeat', str(repeat), str(button)])


class Program:
    """One run of the Veltrane executable on a Desktop."""

    def __init__(self, desktop, folder, cmd, env, log_path):
        self.desktop = desktop
        self.folder = folder
        self.started_at = time.monotonic()
        self.process = Process(cmd, env, log_path, cwd=desktop.home)
        self._pid = None

    @property
    def pid(self):
        """Pid of the program itself (not of a wrapper such as faketime, which forks)."""
        if self._pid and _alive(self._pid):
            return self._pid
        exe = os.path.realpath(self.folder.executable)
        for pid in [self.process.pid] + descendants(self.process.pid):
            try:
                if os.path.realpath(f'/proc/{pid}/exe') == exe:
                    self._pid = pid
                    return pid
            except OSError:
                continue
        return None

    def running(self):
        return self.process.running()

    def output(self):
        return self.process.output()

    def _check_running(self):
        if not self.running():
            raise HarnessError(f'the program ended (exit {self.process.popen.returncode}):\n{self.output()}')

    def wait_window(self, name=None, cls=PROGRAM_NAME, min_size=65, timeout=60, dialogs=True):
        """Waits until a visible window of the program's class (and name, a regular expression) is mapped.

        Windows smaller than min_size in either direction (tray icons) are passed over, and so are dialogs
        (message boxes) when dialogs is false.
        """
        def find():
            self._check_running()
            for wid in self.desktop.windows(cls=cls, name=name):
                try:
                    geo = self.desktop.geometry(wid)
                except HarnessError:
                    continue  # gone between the search and the look
                if geo.width < min_size or geo.height < min_size:
                    continue
                if not dialogs and 'DIALOG' in self.desktop.window_types(wid):
                    continue
                return wid
            return None
        return wait_until(find, timeout, interval=0.1, what=f'a window of {cls} named {name or "anything"}')

    def wait_main_window(self, timeout=60):
        """The main window: titled like the program and not a dialog (a failure's message box has the same title)."""
        return self.wait_window(name=f'^{PROGRAM_NAME}$', timeout=timeout, dialogs=False)

    def message_boxes(self):
        """Visible dialog windows of the program, as (window id, title)."""
        found = []
        for wid in self.desktop.windows(cls=PROGRAM_NAME):
            if 'DIALOG' in self.desktop.window_types(wid):
                found.append((wid, self.desktop.window_name(wid)))
        return found

    def wait_output(self, pattern, timeout=30):
        """Waits until the program's output matches a regular expression; returns the match."""
        rx = re.compile(pattern)

        def find():
            m = rx.search(self.output())
            if not m:
                self._check_running()
            return m
        return wait_until(find, timeout, what=f'output matching {pattern!r}')

    def rss_kb(self):
        """VmRSS of the program itself in kB."""
        pid = self.pid
        if not pid:
            raise HarnessError('program is not running')
        with open(f'/proc/{pid}/status') as f:
            m = re.search(r'^VmRSS:\s+(\d+)\s+kB', f.read(), re.M)
        return int(m.group(1)) if m else 0

    def tree_rss_kb(self):
        """VmRSS summed over the program and every process it started (web engine helpers)."""
        total = 0
        pid = self.pid
        for p in [pid] + descendants(pid) if pid else []:
            try:
                with open(f'/proc/{p}/status') as f:
                    m = re.search(r'^VmRSS:\s+(\d+)\s+kB', f.read(), re.M)
                total += int(m.group(1)) if m else 0
            except OSError:
                continue
        return total

    def signal(self, sig):
        pid = self.pid
        if not pid:
            raise HarnessError('program is not running')
        os.kill(pid, sig)

    def terminate(self, timeout=30):
        """Sends SIGTERM to the program (the platform's close request) and waits for it to end.

        Returns the exit status (through a faketime wrapper a death by signal reads as 1)."""
        self.signal(signal.SIGTERM)
        return self.wait_exit(timeout)

    def wait_exit(self, timeout=30):
        try:
            return self.process.popen.wait(timeout)
        except subprocess.TimeoutExpired as e:
            raise HarnessError(f'the program did not end within {timeout:g} s') from e

    def stop(self):
        self.process.stop()


# ---------------------------------------------------------------------------------------------------------------
# Test case base


def program_source_dir():
    path = os.environ.get('VELTRANE_PROGRAM_DIR')
    if not path:
        here = os.path.dirname(os.path.abspath(__file__))
        path = os.path.normpath(os.path.join(here, '..', '..', 'build', PROGRAM_NAME))
    return path


def _sweep():
    """Last resort at interpreter exit or on SIGTERM: end every process that carries this harness's tag."""
    for cleanup in list(_live_cleanups):
        try:
            cleanup()
        except Exception:
            pass
    end_processes(_tagged_pids(_TAG), grace=2.0)


atexit.register(_sweep)


def _on_signal(signum, _frame):
    _sweep()
    signal.signal(signum, signal.SIG_DFL)
    os.kill(os.getpid(), signum)


for _sig in (signal.SIGTERM, signal.SIGINT, signal.SIGHUP):
    try:
        signal.signal(_sig, _on_signal)
    except ValueError:
        pass  # not the main thread


class RecordingCommand:
    """A command put first on PATH that only writes down each call, one line per call (line: shell words)."""

    def __init__(self, workdir, name, line='$*'):
        bin_dir = os.path.join(workdir, 'bin')
        os.makedirs(bin_dir, exist_ok=True)
        self.log = os.path.join(workdir, f'{name}.calls')
        script = os.path.join(bin_dir, name)
        with open(script, 'w') as f:
            f.write(f'#!/bin/sh\necho "{line}" >> "{self.log}"\n')
        os.chmod(script, os.stat(script).st_mode | stat.S_IXUSR | stat.S_IXGRP | stat.S_IXOTH)
        self.path = bin_dir + os.pathsep + os.environ.get('PATH', '/usr/bin:/bin')

    def calls(self):
        try:
            with open(self.log) as f:
                return f.read().splitlines()
        except FileNotFoundError:
            return []


class VeltraneTestCase(unittest.TestCase):
    """Base of end-to-end tests: a temporary work folder, desktops and program folders cleaned up after each test.

    Logs of every process and a last screenshot go to $VELTRANE_E2E_ARTIFACTS/<test id>/ when that is set.
    """

    def setUp(self):
        super().setUp()
        self.workdir = tempfile.mkdtemp(prefix='veltrane-e2e-')
        self._desktops = []
        self.addCleanup(self._clean_up)
        _live_cleanups.append(self._clean_up)

    def program_folder(self):
        return ProgramFolder(program_source_dir(), tempfile.mkdtemp(prefix='app-', dir=self.workdir))

    def desktop(self, **kwargs):
        desk = Desktop(tempfile.mkdtemp(prefix='desk-', dir=self.workdir), **kwargs)
        self._desktops.append(desk)
        return desk

    def _clean_up(self):
        if self._clean_up in _live_cleanups:
            _live_cleanups.remove(self._clean_up)
        artifacts = os.environ.get('VELTRANE_E2E_ARTIFACTS')
        target = os.path.join(artifacts, self.id()) if artifacts else None
        if target:
            shutil.rmtree(target, ignore_errors=True)
            os.makedirs(target, exist_ok=True)
        for n, desk in enumerate(self._desktops):
            if target and desk.display and desk.xvfb.running():
                try:
                    desk.screenshot(os.path.join(target, f'last-screen{n}.png'))
                except Exception:
                    pass
            desk.close()
            if target:
                for name in os.listdir(desk.workdir):
                    if name.endswith('.log'):
                        shutil.copy(os.path.join(desk.workdir, name), os.path.join(target, f'{n}-{name}'))
        self._desktops = []
        # Copies of the program that left the process tree (a restart starts a new, detached one).
        end_processes(pids_running(self.workdir), grace=3.0)
        if os.environ.get('VELTRANE_E2E_KEEP') == '1':
            print(f'\nkept {self.workdir}')
        else:
            shutil.rmtree(self.workdir, ignore_errors=True)
