#!/usr/bin/env bash
# Runs a desktop entry's command line as a desktop would, with the installed
# programs first on PATH, and prints the WM_CLASS of the window that asks the
# pupil's name. Fails when none appears within 10 s.
# Usage (on an X display): launch_entry.sh BIN_DIR HOME_DIR 'EXEC LINE'
set -u
bin=$1 home=$2 exec_line=$3
export PATH=$bin:$PATH HOME=$home XDG_DATA_HOME=$home/data XDG_RUNTIME_DIR=$home/run
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"

# The Exec line is split on blanks, as the entry's own quoting rules allow here.
read -r -a command <<<"$exec_line"
"${command[@]}" >"$home/game.log" 2>&1 &
game=$!
for _ in $(seq 100); do
    window=$(xdotool search --pid "$game" --name '^Ponderine$' 2>/dev/null | head -n 1)
    if [ -n "$window" ]; then
        xprop -id "$window" WM_CLASS
        kill "$game"
        wait "$game" 2>/dev/null
        exit 0
    fi
    sleep 0.1
done
kill "$game" 2>/dev/null
cat "$home/game.log"
exit 1
