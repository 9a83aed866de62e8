#!/usr/bin/env bash
# Plays the real game binary on a virtual X server with a window manager and
# a session bus with the accessibility bus on it; e2e.py does the playing.
# Usage: run_e2e.sh PONDERINE_BINARY OUTPUT_DIR [--screen WxH] [e2e.py options...]
# Screenshots and the game's output go to OUTPUT_DIR. The screen is 3840x2160
# unless --screen names another.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
. "$here/../packaging/common.sh"

[ $# -ge 2 ] || fail "usage: $0 PONDERINE_BINARY OUTPUT_DIR [e2e.py options...]"
binary=$(realpath "$1") out=$2
shift 2
screen=3840x2160
if [ "${1:-}" = --screen ]; then
    screen=$2
    shift 2
fi
# Debian's python3 has pyatspi; another python3 first on PATH may not.
python=/usr/bin/python3

require_tool Xvfb xvfb
require_tool openbox openbox
require_tool xdotool xdotool
require_tool xprop x11-utils
require_tool import imagemagick
require_tool xmodmap x11-xserver-utils
require_tool dbus-run-session dbus
require_tool dbus-send dbus
[ -x /usr/libexec/at-spi-bus-launcher ] || fail "the accessibility bus is missing: install the Debian package at-spi2-core"
"$python" -c 'import pyatspi' 2>/dev/null || fail "$python cannot import pyatspi: install the Debian package python3-pyatspi"
[ -f "$binary" ] || fail "$binary is not built: build the target ponderine first"

# The desktop, the buses, the screen reader and the game run ahead of the
# rest of the machine's work where we may raise them (as root): Qt gives the
# screen reader 100 ms to claim a key, and on a loaded machine Orca missed
# its commands. What must be heard stays the same.
if [ "$(id -u)" -eq 0 ]; then
    renice -n -10 -p $$ >/dev/null
fi

mkdir -p "$out"
rm -f "$out"/*.png "$out"/*.log
out=$(realpath "$out")
work=$(mktemp -d "${TMPDIR:-/tmp}/ponderine-e2e.XXXXXX")

# Ends one process we started: TERM, then KILL if it is still there after 5 s.
stop() {
    local pid=$1 i
    kill "$pid" 2>/dev/null || return 0
    for i in $(seq 50); do
        kill -0 "$pid" 2>/dev/null || return 0
        sleep 0.1
    done
    kill -KILL "$pid" 2>/dev/null || true
}

cleanup() {
    local status=$? pid
    trap - EXIT INT TERM
    # What the driver started and had not stopped yet: the game, the buses.
    if [ -f "$work/pids" ]; then
        while read -r pid; do stop "$pid"; done <"$work/pids"
    fi
    for pid in ${session_pid:-} ${wm_pid:-} ${xvfb_pid:-}; do stop "$pid"; done
    wait 2>/dev/null || true
    if [ "$status" -ne 0 ] && [ -n "${display:-}" ]; then
        echo "screenshots and logs: $out" >&2
    fi
    rm -rf "$work"
    exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# Waits up to SECONDS for COMMAND to succeed, failing with WHAT.
wait_until() {
    local seconds=$1 what=$2 i
    shift 2
    for i in $(seq $((seconds * 10))); do
        "$@" && return 0
        sleep 0.1
    done
    fail "waited $seconds s for $what"
}

export HOME=$work/home XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data \
    XDG_CACHE_HOME=$work/cache XDG_RUNTIME_DIR=$work/runtime
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_CACHE_HOME" "$XDG_RUNTIME_DIR"
chmod 0700 "$XDG_RUNTIME_DIR"
# Nothing of the desktop this may be started from: no other display, bus or locale.
unset WAYLAND_DISPLAY DBUS_SESSION_BUS_ADDRESS AT_SPI_BUS_ADDRESS SESSION_MANAGER LANGUAGE LC_ALL
export LANG=C.UTF-8

# Big enough for the window at twice the size. Xvfb picks a free display and
# writes its number to the file once it accepts connections.
Xvfb -displayfd 3 -noreset -nolisten tcp -screen 0 "${screen}x24" \
    3>"$work/display" >"$out/xvfb.log" 2>&1 &
xvfb_pid=$!
display_ready() {
    kill -0 "$xvfb_pid" 2>/dev/null || fail "Xvfb stopped: $(cat "$out/xvfb.log")"
    display=$(head -n 1 "$work/display" 2>/dev/null) && [[ $display =~ ^[0-9]+$ ]]
}
wait_until 10 "Xvfb to start" display_ready
export DISPLAY=:$display

# Names can have letters the US keyboard lacks. For those xdotool remaps a key
# for each press and undoes it straight after, and a busy game may read the
# press after that; a key of their own on the keyboard avoids the race.
spare=$(xmodmap -pke | awk 'NF == 3 && $1 == "keycode" { key = $2 } END { print key }')
[ -n "$spare" ] || fail "the X server's keyboard has no spare key"
xmodmap -e "keycode $spare = ediaeresis Ediaeresis"

openbox --sm-disable >"$out/openbox.log" 2>&1 &
wm_pid=$!
wm_ready() {
    kill -0 "$wm_pid" 2>/dev/null || fail "openbox stopped: $(cat "$out/openbox.log")"
    xprop -root -notype _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'
}
wait_until 10 "openbox to manage the screen" wm_ready

# The environment is set before the session bus starts: the accessibility bus
# launcher that it starts on demand inherits it. What the buses print goes to
# a log; the driver prints here, through descriptor 3.
start=$SECONDS
dbus-run-session -- bash -c 'exec "$@" >&3 2>&3' driver \
    "$python" "$here/e2e.py" --binary "$binary" --out "$out" --pids "$work/pids" "$@" \
    3>&1 >"$out/session-bus.log" 2>&1 &
session_pid=$!
status=0
wait "$session_pid" || status=$?
session_pid=
echo "e2e took $((SECONDS - start)) s"
exit "$status"
