#!/usr/bin/env bash
# Installs what is missing, builds, and starts Veltrane from build/Veltrane/ on the user's display.
# Without a display: scripts/run.sh --headless starts a private Xvfb with a window manager and says how to look.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${VELTRANE_BUILD_DIR:-$root/build}
headless=0
[ "${1:-}" = "--headless" ] && headless=1

"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" Veltrane

exe=$build/Veltrane/Veltrane
# As root the embedded web views' browser engine refuses to start with its sandbox on.
if [ "$(id -u)" -eq 0 ]; then
  export QTWEBENGINE_DISABLE_SANDBOX=1
fi

if [ -z "${DISPLAY:-}" ] && [ "$headless" = 0 ]; then
  cat >&2 <<MSG
run: there is no display (DISPLAY is not set), so the window has nowhere to appear.
     Run it from a desktop session, or start it on a private X server with:
         scripts/run.sh --headless
MSG
  exit 2
fi

if [ "$headless" = 1 ]; then
  work=$(mktemp -d)
  pids=()
  cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
  }
  trap cleanup EXIT
  trap 'exit 130' INT TERM
  # Xvfb picks a free display itself and writes its number to fd 3 once it accepts connections.
  Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
  pids+=($!)
  for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    sleep 0.1
  done
  [ -s "$work/display" ] || { echo "run: Xvfb did not start:" >&2; cat "$work/xvfb.log" >&2; exit 1; }
  export DISPLAY=:$(tr -d '\n' <"$work/display")
  export XDG_RUNTIME_DIR=$work/runtime
  mkdir -m 700 "$XDG_RUNTIME_DIR"
  export DBUS_SESSION_BUS_ADDRESS=disabled:
  icewm >"$work/icewm.log" 2>&1 &
  pids+=($!)
  cat <<MSG
run: Veltrane is on the private display $DISPLAY (Ctrl+C ends it). To look at it from another shell:
         DISPLAY=$DISPLAY import -window root /tmp/veltrane.png     # a screenshot
         DISPLAY=$DISPLAY xdotool search --class Veltrane           # its windows
MSG
  "$exe" &
  pids+=($!)
  wait "${pids[-1]}"
  exit $?
fi

exec "$exe"
