"""Helpers shared by the clock face, window, greeting and tray end-to-end tests.

- A model of the clock face's geometry (hour ruler, session board, time marker) to derive expected pixels.
- A recording HTTP server standing in for the speech service: it logs every raw request with its arrival
  time and answers /translate_tts with an MP3 made by the local speech service's synthesizer. It runs as a
  command (`python3 e2e_extras.py serve|probe ...`) inside the program's own network namespace, so a test that
  needs the program online still reaches nothing beyond that namespace.
- X helpers the harness lacks: window properties, override-redirect windows, the tray icon, pointer drags.
"""

import datetime
import hashlib
import importlib.util
import json
import os
import re
import sys
import threading
import time
import urllib.parse
import urllib.request
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

import veltrane_e2e as e2e

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE_ROOT = os.path.normpath(os.path.join(HERE, '..', '..'))

# ---------------------------------------------------------------------------------------------------------------
# Clock face geometry: 20 pixels per hour, x = 0 at local midnight.

NAVY = (0x00, 0x00, 0x80)
WHITE = (0xFF, 0xFF, 0xFF)
YELLOW = (0xFF, 0xFF, 0x00)
BLACK = (0x00, 0x00, 0x00)
GREY = (0x80, 0x80, 0x80)
HIGHLIGHT = 'highlight'  # row 8: the platform's selection colour, whatever it is

ROW_COLOURS = {1: (0x00, 0x00, 0xFF), 2: (0x00, 0x80, 0x00), 3: (0xFF, 0x00, 0xFF), 4: (0xFF, 0x00, 0x00),
               5: (0x00, 0x80, 0x80), 6: (0x00, 0x00, 0x80), 7: (0x80, 0x00, 0x80), 8: HIGHLIGHT,
               9: (0x80, 0x00, 0x00)}

# (name key, row, opening hour UTC, closing hour UTC, minutes added to the opening, minutes added to the closing)
CENTRES = [
    ('Wellington', 1, 21, 5, 0, 0), ('Sydney', 2, 22, 6, 0, 0), ('Tokyo', 3, 0, 8, 0, 0),
    ('Singapore', 5, 1, 9, 0, 0), ('HongKong', 4, 1, 9, 0, 0), ('Shanghai', 9, 1, 7, 30, 0),
    ('Frankfurkt', 1, 5, 13, 0, 0), ('Moscow', 8, 5, 13, 0, 30), ('London', 2, 6, 14, 0, 0),
    ('Zurich', 6, 5, 13, 0, 0), ('Paris', 7, 5, 13, 0, 0), ('Riyadh', 3, 8, 12, 0, 30),
    ('NewYork', 4, 12, 20, 0, 0), ('Chicago', 3, 13, 21, 0, 0), ('LosAngeles', 5, 15, 23, 0, 0),
    ('Johannesburg', 9, 7, 15, 0, 0),
]


def round_half_even(numerator, denominator):
    """numerator / denominator to the nearest integer, ties to even (both non-negative integers)."""
    q, rest = divmod(numerator, denominator)
    if 2 * rest > denominator or (2 * rest == denominator and q % 2):
        q += 1
    return q


def marker_x(ms_since_midnight):
    """Where the time marker's white line stands for a local time of day in milliseconds."""
    seconds = round_half_even(ms_since_midnight, 1000)
    minutes = round_half_even(seconds, 60)
    return round_half_even(minutes * 20, 60)


def local_sessions(offset_hours, now_minute):
    """Each centre's local intervals in minutes, [(name, row, [(start, end), ...], open)], in drawing order."""
    result = []
    for name, row, opens, closes, add_open, add_close in CENTRES:
        o = (offset_hours + opens) * 60 + add_open
        c = (offset_hours + closes) * 60 + add_close
        if o < 0:
            o += 1440
        elif o >= 1440:
            o -= 1440
        if c <= 0:
            c += 1440
        elif c > 1440:
            c -= 1440
        parts = [(o, c)] if o < c else [(o, 1440), (0, c)]
        is_open = any(start <= now_minute < end for start, end in parts)
        result.append((name, row, parts, is_open))
    return result


def row_pixels(offset_hours, now_minute, active_only=True):
    """Expected bar colour of every x (0..479) on each row 1..9, None where no bar lies; later centres paint over."""
    rows = {r: [None] * 480 for r in range(1, 10)}
    for _name, row, parts, is_open in local_sessions(offset_hours, now_minute):
        colour = ROW_COLOURS[row] if is_open or not active_only else GREY
        for start, end in parts:
            # A part [a, b) of the day covers x = 20a up to 20b - 1; in minutes 20 px per 60 min.
            for x in range(start // 3, end // 3):
                if x < 480:
                    rows[row][x] = colour
    return rows


def bar_sample_y(row):
    """A line of the bar below its name: the bar is y = 20r + 6 .. 20r + 24, the name starts at 20r + 9."""
    return 20 * row + 23


def ruler_label_box(n):
    """Rectangle (x, y, w, h) of the ruler cell that carries the label of hour n (1..24), between its ticks."""
    if n == 24:
        return 462, 3, 14, 15
    x = 20 * (n - 1) + 6 if n < 10 else 20 * (n - 1) + 2
    return x, 3, 20 * n - x, 15


def utc_offset_hours(tz_name, moment):
    """Standard (not daylight) offset of a zone in whole hours toward zero, as the program reads it."""
    import zoneinfo
    zone = zoneinfo.ZoneInfo(tz_name)
    local = moment.replace(tzinfo=zone)
    standard = local.utcoffset() - (local.dst() or datetime.timedelta(0))
    return int(standard.total_seconds() / 3600)


# ---------------------------------------------------------------------------------------------------------------
# Recording speech service


def _speech_tool():
    spec = importlib.util.spec_from_file_location('speech_service', os.path.join(SOURCE_ROOT, 'tools',
                                                                               'speech_service.py'))
    module = importlib.util.module_from_spec(spec)
    spec.loader.exec_module(module)
    return module


def _split_query(query):
    """The raw name=value pairs of a query, undecoded."""
    return [tuple(pair.split('=', 1)) if '=' in pair else (pair, '') for pair in query.split('&') if pair]


class _RecordingHandler(BaseHTTPRequestHandler):
    protocol_version = 'HTTP/1.0'
    server_version = 'RecordingSpeech/1.0'

    def do_GET(self):
        arrived = time.monotonic()
        record = {'arrived': arrived, 'arrived_wall': time.time(),
                  'request_line': self.raw_requestline.decode('latin-1').rstrip('\r\n'),
                  'path': self.path, 'headers': [(k, v) for k, v in self.headers.raw_items()]}
        body, status = b'', 404
        path, _, query = self.path.partition('?')
        if path == '/translate_tts':
            pairs = dict(_split_query(query))
            text = urllib.parse.unquote_plus(pairs.get('q', ''), encoding='utf-8')
            try:
                body, status = self.server.synthesize(text, pairs.get('tl', '')), 200
            except Exception as error:  # noqa: BLE001 - a failed synthesis is a 500 like the real service's
                record['error'] = repr(error)
                status = 500
        elif path == '/probe':
            body, status = b'ok', 200
        self.send_response(status)
        self.send_header('Content-Type', 'audio/mpeg' if status == 200 and path != '/probe' else 'text/plain')
        self.send_header('Content-Length', str(len(body)))
        self.end_headers()
        self.wfile.write(body)
        self.wfile.flush()
        record.update(status=status, answered=time.monotonic(), body_size=len(body),
                      body_sha256=hashlib.sha256(body).hexdigest())
        self.server.record(record)

    def log_message(self, fmt, *args):
        pass


class _Server(ThreadingHTTPServer):
    daemon_threads = True
    allow_reuse_address = True

    def __init__(self, address, log_path):
        super().__init__(address, _RecordingHandler)
        self._lock = threading.Lock()
        self.log_path = log_path
        self._tool = None

    def synthesize(self, text, lang):
        if self._tool is None:
            self._tool = _speech_tool()
        return self._tool.synthesize(text, lang)

    def record(self, record):
        with self._lock, open(self.log_path, 'a') as f:
            f.write(json.dumps(record) + '\n')


def read_request_log(path):
    """Requests recorded by a `serve` command, one JSON object per line."""
    try:
        with open(path) as f:
            return [json.loads(line) for line in f if line.strip()]
    except FileNotFoundError:
        return []


def raw_header_values(record, name):
    return [v for k, v in record['headers'] if k.lower() == name.lower()]


def is_mpeg_audio(data):
    """An ID3 tag or an MPEG audio frame header at the start."""
    if data.startswith(b'ID3'):
        return True
    return len(data) >= 2 and data[0] == 0xFF and (data[1] & 0xE0) == 0xE0


def encode_query_text(text):
    """The speech query encoding: [0-9A-Za-z_] kept, space as '+', every other UTF-8 byte as upper-case %XX."""
    out = []
    for byte in text.encode('utf-8'):
        ch = chr(byte)
        if ch.isascii() and (ch.isalnum() or ch == '_'):
            out.append(ch)
        elif ch == ' ':
            out.append('+')
        else:
            out.append('%%%02X' % byte)
    return ''.join(out)


# A network that makes the program think it is online while nothing can leave the namespace: a veth pair whose
# both ends stay inside, an address on one end and a default route through a gateway nobody answers for.
_SEALED_NETWORK = ('ip link add v0 type veth peer name v1 && ip addr add 10.99.0.2/24 dev v0 && '
                   'ip link set v0 up && ip link set v1 up && ip route add default via 10.99.0.1 dev v0')


def namespace_wrap(port, log_path, online=False):
    """A wrap for start_program: a fresh network namespace with loopback up (and with online, a sealed network
    that looks like a connection), a recording speech service inside it on `port` logging to `log_path`, a probe
    that proves the service answers there, then the program (exit 95..97 when a step fails)."""
    me = os.path.abspath(__file__)
    script = ('ip link set lo up || exit 96; '
              + (f'{{ {_SEALED_NETWORK}; }} || exit 95; ' if online else '')
              + f'{sys.executable} -B {me} serve --port {port} --log {log_path} & '
              f'{sys.executable} -B {me} probe --port {port} || exit 97; '
              'exec "$@"')
    # The harness knows how this machine makes a network namespace (as root, or inside a user namespace).
    prefix = e2e.offline_wrap() if hasattr(e2e, 'offline_wrap') else list(e2e.OFFLINE)
    return prefix + ['sh', '-c', script, 'sh']


def _serve(port, log_path):
    server = _Server(('127.0.0.1', port), log_path)
    server.serve_forever()


def _probe(port, timeout=20.0):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        try:
            with urllib.request.urlopen(f'http://127.0.0.1:{port}/probe', timeout=2) as answer:
                if answer.read() == b'ok':
                    return 0
        except OSError:
            time.sleep(0.1)
    return 1


# ---------------------------------------------------------------------------------------------------------------
# X helpers


def window_opacity(desk, wid):
    """_NET_WM_WINDOW_OPACITY of a window as an integer, or None when the window has none."""
    out = desk.run(['xprop', '-id', str(wid), '_NET_WM_WINDOW_OPACITY'], check=False)
    m = re.search(r'=\s*(\d+)', out)
    return int(m.group(1)) if m else None


OPAQUE = 0xFFFFFFFF
TRANSLUCENT = round(75 / 255 * 0xFFFFFFFF)


def is_override_redirect(desk, wid):
    out = desk.run(['xwininfo', '-id', str(wid)], check=False)
    return bool(re.search(r'Override Redirect State:\s*yes', out))


def program_windows(desk):
    """Visible windows of the program's class with their geometry: {id: Geometry}."""
    found = {}
    for wid in desk.windows(cls=e2e.PROGRAM_NAME):
        try:
            found[wid] = desk.geometry(wid)
        except e2e.HarnessError:
            continue
    return found


def tray_icons(desk, limit=64):
    """Visible windows of the program no larger than limit x limit (the tray icon), {id: Geometry}."""
    return {w: g for w, g in program_windows(desk).items() if g.width <= limit and g.height <= limit}


def wait_tray_icon(desk, timeout=30, exclude=()):
    """The one tray icon window of the program (not one of `exclude`); returns (id, Geometry)."""
    def find():
        icons = {w: g for w, g in tray_icons(desk).items() if w not in exclude and g.width > 1 and g.height > 1}
        return next(iter(icons.items()), None)
    return e2e.wait_until(find, timeout, what='the tray icon of the program')


def centre(geo):
    return geo.x + geo.width // 2, geo.y + geo.height // 2


def pointer_to(desk, x, y):
    desk.run(['xdotool', 'mousemove', str(x), str(y)])


def drag(desk, start, end, steps=12):
    """Presses button 1 at start, moves the pointer to end in small steps, releases it."""
    x0, y0 = start
    x1, y1 = end
    pointer_to(desk, x0, y0)
    time.sleep(0.2)
    desk.run(['xdotool', 'mousedown', '1'])
    try:
        # A short first step, past the drag distance: the move starts there, some pixels after the press.
        time.sleep(0.05)
        pointer_to(desk, x0 + (6 if x1 > x0 else -6), y0 + (6 if y1 > y0 else -6))
        for i in range(1, steps + 1):
            time.sleep(0.05)
            pointer_to(desk, x0 + (x1 - x0) * i // steps, y0 + (y1 - y0) * i // steps)
        time.sleep(0.3)
    finally:
        desk.run(['xdotool', 'mouseup', '1'])


def double_click(desk, x, y, delay_ms=80):
    pointer_to(desk, x, y)
    time.sleep(0.3)
    desk.run(['xdotool', 'click', '--repeat', '2', '--delay', str(delay_ms), '1'])


def open_fds_to(pid, path):
    """Descriptors of a process that point at path (by real path)."""
    target = os.path.realpath(path)
    found = []
    try:
        entries = os.listdir(f'/proc/{pid}/fd')
    except OSError:
        return found
    for fd in entries:
        try:
            if os.readlink(f'/proc/{pid}/fd/{fd}') == target:
                found.append(int(fd))
        except OSError:
            continue
    return found


def main(argv):
    import argparse
    parser = argparse.ArgumentParser(description='recording speech service and its probe')
    sub = parser.add_subparsers(dest='command', required=True)
    serve = sub.add_parser('serve')
    serve.add_argument('--port', type=int, required=True)
    serve.add_argument('--log', required=True)
    probe = sub.add_parser('probe')
    probe.add_argument('--port', type=int, required=True)
    args = parser.parse_args(argv)
    if args.command == 'serve':
        _serve(args.port, args.log)
        return 0
    return _probe(args.port)


if __name__ == '__main__':
    sys.path.insert(0, HERE)
    sys.exit(main(sys.argv[1:]))
