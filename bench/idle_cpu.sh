#!/bin/bash
# Measures the program's processor use while it sits idle: starts it on a private Xvfb desktop, lets the
# delayed starts of the first 30 seconds pass, then reads utime+stime from /proc/PID/stat before and after a
# quiet minute and prints the share of one core. Target: below 0.5 %.
#
#   bench/idle_cpu.sh [EXECUTABLE] [SECONDS]
#
# EXECUTABLE defaults to build/Veltrane/Veltrane (relative to the current folder); SECONDS to 60.
# Environment: SETTLE (seconds before measuring, default 35), KEEP=1 keeps the temporary program folder.
# The program runs from a copy in a temporary folder, so the files it creates beside itself go there, with
# every service address in its settings pointing at a closed loopback port; as root it also runs in a network
# namespace of its own, so nothing can leave the machine.
set -euo pipefail

exe=${1:-build/Veltrane/Veltrane}
seconds=${2:-60}
settle=${SETTLE:-35}

if [[ ! -x $exe ]]; then
    echo "idle_cpu.sh: no executable at $exe" >&2
    exit 2
fi
for tool in Xvfb awk; do
    command -v "$tool" >/dev/null || { echo "idle_cpu.sh: $tool is missing" >&2; exit 2; }
done

work=$(mktemp -d /tmp/veltrane-idle.XXXXXX)
xvfb_pid=""
wm_pid=""
app_pid=""
cleanup() {
    [[ -n $app_pid ]] && kill "$app_pid" 2>/dev/null || true
    [[ -n $wm_pid ]] && kill "$wm_pid" 2>/dev/null || true
    [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null || true
    wait 2>/dev/null || true
    if [[ ${KEEP:-0} == 1 ]]; then echo "program folder kept: $work/app"; else rm -rf "$work"; fi
}
trap cleanup EXIT

mkdir -p "$work/app" "$work/run"
chmod 700 "$work/run"
cp "$exe" "$work/app/"
app="$work/app/$(basename "$exe")"
cat >"$work/app/veltrane.ini" <<'INI'
[Services]
SiteUrl=http://127.0.0.1:9
FeedUrl=http://127.0.0.1:9/ffcal_week_this.xml
SpeechUrl=http://127.0.0.1:9
SmtpHost=127.0.0.1
SmtpPort=9
MailTo=nobody@127.0.0.1
INI

# Xvfb picks a free display itself and writes its number to fd 5.
Xvfb -displayfd 5 -screen 0 1280x800x24 -nolisten tcp 5>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do
    [[ -s $work/display ]] && break
    sleep 0.1
done
[[ -s $work/display ]] || { echo "idle_cpu.sh: Xvfb did not start" >&2; cat "$work/xvfb.log" >&2; exit 1; }
export DISPLAY=":$(head -n1 "$work/display")"
export XDG_RUNTIME_DIR="$work/run"
export DBUS_SESSION_BUS_ADDRESS=disabled:
export QT_QPA_PLATFORM=xcb
export QTWEBENGINE_DISABLE_SANDBOX=1
unset QT_QPA_PLATFORMTHEME

if command -v icewm >/dev/null; then
    icewm >"$work/wm.log" 2>&1 &
    wm_pid=$!
fi

launcher=()
if [[ $(id -u) == 0 ]] && unshare -n true 2>/dev/null; then
    launcher=(unshare -n) # unshare execs the program: the PID stays the program's own
fi
(cd "$work/app" && exec "${launcher[@]}" "$app" >"$work/app.log" 2>&1) &
app_pid=$!

cpu_ticks() { # utime + stime of one process, in clock ticks; the name in parentheses may hold spaces
    local stat
    stat=$(<"/proc/$1/stat") || return 1
    stat=${stat##*) }
    awk '{ print $12 + $13 }' <<<"$stat"
}
tree_ticks() { # the same summed over the process and all its descendants (web view helpers, players)
    local total=0 pid
    for pid in $1 $(descendants "$1"); do
        total=$((total + $(cpu_ticks "$pid" 2>/dev/null || echo 0)))
    done
    echo "$total"
}
descendants() {
    local child
    for child in $(cat /proc/"$1"/task/*/children 2>/dev/null); do
        echo "$child"
        descendants "$child"
    done
}
alive() { kill -0 "$app_pid" 2>/dev/null; }

sleep "$settle"
alive || { echo "idle_cpu.sh: the program ended during start-up" >&2; cat "$work/app.log" >&2; exit 1; }

hz=$(getconf CLK_TCK)
start_main=$(cpu_ticks "$app_pid")
start_tree=$(tree_ticks "$app_pid")
start_time=$(date +%s.%N)
sleep "$seconds"
alive || { echo "idle_cpu.sh: the program ended while measured" >&2; cat "$work/app.log" >&2; exit 1; }
end_main=$(cpu_ticks "$app_pid")
end_tree=$(tree_ticks "$app_pid")
end_time=$(date +%s.%N)

awk -v hz="$hz" -v m0="$start_main" -v m1="$end_main" -v t0="$start_tree" -v t1="$end_tree" \
    -v s0="$start_time" -v s1="$end_time" -v exe="$(basename "$exe")" 'BEGIN {
    wall = s1 - s0
    printf "idle CPU of %s over %.1f s: %.3f %% of one core (process), %.3f %% (with its child processes); " \
           "resolution %.3f %%\n", exe, wall, (m1 - m0) / hz / wall * 100, (t1 - t0) / hz / wall * 100, 100 / hz / wall
}'
