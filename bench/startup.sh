#!/usr/bin/env bash
# Start-up figures of the built program beside a bare Qt window: time to map, to first paint, resident memory a few
# seconds later, idle CPU over a minute (VELTRANE_BENCH_IDLE=seconds) from 5 s after the first paint and again from
# 15 s, past the start's one-off work; six starts of each, in turn, medians.
# Offline (a network namespace of its own), on a private X server, from a fresh program folder; two tables: warm
# (one home folder) and cold (an unprivileged user with a new empty home folder and its own session bus for each
# start). Runs as root (the network namespace, the user switch, making the user `veltrane-bench` when missing).
# Usage: bench/startup.sh [runs]      (VELTRANE_BUILD_DIR picks the build folder; default build/;
#                                      VELTRANE_BENCH_SETTINGS="warm" or "cold" runs only one of the two;
#                                      VELTRANE_BENCH_SMAPS=folder keeps /proc/PID/smaps and status of every start
#                                      there, for bench/smaps_diff.py;
#                                      VELTRANE_BENCH_TRACE=1 prints the program's own start-up marks;
#                                      VELTRANE_BENCH_BEFORE=folder starts the program folder of another build in
#                                      turn with this one and prints the two side by side, before and after)
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${VELTRANE_BUILD_DIR:-$root/build}
if [ ! -x "$build/Veltrane/Veltrane" ]; then
  "$root/scripts/build.sh" Veltrane
fi
export VELTRANE_PROGRAM_DIR=$build/Veltrane
if [ ! -x "$build/bench/bare_window" ]; then
  "$root/scripts/build.sh" bare_window
fi
export VELTRANE_BARE_WINDOW=$build/bench/bare_window
exec /usr/bin/python3 -B "$root/bench/startup_measure.py" "${1:-6}"
