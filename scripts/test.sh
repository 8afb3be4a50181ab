#!/usr/bin/env bash
# Installs what is missing, builds everything with warnings as errors, checks the format, and runs every test
# (unit, widget and end-to-end) with CTest. Exits non-zero when a test fails. Safe to run again.
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
cd "$build"
# Last, so that CTest's closing line ("100% tests passed, 0 tests failed out of N") ends the output.
ctest --output-on-failure --no-tests=error -j2
