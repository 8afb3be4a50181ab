"""Memory of the web views: PSS of the program and every process it started (the browser engine's helpers),
summed over /proc/<pid>/smaps_rollup, after an offline start and after an online start with the four banners
showing a small page from a loopback stand-in of the maker's site. Medians of a few starts of each.

Run by bench/web_memory.sh (as root: network namespaces)."""

import os
import re
import statistics
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, '..', 'tests', 'e2e'))

import veltrane_e2e as e2e  # noqa: E402
import web_site  # noqa: E402

START = '@2026-03-05 14:28:30'
PORT = 18130
SETTLE = 10  # seconds after the window (and, online, the last banner page) before measuring


def pss_kb(pid):
    try:
        with open(f'/proc/{pid}/smaps_rollup') as f:
            for line in f:
                if line.startswith('Pss:'):
                    return int(line.split()[1])
    except OSError:
        pass
    return 0


def rss_kb(pid):
    try:
        with open(f'/proc/{pid}/status') as f:
            m = re.search(r'^VmRSS:\s+(\d+)\s+kB', f.read(), re.M)
        return int(m.group(1)) if m else 0
    except OSError:
        return 0


def tree(prog):
    pid = prog.pid
    return [pid] + e2e.descendants(pid) if pid else []


def engine_mapped(pid):
    with open(f'/proc/{pid}/maps') as f:
        return 'libQt6WebEngineCore' in f.read()


def measure(workdir, online):
    desk = e2e.Desktop(os.path.join(workdir, f'desk-{time.monotonic_ns()}'))
    try:
        folder = e2e.ProgramFolder(e2e.program_source_dir(), os.path.join(workdir, f'app-{time.monotonic_ns()}'))
        folder.write_services(site=f'http://127.0.0.1:{PORT}')
        log = os.path.join(workdir, f'site-{time.monotonic_ns()}.jsonl')
        wrap = web_site.site_wrap(PORT, log) if online else e2e.OFFLINE
        prog = desk.start_program(folder, faketime=START, wrap=wrap)
        prog.wait_main_window(timeout=120)
        if online:
            e2e.wait_until(lambda: len([r for r in web_site.read_log(log)
                                        if r.get('path', '').startswith('/Veltrane/Google')]) >= 4,
                           60, what='four banner requests')
        time.sleep(SETTLE)
        pids = tree(prog)
        total = sum(pss_kb(p) for p in pids)
        if os.environ.get('VELTRANE_BENCH_DETAIL'):
            for p in pids:
                try:
                    with open(f'/proc/{p}/cmdline', 'rb') as f:
                        # The engine's helpers rewrite their command line into one blank-separated string.
                        m = re.search(rb'--type=(\S+)', f.read().replace(b'\0', b' '))
                    kind = m.group(1).decode() if m else 'program'
                except OSError:
                    kind = '?'
                print(f'    {"online" if online else "offline"} pid {p} {kind}: {pss_kb(p) / 1024.0:.1f} MB')
        rss = sum(rss_kb(p) for p in pids)
        mapped = engine_mapped(prog.pid)
        prog.terminate(timeout=60)
        return total / 1024.0, len(pids) - 1, mapped, rss / 1024.0
    finally:
        desk.close()


def main(runs):
    os.makedirs('/tmp', exist_ok=True)
    import tempfile
    workdir = tempfile.mkdtemp(prefix='veltrane-webmem-')
    rows = {}
    for online in (False, True):
        samples = [measure(workdir, online) for _ in range(runs)]
        rows[online] = (statistics.median(s[0] for s in samples), max(s[1] for s in samples),
                        any(s[2] for s in samples), statistics.median(s[3] for s in samples))
    print(f'web views memory of the program and its child processes, median of {runs} starts (MB)')
    print('  (PSS shares each library page among the processes that map it, so it drops while other Qt programs run;')
    print('   RSS counts shared pages whole in every process)')
    off, on = rows[False], rows[True]
    print('                                    PSS      RSS')
    print(f'  offline start                  {off[0]:7.1f}  {off[3]:7.1f}   child processes {off[1]}, '
          f'browser engine mapped: {"yes" if off[2] else "no"}')
    print(f'  online, four banners showing   {on[0]:7.1f}  {on[3]:7.1f}   child processes {on[1]}, '
          f'browser engine mapped: {"yes" if on[2] else "no"}   (target: PSS below 250)')
    print(f'  the banners\' share            {on[0] - off[0]:7.1f}  {on[3] - off[3]:7.1f}')
    return 0


if __name__ == '__main__':
    sys.exit(main(int(sys.argv[1]) if len(sys.argv) > 1 else 3))
