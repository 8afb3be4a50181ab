#!/usr/bin/env bash
# Runs clang-tidy (.clang-tidy) over the program sources, using the compile commands of the build folder.
# Not part of the test command: a full run parses Qt's headers once per file and takes many minutes.
# Usage: scripts/tidy.sh [files...]   (default: every .cpp under src/)
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${VELTRANE_BUILD_DIR:-$root/build}
[ -f "$build/compile_commands.json" ] || "$root/scripts/build.sh"
cd "$root"
if [ $# -gt 0 ]; then
  files=("$@")
else
  mapfile -t files < <(find src -name '*.cpp' | sort)
fi
# Two at a time, like the build.
printf '%s\n' "${files[@]}" | xargs -P2 -n1 clang-tidy -p "$build" --quiet
