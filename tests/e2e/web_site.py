"""A small stand-in for the maker's web site on loopback, for the web views: banner pages whose left half is a
link and whose right half is a link opening a new window, the calendar, forecast, video and running-line pages
(each a link filling the page), and an installer. Every request is logged as one JSON line.

Run inside a network namespace by `site_wrap` (the program then believes it is online), or by hand:
    python3 web_site.py serve --port 18120 --log requests.jsonl
"""

import argparse
import json
import os
import re
import subprocess
import sys
import threading
import time
import urllib.request
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

import veltrane_e2e as e2e

INSTALLER = b'MZ' + bytes(range(256)) * 64

BANNER = '''<html><body style="margin:0;background:#000">
<a href="/clicked/{name}" style="position:absolute;left:0;top:0;width:50%;height:100%;background:#0c0"></a>
<a href="/blank/{name}" target="_blank"
   style="position:absolute;left:50%;top:0;width:50%;height:100%;background:#c00"></a>
</body></html>'''

PAGE = '''<html><body style="margin:0;background:#000">
<a href="{target}" style="position:absolute;left:0;top:0;width:100%;height:100%;background:#00c"></a>
</body></html>'''

PAGES = {
    '/Veltrane/Google-468x60.php': BANNER.format(name='468'),
    '/Veltrane/Google-234x60.php': BANNER.format(name='234'),
    '/Veltrane/Google-468x60-white.php': BANNER.format(name='white'),
    '/Veltrane/ek.htm': PAGE.format(target='/clicked/ek'),
    '/Veltrane/prognozMaxiForex.htm': PAGE.format(target='/clicked/forecast'),
    '/Veltrane/videoPrognoz.php': PAGE.format(target='/clicked/video'),
    '/Veltrane/videoInstaForex.php': PAGE.format(target='/clicked/video'),
    '/Veltrane/videoUtroInvestora.htm': PAGE.format(target='/clicked/video'),
    # A reload of the running line stays; its link leads elsewhere.
    '/Veltrane/BegStroka.php': PAGE.format(target='/clicked/line'),
    # A newer version than the program's, so the update check offers the installer.
    '/attachments/update.html': '<html><ver>9.9.9.9</ver><desc>Новая версия</desc></html>',
    '/probe': 'ok',
}


class _Handler(BaseHTTPRequestHandler):
    protocol_version = 'HTTP/1.0'

    def do_GET(self):
        path = self.path.split('?', 1)[0]
        self.server.record({'path': self.path, 'arrived': time.time()})
        if path == '/attachments/047_SetupVeltrane.exe':
            body, ctype = INSTALLER, 'application/octet-stream'
        elif path in PAGES:
            body, ctype = PAGES[path].encode(), 'text/html; charset=utf-8'
        else:
            body, ctype = b'not here', 'text/plain'
        self.send_response(200 if path in PAGES or ctype.startswith('application') else 404)
        self.send_header('Content-Type', ctype)
        if ctype.startswith('application'):
            self.send_header('Content-Disposition', 'attachment; filename="047_SetupVeltrane.exe"')
        self.send_header('Content-Length', str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def do_POST(self):
        # The program's own page fetcher posts its (empty) form.
        self.rfile.read(int(self.headers.get('Content-Length') or 0))
        self.do_GET()

    def log_message(self, fmt, *args):
        pass


class _Server(ThreadingHTTPServer):
    daemon_threads = True
    allow_reuse_address = True

    def __init__(self, port, log_path):
        super().__init__(('127.0.0.1', port), _Handler)
        self.log_path = log_path
        self.lock = threading.Lock()

    def record(self, record):
        with self.lock, open(self.log_path, 'a') as f:
            f.write(json.dumps(record) + '\n')


def interfaces():
    """(ifindex, name, hardware address) of this namespace's network interfaces, as `ip` lists them (sysfs still
    shows the host's)."""
    found = []
    listing = subprocess.run(['ip', '-o', 'link'], capture_output=True, text=True, check=True).stdout
    for line in listing.splitlines():
        m = re.match(r'(\d+): ([^:@]+)[^\\]*\\\s+link/\S+ ([0-9a-f:]+)', line)
        if m:
            found.append((int(m.group(1)), m.group(2), m.group(3)))
    return sorted(found)


def read_log(path):
    try:
        with open(path) as f:
            return [json.loads(line) for line in f if line.strip()]
    except FileNotFoundError:
        return []


# A network that makes the program think it is online while nothing can leave the namespace.
_SEALED_NETWORK = ('ip link add v0 type veth peer name v1 && ip addr add 10.99.0.2/24 dev v0 && '
                   'ip link set v0 up && ip link set v1 up && ip route add default via 10.99.0.1 dev v0')


def site_wrap(port, log_path):
    """A wrap for start_program: a fresh network namespace that looks online, with this site on loopback `port`
    (its interfaces logged first, as {"interfaces": [...]}), then the program (exit 95..97 when a step fails)."""
    me = os.path.abspath(__file__)
    script = ('ip link set lo up || exit 96; '
              f'{{ {_SEALED_NETWORK}; }} || exit 95; '
              f'{sys.executable} -B {me} serve --port {port} --log {log_path} & '
              f'{sys.executable} -B {me} probe --port {port} || exit 97; '
              'exec "$@"')
    return e2e.offline_wrap() + ['sh', '-c', script, 'sh']


def main(argv):
    parser = argparse.ArgumentParser(description='loopback stand-in for the web views\' site')
    sub = parser.add_subparsers(dest='command', required=True)
    serve = sub.add_parser('serve')
    serve.add_argument('--port', type=int, required=True)
    serve.add_argument('--log', required=True)
    probe = sub.add_parser('probe')
    probe.add_argument('--port', type=int, required=True)
    args = parser.parse_args(argv)
    if args.command == 'serve':
        server = _Server(args.port, args.log)
        server.record({'interfaces': interfaces()})
        server.serve_forever()
        return 0
    deadline = time.monotonic() + 20
    while time.monotonic() < deadline:
        try:
            with urllib.request.urlopen(f'http://127.0.0.1:{args.port}/probe', timeout=2) as answer:
                if answer.read() == b'ok':
                    return 0
        except OSError:
            time.sleep(0.1)
    return 1


if __name__ == '__main__':
    sys.exit(main(sys.argv[1:]))
