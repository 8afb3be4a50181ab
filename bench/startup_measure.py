"""Measures the program's start-up on a private desktop, offline: time to the first paint and resident memory.

The first paint is the program's "first paint" line on stderr (printed when VELTRANE_TRACE_PAINT=1); a program
that prints none is timed to the moment its main window is mapped. Memory is VmRSS of the program itself and of
its whole process tree, SETTLE seconds after the first paint. Prints one line per run and a summary.
"""

import os
import shutil
import statistics
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'tests', 'e2e'))
import veltrane_e2e as e2e  # noqa: E402

SETTLE = 5.0


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


def one_run(desk, workdir, n):
    folder = e2e.ProgramFolder(e2e.program_source_dir(), tempfile.mkdtemp(prefix=f'run{n}-', dir=workdir))
    started = time.monotonic()
    prog = desk.start_program(folder, lang='ru_RU.UTF-8', tz='Europe/Moscow', wrap=e2e.OFFLINE,
                              env={'VELTRANE_TRACE_PAINT': '1'})
    try:
        # The log line is cheap to look at and is looked at often; the window look-up runs a tool, so less often.
        mapped = painted = None
        deadline = started + 120
        next_look = started
        while painted is None:
            now = time.monotonic()
            if 'first paint' in prog.output():
                painted = now
                break
            if not prog.running():
                raise e2e.HarnessError(f'program ended:\n{prog.output()}')
            if mapped is None and now >= next_look:
                if main_window_mapped(desk):
                    mapped = time.monotonic()
                next_look = now + 0.1
            # A program without the trace line is timed to its window; give the line a few seconds to come.
            if mapped is not None and now - mapped > 5 or now > deadline:
                break
            time.sleep(0.01)
        if painted is not None:
            elapsed, how = painted - started, 'first paint'
        elif mapped is not None:
            elapsed, how = mapped - started, 'window mapped'
        else:
            raise e2e.HarnessError('no window within 120 s')
        time.sleep(SETTLE)
        boxes = prog.message_boxes()
        if boxes:
            print(f'run {n}: a message box is open: {[title for _, title in boxes]}', flush=True)
        rss, tree = prog.rss_kb(), prog.tree_rss_kb()
        prog.terminate(timeout=60)
        return elapsed, how, rss, tree
    finally:
        prog.stop()


def main():
    runs = int(sys.argv[1]) if len(sys.argv) > 1 else 5
    workdir = tempfile.mkdtemp(prefix='veltrane-bench-')
    desk = e2e.Desktop(os.path.join(workdir, 'desk'))
    results = []
    try:
        for n in range(1, runs + 1):
            elapsed, how, rss, tree = one_run(desk, workdir, n)
            results.append((elapsed, rss, tree, how))
            print(f'run {n}: start to {how} {elapsed * 1000:.0f} ms, VmRSS {rss / 1024:.1f} MiB '
                  f'(process tree {tree / 1024:.1f} MiB) after {SETTLE:g} s', flush=True)
    finally:
        desk.close()
        shutil.rmtree(workdir, ignore_errors=True)
    times = [r[0] * 1000 for r in results]
    rss = [r[1] / 1024 for r in results]
    tree = [r[2] / 1024 for r in results]
    hows = {r[3] for r in results}
    label = 'startup_to_first_paint_ms' if hows == {'first paint'} else 'startup_to_window_mapped_ms'
    print(f'{label}: median {statistics.median(times):.0f}, min {min(times):.0f}, '
          f'max {max(times):.0f} ({runs} runs, offline)')
    print(f'resident_memory_mib: median {statistics.median(rss):.1f} (process tree {statistics.median(tree):.1f})')


if __name__ == '__main__':
    main()
