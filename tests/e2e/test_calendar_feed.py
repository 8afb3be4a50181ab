"""The weekly calendar feed imported by the real program at start, from a loopback server that serves a real
published week (windows-1252 declaration, CDATA, CRLF line ends), in two time zones; the rows are read back from
econom.cds with sqlite3. Offline nothing is asked, and a server that never answers does not keep the window from
showing.

The program runs in a network namespace of its own: loopback up, the feed server inside it, and (when online) a
sealed network that looks like a connection, so nothing can leave the namespace.

Run as a command, this module is the feed server: `test_calendar_feed.py serve --port P --file F --log L
[--silent]`.
"""

import argparse
import json
import os
import sqlite3
import sys
import threading
import time
import unittest
import urllib.request
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

import veltrane_e2e as e2e

HERE = os.path.dirname(os.path.abspath(__file__))
FIXTURE = os.path.normpath(os.path.join(HERE, '..', 'calendar', 'fixtures', 'week-2025-05-04.xml'))
PORT = 18181
# Monday of the fixture's week, midday local time.
START = '@2025-05-05 12:00:00'

_SEALED_NETWORK = ('ip link add v0 type veth peer name v1 && ip addr add 10.99.0.2/24 dev v0 && '
                   'ip link set v0 up && ip link set v1 up && ip route add default via 10.99.0.1 dev v0')


def feed_wrap(document, log_path, online=True, silent=False):
    """A wrap for start_program: a fresh network namespace with the feed server inside, then the program."""
    me = os.path.abspath(__file__)
    serve = f'{sys.executable} -B {me} serve --port {PORT} --file {document} --log {log_path}'
    script = ('ip link set lo up || exit 96; '
              + (f'{{ {_SEALED_NETWORK}; }} || exit 95; ' if online else '')
              + serve + (' --silent' if silent else '') + ' & '
              f'{sys.executable} -B {me} probe --port {PORT} || exit 97; '
              'exec "$@"')
    return e2e.offline_wrap() + ['sh', '-c', script, 'sh']


def read_log(path):
    try:
        with open(path) as f:
            return [json.loads(line) for line in f if line.strip()]
    except FileNotFoundError:
        return []


def feed_requests(path):
    return [r for r in read_log(path) if r['path'] != '/probe']


def calendar_rows(folder):
    """Rows of econom.cds, newest first, as (title, country, date, time, impact, forecast, previous)."""
    db = sqlite3.connect(f'file:{folder.file("econom.cds")}?mode=ro', uri=True)
    try:
        return db.execute('SELECT title, country, date, time, impact, forecast, previous FROM econom '
                          'ORDER BY date DESC, time DESC').fetchall()
    finally:
        db.close()


class CalendarFeedTest(e2e.VeltraneTestCase):
    def setUp(self):
        super().setUp()
        self.folder = self.program_folder()
        self.folder.write_services(feed=f'http://127.0.0.1:{PORT}/ffcal_week_this.xml')
        self.log = os.path.join(self.workdir, 'feed-requests.jsonl')
        # The week as the site serves it: CRLF line ends.
        with open(FIXTURE, 'rb') as f:
            week = f.read().replace(b'\n', b'\r\n')
        self.document = os.path.join(self.workdir, 'ffcal_week_this.xml')
        with open(self.document, 'wb') as f:
            f.write(week)
        self.desk = self.desktop()

    def start(self, tz, **wrap):
        prog = self.desk.start_program(self.folder, tz=tz, faketime=START, env={'NO_FAKE_STAT': '1'},
                                       wrap=feed_wrap(self.document, self.log, **wrap))
        prog.wait_main_window(timeout=90)
        return prog

    def imported(self, prog):
        return prog.wait_output(r'calendar feed: (\d+) events, (\d+) new rows', timeout=60)

    def test_a_real_week_in_two_time_zones(self):
        cases = [
            # zone, rows, newest row, oldest row (the week's times are UTC; the standard offset is applied)
            ('Europe/Moscow', 90, ('PPI y/y', 'CNY', '2025-05-10', '04:30:00', 'Средний', '-2.7%', '-2.5%'),
             ('Bank Holiday', 'JPY', '2025-05-05', '02:00:00', 'Выходной', None, None)),
            # Summer time in New York does not count: -5, and the rows before Monday are gone.
            ('America/New_York', 87, ('PPI y/y', 'CNY', '2025-05-09', '20:30:00', 'Средний', '-2.7%', '-2.5%'),
             ('CPI m/m', 'CHF', '2025-05-05', '01:30:00', 'Высокий', '0.2%', '0.0%')),
        ]
        for zone, count, newest, oldest in cases:
            with self.subTest(zone=zone):
                if os.path.exists(self.folder.file('econom.cds')):
                    os.remove(self.folder.file('econom.cds'))
                prog = self.start(zone)
                m = self.imported(prog)
                self.assertEqual((m.group(1), m.group(2)), ('91', str(count)))
                rows = calendar_rows(self.folder)  # written right after the import, not only at exit
                self.assertEqual(len(rows), count)
                self.assertEqual(rows[0], newest)
                self.assertEqual(rows[-1], oldest)
                # 13:00 UTC on Monday in the zone's standard time.
                ism = [r for r in rows if r[0] == 'ISM Services PMI']
                self.assertEqual(len(ism), 1)
                self.assertEqual(ism[0][2:5], ('2025-05-05', '17:00:00' if zone == 'Europe/Moscow' else '09:00:00',
                                               'Высокий'))
                self.assertEqual(prog.terminate(timeout=60), 0)
                self.assertEqual(calendar_rows(self.folder), rows)

        # A second start with the same feed adds nothing.
        prog = self.start('America/New_York')
        self.assertEqual(self.imported(prog).group(2), '0')
        self.assertEqual(len(calendar_rows(self.folder)), 87)
        self.assertEqual(prog.terminate(timeout=60), 0)
        self.assertEqual(len(feed_requests(self.log)), 3)
        for request in feed_requests(self.log):
            self.assertEqual((request['method'], request['path']), ('GET', '/ffcal_week_this.xml'))

    def test_a_release_is_announced_ahead(self):
        # ISM Services PMI comes at 14:00 UTC, 17:00 in Moscow; the lead time is the default 15 minutes. The clock
        # starts 40 s before the minute whose target it is, time enough for the import.
        prog = self.desk.start_program(self.folder, tz='Europe/Moscow', faketime='@2025-05-05 16:44:20',
                                       env={'NO_FAKE_STAT': '1'}, wrap=feed_wrap(self.document, self.log))
        prog.wait_main_window(timeout=90)
        self.imported(prog)
        m = prog.wait_output(r'news alert: (.*)', timeout=90)
        self.assertEqual(m.group(1), 'До события 15 минут: Через 15 минут будет опубликована новость. '
                                     'Уровень важности: Высокий')
        e2e.wait_until(lambda: self.desk.windows(name='^Информация$'), 30, what='the alert box')
        self.assertEqual(prog.output().count('news alert:'), 1)
        self.assertEqual(prog.terminate(timeout=60), 0)

    def test_offline_nothing_is_asked_and_old_rows_stay(self):
        prog = self.start('Europe/Moscow')
        self.imported(prog)
        self.assertEqual(prog.terminate(timeout=60), 0)
        db = sqlite3.connect(self.folder.file('econom.cds'))
        db.execute("UPDATE econom SET date = '2025-04-28'")  # last week's rows
        db.commit()
        db.close()

        prog = self.start('Europe/Moscow', online=False)
        prog.wait_output(r'calendar feed not asked for: offline')
        self.assertEqual(prog.terminate(timeout=60), 0)
        self.assertEqual(len(feed_requests(self.log)), 1)
        self.assertEqual(len(calendar_rows(self.folder)), 90)

    def test_a_server_that_never_answers_does_not_hold_the_window(self):
        prog = self.start('Europe/Moscow', silent=True)
        # The window is up while the request is still unanswered; the download gives up on its own.
        e2e.wait_until(lambda: feed_requests(self.log), 30, what='the feed request')
        # The request leaves during the start-up, so the window may still be on its way: it must come well
        # before the download's 10 s are out.
        e2e.wait_until(lambda: self.desk.windows(cls=e2e.PROGRAM_NAME, name=f'^{e2e.PROGRAM_NAME}$'), 8,
                       what='the main window while the feed is unanswered')
        self.assertNotIn('calendar feed', prog.output())
        prog.wait_output(r'calendar feed not loaded: no complete answer within 10000 ms', timeout=60)
        self.assertEqual(prog.terminate(timeout=60), 0)
        self.assertEqual(calendar_rows(self.folder), [])


# ---------------------------------------------------------------------------------------------------------------
# The feed server (run inside the program's network namespace)


class _Handler(BaseHTTPRequestHandler):
    def log_message(self, *args):
        pass

    def do_GET(self):
        path = self.path
        if path != '/probe':
            self.server.record({'method': 'GET', 'path': path, 'arrived': time.time()})
        if path == '/probe':
            body = b'ok'
        elif self.server.silent:
            time.sleep(3600)
            return
        else:
            with open(self.server.document, 'rb') as f:
                body = f.read()
        self.send_response(200)
        self.send_header('Content-Type', 'text/xml')
        self.send_header('Content-Length', str(len(body)))
        self.end_headers()
        self.wfile.write(body)


class _Server(ThreadingHTTPServer):
    daemon_threads = True
    allow_reuse_address = True

    def __init__(self, port, document, log_path, silent):
        super().__init__(('127.0.0.1', port), _Handler)
        self.document, self.log_path, self.silent = document, log_path, silent
        self._lock = threading.Lock()

    def record(self, record):
        with self._lock, open(self.log_path, 'a') as f:
            f.write(json.dumps(record) + '\n')


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


def _main(argv):
    parser = argparse.ArgumentParser()
    parser.add_argument('command', choices=['serve', 'probe'])
    parser.add_argument('--port', type=int, required=True)
    parser.add_argument('--file')
    parser.add_argument('--log')
    parser.add_argument('--silent', action='store_true')
    args = parser.parse_args(argv)
    if args.command == 'probe':
        return _probe(args.port)
    _Server(args.port, args.file, args.log, args.silent).serve_forever()
    return 0


if __name__ == '__main__':
    sys.exit(_main(sys.argv[1:]))
