#!/usr/bin/env bash
# A machine without dpkg-buildflags (not Debian, or no dpkg-dev) still
# configures the game, with the compiler's own hardening flags.
# Usage: no_dpkg_buildflags.sh SOURCE_DIR WORK_DIR
set -euo pipefail
source_dir=$1 work=$2
rm -rf "$work"
# dpkg-buildflags is in /usr/bin with everything else: that folder is hidden
# from CMake's searches, and the tools it would find there are named.
cmake -S "$source_dir" -B "$work" -DCMAKE_IGNORE_PATH="/usr/bin;/bin" \
    -DCMAKE_MAKE_PROGRAM="$(command -v make)" -DCMAKE_CXX_COMPILER="$(command -v c++)" \
    -DPONDERINE_TESTS=OFF -DPONDERINE_BENCH=OFF -DCMAKE_BUILD_TYPE=Release >"$work.log" 2>&1 ||
    { cat "$work.log"; exit 1; }
grep -F -- "No dpkg-buildflags: hardening flags of the compiler's own: -Wformat -Werror=format-security -fstack-protector-strong" "$work.log"
rm -rf "$work" "$work.log"
