# Sourced by ./check and the scripts it runs: the long builds that go on in
# the background (Qt for Windows, Qt for WebAssembly and the web page), and
# the quiet they must leave to the tests that wait on a desktop, a screen
# reader and the accessibility bus, which time out when a build holds both
# cores.
#
# Each background build runs under scripts/background-job, which stops it
# while a quiet mark exists and ends it as soon as the check that started it
# is gone, however that check ended. ./check keeps what the jobs need in a
# folder of its own, PONDERINE_BACKGROUND_STATE, which the scripts it runs
# inherit. A check with no background builds (plain ./check) has none, and
# its quiet steps only set their mark.

# The quiet mark of this tree: it exists while a desktop test runs here. A
# Debian 13 chroot's ./check sets the one of its own tree, which the host's
# jobs watch too (scripts/check-debian13). The tests name one of their own.
ponderine_quiet_mark=${PONDERINE_QUIET_MARK:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/.ponderine-quiet}

# Makes the state folder, removed on the way out (ponderine_on_exit, from
# scripts/deps.sh); the jobs see the check go and end by themselves.
ponderine_background_init() {
    PONDERINE_BACKGROUND_STATE=$(mktemp -d "${TMPDIR:-/tmp}/ponderine-check.XXXXXX")
    export PONDERINE_BACKGROUND_STATE
    chmod 755 "$PONDERINE_BACKGROUND_STATE"
    printf '%s\n' "$ponderine_quiet_mark" >"$PONDERINE_BACKGROUND_STATE/marks"
    rm -f "$ponderine_quiet_mark"
    ponderine_on_exit 'rm -rf "$PONDERINE_BACKGROUND_STATE" "$ponderine_quiet_mark"'
}

# Starts the job NAME, "$@", its output to LOG. With --root first, the job
# runs as root: through sudo (whose password ./check asked for at its start)
# for an ordinary user.
ponderine_background() {
    local sudo=() name log
    if [ "$1" = --root ]; then
        shift
        [ "$(id -u)" -eq 0 ] || sudo=(sudo -n)
    fi
    name=$1 log=$2
    shift 2
    : >"$log" # the user's, even when the job is root's
    printf '%s\n' "$name" >>"$PONDERINE_BACKGROUND_STATE/jobs"
    # nohup: the job outlives sudo's terminal.
    "${sudo[@]}" nohup setsid -f "$(dirname "${BASH_SOURCE[0]}")/background-job" \
        "$PONDERINE_BACKGROUND_STATE" "$name" "$$" -- "$@" </dev/null >>"$log" 2>&1 ||
        { echo "Could not start $name in the background; see $log" >&2; return 1; }
}

# Waits for the job NAME to end (its log LOG, WHAT it builds); fails, with
# the end of the log, if it failed.
ponderine_background_wait() {
    local name=$1 log=$2 what=$3 state=$PONDERINE_BACKGROUND_STATE waited=0 pid
    [ -e "$state/$name.rc" ] || echo "Waiting for $what to be built in the background; its log: $log"
    until [ -e "$state/$name.rc" ]; do
        pid=$(cat "$state/$name.pid" 2>/dev/null || true)
        if { [ -n "$pid" ] && [ ! -d "/proc/$pid" ]; } || { [ -z "$pid" ] && [ "$waited" -gt 60 ]; }; then
            [ -e "$state/$name.rc" ] && break
            tail -n 40 "$log" >&2
            echo "Building $what ended without a result; its log: $log" >&2
            return 1
        fi
        sleep 1
        waited=$((waited + 1))
    done
    if [ "$(cat "$state/$name.rc")" != 0 ]; then
        tail -n 40 "$log" >&2
        echo "Building $what failed; its log: $log" >&2
        return 1
    fi
    tail -n 2 "$log"
}

# Runs "$@" with the background builds stopped, and lets them go on
# afterwards, however "$@" ends.
ponderine_quietly() {
    local status=0 state=${PONDERINE_BACKGROUND_STATE:-} name tries
    : >"$ponderine_quiet_mark"
    if [ -n "$state" ] && [ -s "$state/jobs" ]; then
        echo "Background builds stopped while: $*"
        # Each job still running says it has stopped.
        for name in $(cat "$state/jobs"); do
            for ((tries = 0; tries < 100; tries++)); do
                [ -e "$state/$name.stopped" ] || [ -e "$state/$name.rc" ] && break
                sleep 0.1
            done
        done
    fi
    "$@" || status=$?
    rm -f "$ponderine_quiet_mark"
    return "$status"
}
