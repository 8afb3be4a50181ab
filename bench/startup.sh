#!/usr/bin/env bash
# Start-up figures of the built program: time from process start to the first paint, and resident memory a few
# seconds later. Offline (a network namespace of its own), on a private X server, from a fresh program folder.
# Usage: bench/startup.sh [runs]      (VELTRANE_BUILD_DIR picks the build folder; default build/)
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${VELTRANE_BUILD_DIR:-$root/build}
if [ ! -x "$build/Veltrane/Veltrane" ]; then
  "$root/scripts/build.sh" Veltrane
fi
export VELTRANE_PROGRAM_DIR=$build/Veltrane
exec /usr/bin/python3 -B "$root/bench/startup_measure.py" "${1:-5}"
