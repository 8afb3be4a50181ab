"""Idle CPU of the program and the bare window measured over the same minute, side by side.

bench/startup.sh starts one program after another, so each idle minute meets a different load; on a machine
shared with builds the run-to-run spread (±20 %) is larger than the differences being looked for. Here every
round starts the program (and, with VELTRANE_BENCH_BEFORE, another build of it) and the bare window at once, each
on a private desktop of its own, offline, warm, lets them settle, then reads the scheduler's run time of all
their threads over the same IDLE seconds: all meet the same load, and each round gives paired ratios. Prints each
round and the medians.
"""

import os
import statistics
import sys
import tempfile
import shutil
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'tests', 'e2e'))
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import veltrane_e2e as e2e  # noqa: E402
import startup_measure as measure  # noqa: E402

# Seconds from the start to the measured minute: past the start's one-off work (the greeting's check at tick 10).
SETTLE = float(os.environ.get('VELTRANE_BENCH_SETTLE', '20'))
IDLE = float(os.environ.get('VELTRANE_BENCH_IDLE', '60'))


def one_round(workdir, programs, bare):
    """{name: % of one core} for one round of everything started at once."""
    desks, started, pids = [], [], {}
    try:
        for name, source in programs:
            desk = e2e.Desktop(os.path.join(workdir, f'desk-{name}'))
            desks.append(desk)
            folder = e2e.ProgramFolder(source, tempfile.mkdtemp(prefix=f'{name}-', dir=workdir))
            prog = desk.start_program(folder, lang='ru_RU.UTF-8', tz='Europe/Moscow', wrap=e2e.offline_wrap())
            started.append(prog)
            pids[name] = prog.pid
        desk = e2e.Desktop(os.path.join(workdir, 'desk-bare'))
        desks.append(desk)
        env = dict(LANG='ru_RU.UTF-8', LC_ALL='ru_RU.UTF-8', LANGUAGE='', TZ='Europe/Moscow', QT_QPA_PLATFORM='xcb')
        proc = desk.start_process('bare', e2e.offline_wrap() + [bare], env)
        started.append(proc)
        e2e.wait_until(lambda: measure.pid_running(proc.pid, bare), 30, what='the bare window')
        time.sleep(SETTLE)
        pids['bare'] = measure.pid_running(proc.pid, bare)
        if not pids['bare']:
            raise e2e.HarnessError(f'the bare window ended:\n{proc.output()}')
        before = {name: measure.cpu_seconds(pid) for name, pid in pids.items()}
        time.sleep(IDLE)
        return {name: (measure.cpu_seconds(pid) - before[name]) / IDLE * 100 for name, pid in pids.items()}
    finally:
        for each in started:
            each.stop()
        for desk in desks:
            desk.close()


def main():
    rounds = int(sys.argv[1]) if len(sys.argv) > 1 else 6
    programs = [('program', e2e.program_source_dir())]
    if os.environ.get('VELTRANE_BENCH_BEFORE'):
        programs.append(('before', os.environ['VELTRANE_BENCH_BEFORE']))
    bare = os.environ['VELTRANE_BARE_WINDOW']
    measure.refresh_font_cache()
    results = {name: [] for name, _ in programs + [('bare', None)]}
    workdir = tempfile.mkdtemp(prefix='veltrane-bench-')
    try:
        for n in range(1, rounds + 1):
            got = one_round(tempfile.mkdtemp(prefix=f'round{n}-', dir=workdir), programs, bare)
            for name, value in got.items():
                results[name].append(value)
            print(f'round {n}: ' + ', '.join(f'{name} {value:.4f} %' for name, value in got.items()), flush=True)
    finally:
        shutil.rmtree(workdir, ignore_errors=True)

    med = statistics.median
    print(f'idle CPU over {IDLE:g} s from {SETTLE:g} s after the start, % of one core, medians of {rounds} rounds '
          f'measured side by side:')
    for name, values in results.items():
        print(f'  {name:8} {med(values):.4f}')
    for name, values in results.items():
        if name == 'bare':
            continue
        ratios = [a / b for a, b in zip(values, results['bare'])]
        print(f'  {name}/bare per round: {" ".join(f"{r:.2f}" for r in ratios)}; median {med(ratios):.2f}')
    if 'before' in results:
        ratios = [a / b for a, b in zip(results['program'], results['before'])]
        print(f'  program/before per round: {" ".join(f"{r:.2f}" for r in ratios)}; median {med(ratios):.2f}')


if __name__ == '__main__':
    main()
