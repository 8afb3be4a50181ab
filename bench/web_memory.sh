#!/usr/bin/env bash
# Memory of the web views: PSS of the whole process tree after an offline start and online with the four banners
# showing a page from a loopback site (a network namespace that looks online). Prints both, medians of N starts.
# Runs as root (network namespaces). Usage: bench/web_memory.sh [runs]   (VELTRANE_BUILD_DIR: the build folder)
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${VELTRANE_BUILD_DIR:-$root/build}
if [ ! -x "$build/Veltrane/Veltrane" ] || [ ! -f "$build/Veltrane/VeltraneWeb.so" ]; then
  "$root/scripts/build.sh" Veltrane VeltraneWeb
fi
export VELTRANE_PROGRAM_DIR=$build/Veltrane
exec /usr/bin/python3 -B "$root/bench/web_memory.py" "${1:-3}"
