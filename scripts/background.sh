# Sourced by ./check and the scripts it runs: the long builds that go on in
# the background (Qt for Windows), and the quiet they must leave to the tests
# that wait on a desktop, a screen reader and the accessibility bus, which
# time out when a build holds both cores.
#
# Each background build runs in a session of its own; ./check lists their
# session ids in PONDERINE_BACKGROUND_SESSIONS, which the Debian 13 chroot's
# ./check is handed too (it sees the host's processes).

# Starts "$@" in a new session, its output to LOG, and adds the session to
# PONDERINE_BACKGROUND_SESSIONS; the session id is left in
# PONDERINE_BACKGROUND_LAST.
ponderine_background() {
    local log=$1
    shift
    # A background job of a script is no group leader, so setsid needs no
    # fork and $! is the new session's id.
    setsid "$@" >"$log" 2>&1 &
    PONDERINE_BACKGROUND_LAST=$!
    export PONDERINE_BACKGROUND_SESSIONS="${PONDERINE_BACKGROUND_SESSIONS:-} $PONDERINE_BACKGROUND_LAST"
}

# Sends a signal to every process of every background session. By session,
# not by process group: ninja starts each compiler in a group of its own.
ponderine_background_signal() {
    local signal=$1 sid
    for sid in ${PONDERINE_BACKGROUND_SESSIONS:-}; do
        pkill "-$signal" -s "$sid" 2>/dev/null || true
    done
}

# Ends every background session, stopped or not.
ponderine_background_end() {
    ponderine_background_signal TERM
    ponderine_background_signal CONT
}

# Runs "$@" with the background builds stopped (SIGSTOP), and lets them go
# on afterwards, however "$@" ends.
ponderine_quietly() {
    local status=0
    # Twice: a process forked while the first pass ran is caught by the second.
    ponderine_background_signal STOP
    ponderine_background_signal STOP
    [ -z "${PONDERINE_BACKGROUND_SESSIONS// /}" ] || echo "Background builds stopped while: $*"
    "$@" || status=$?
    ponderine_background_signal CONT
    return "$status"
}
