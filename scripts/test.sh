#!/usr/bin/env bash
# Installs what is missing, builds everything with warnings as errors, checks the format, and runs every test
# (unit, widget and end-to-end) with CTest, after a short run of each fuzz target. Exits non-zero when a test fails. Safe to run again.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${VELTRANE_BUILD_DIR:-$root/build}
export VELTRANE_BUILD_DIR=$build

"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" --werror || { echo "test: the build failed (warnings count as errors here)" >&2; exit 1; }
"$root/scripts/format-check.sh" --strict

# No test may reach past loopback, and no test needs the caller's desktop: the end-to-end tests bring their own.
unset DISPLAY WAYLAND_DISPLAY
export DBUS_SESSION_BUS_ADDRESS=disabled:
# The readers of outside bytes, fuzzed about 20 s each with sanitizers; a finding fails the run.
fuzz_status=0
if command -v clang++ >/dev/null; then
  "$root/bench/fuzz.sh" all "${VELTRANE_FUZZ_SECONDS:-20}" || fuzz_status=1
else
  echo "test: clang++ is missing, the fuzz targets were not run" >&2
fi

cd "$build"
# Last, so that CTest's closing line ("100% tests passed, 0 tests failed out of N") ends the output.
ctest --output-on-failure --no-tests=error -j2
if [ $fuzz_status -ne 0 ]; then
  echo "test: a fuzz target found a fault (see above)" >&2
  exit 1
fi
