#!/usr/bin/env bash
# Idle CPU of the built program beside the bare window (bench/bare_window), both started at once on desktops of
# their own and measured over the same minute, so the machine's load weighs on both alike; six rounds, medians
# and paired ratios. Offline, warm (the caller's home folder). Runs as root (the network namespace).
# Usage: bench/idle_side_by_side.sh [rounds]   (VELTRANE_BUILD_DIR picks the build folder; default build/;
#                                              VELTRANE_BENCH_BEFORE=program folder of another build, measured
#                                              alongside; VELTRANE_BENCH_IDLE=seconds, 60; VELTRANE_BENCH_SETTLE=
#                                              seconds from the start to the measured span, 20)
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
exec /usr/bin/python3 -B "$root/bench/idle_side_by_side.py" "${1:-6}"
