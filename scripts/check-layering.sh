#!/usr/bin/env bash
# Fails when a room below the wiring room reaches up into it: only src/app/ and the entry point include "app/...".
# Usage: scripts/check-layering.sh [source folder, default src/]
set -euo pipefail

src=${1:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/src}
found=$(grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*["<]app/' "$src" --include='*.h' --include='*.cpp' \
  | grep -vE "^$src/?(app/|main\.cpp:)" || true)
if [ -n "$found" ]; then
  echo "check-layering: these files below src/app/ include the wiring room:" >&2
  echo "$found" >&2
  exit 1
fi
echo "check-layering: no room below src/app/ includes it"
