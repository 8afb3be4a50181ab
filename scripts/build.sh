#!/usr/bin/env bash
# Configures and builds Veltrane with CMake and Ninja (RelWithDebInfo) into build/ (or $VELTRANE_BUILD_DIR).
# Usage: scripts/build.sh [--werror] [ninja targets...]
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${VELTRANE_BUILD_DIR:-$root/build}
options=()
if [ "${1:-}" = "--werror" ]; then
  options+=(-DVELTRANE_WERROR=ON)
  shift
fi

# Without --werror the cached choice stays: flipping it would change every compile line and rebuild everything.
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${options[@]}" >/dev/null
# Two jobs: the machines we build on have two cores, and a linking Qt WebEngine program wants the memory.
ninja -C "$build" -j2 "$@"
