#!/usr/bin/env bash
# ./check's background builds (scripts/background.sh): plain ./check's quiet
# step with no background at all; a build stopped while a quiet step runs;
# a failed build reported; and a check killed outright leaves nothing
# stopped and no lock held.
# Usage: background_jobs.sh SOURCE_DIR WORK_DIR
set -euo pipefail
src=$1 work=$2
rm -rf "$work"
mkdir -p "$work"
export PONDERINE_QUIET_MARK=$work/quiet
fail() { echo "FAIL: $*" >&2; exit 1; }

# Plain ./check: no state, nothing in the background, under set -u.
env -u PONDERINE_BACKGROUND_STATE bash -c 'set -euo pipefail
    . "$1/scripts/deps.sh"; . "$1/scripts/background.sh"
    ponderine_quietly test -e "$PONDERINE_QUIET_MARK"
    [ ! -e "$PONDERINE_QUIET_MARK" ]' _ "$src" || fail "the quiet step of a plain check"

# A check with two builds: one holds a lock and sleeps, one fails. It
# reports, then waits to be killed.
bash -c 'set -euo pipefail
    . "$1/scripts/deps.sh"; . "$1/scripts/background.sh"
    work=$2
    ponderine_background_init
    echo "$PONDERINE_BACKGROUND_STATE" >"$work/state"
    ponderine_background held "$work/held.log" bash -c "exec 8>\"\$1\"; flock 8; echo locked; sleep 300" _ "$work/lock"
    ponderine_background failed "$work/failed.log" bash -c "exit 3"
    if ponderine_background_wait failed "$work/failed.log" "a build that fails" 2>"$work/failed.out"; then
        echo "a failed build waited for as a good one"; exit 1
    fi
    until grep -q locked "$work/held.log"; do sleep 0.1; done
    session=$(cat "$PONDERINE_BACKGROUND_STATE/held.session")
    ponderine_quietly bash -c "! ps -o stat= -s $session | grep -v ^T" ||
        { echo "a build ran on while quiet"; exit 1; }
    sleep 0.5
    ps -o stat= -s "$session" | grep -qv ^T || { echo "a build stayed stopped after quiet"; exit 1; }
    ponderine_quietly touch "$work/ready"
    sleep 300' _ "$src" "$work" >"$work/check.log" 2>&1 &
check=$!
for ((i = 0; i < 300; i++)); do
    [ -e "$work/ready" ] && break
    kill -0 "$check" 2>/dev/null || { cat "$work/check.log"; fail "the check ended early"; }
    sleep 0.1
done
[ -e "$work/ready" ] || { cat "$work/check.log"; fail "the check never got ready"; }
grep -q "Building a build that fails failed" "$work/failed.out" || fail "no word of the failed build"

# Killed outright, as a timeout kills: no trap runs. Its build ends, and
# the lock is free, within a few seconds.
session=$(cat "$(cat "$work/state")/held.session")
kill -KILL "$check"
wait "$check" 2>/dev/null || true
for ((i = 0; i < 150; i++)); do
    pgrep -s "$session" >/dev/null || break
    sleep 0.1
done
! pgrep -s "$session" >/dev/null || fail "a killed check's build outlived it: $(ps -o pid,stat,args -s "$session")"
flock -n "$work/lock" true || fail "a killed check's build left its lock held"
rm -rf "$work" "$(cat "$work/state" 2>/dev/null || true)"
echo "background jobs: 4 passed, 0 failed"
