#!/usr/bin/env bash
# Checks the C++ sources of src/, tests/ and bench/ against .clang-format without changing them.
# Report-only by default (prints the files that differ, exits 0); --strict (or VELTRANE_FORMAT_STRICT=1) fails.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
strict=${VELTRANE_FORMAT_STRICT:-0}
[ "${1:-}" = "--strict" ] && strict=1
cd "$root"

if ! command -v clang-format >/dev/null; then
  echo "format: clang-format is not installed" >&2
  [ "$strict" = 1 ] && exit 1 || exit 0
fi

mapfile -t files < <(find src tests bench -type f \( -name '*.cpp' -o -name '*.h' \) 2>/dev/null | sort)
differ=()
for f in "${files[@]}"; do
  clang-format --dry-run --Werror "$f" >/dev/null 2>&1 || differ+=("$f")
done

if [ ${#differ[@]} -eq 0 ]; then
  echo "format: all ${#files[@]} files match .clang-format"
  exit 0
fi
echo "format: ${#differ[@]} of ${#files[@]} files differ from .clang-format (see: clang-format --dry-run FILE):"
printf '  %s\n' "${differ[@]}"
if [ "$strict" = 1 ]; then
  exit 1
fi
echo "format: report only (set VELTRANE_FORMAT_STRICT=1 to fail on it)"
