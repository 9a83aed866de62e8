#!/usr/bin/env bash
# Runs a Windows test program under Wine and prints its report, which Qt
# Test there writes only to a file (its standard output stays empty).
# Usage: wine_test.sh WINE PROGRAM [arguments...]
set -uo pipefail
wine=$1 program=$2
shift 2
report=$(mktemp "${TMPDIR:-/tmp}/ponderine-test.XXXXXX")
"$wine" "$program" -o "Z:${report//\//\\},txt" "$@"
status=$?
cat "$report"
rm -f "$report"
exit "$status"
