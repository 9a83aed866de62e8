#!/usr/bin/env bash
# Makes the Debian package as README says, from a Release build of the game
# (kept in BUILD_DIR/package-release, so later runs only rebuild what
# changed), has lintian judge it, and checks its name, control fields,
# dependencies and contents; as root it also lets apt resolve its
# installation.
# Usage: debian_package.sh CMAKE CPACK SOURCE_DIR BUILD_DIR PROJECT_VERSION APP_ID [--cross ARCH]
# With --cross, BUILD_DIR is a Release cross build for ARCH, packaged as it is.
set -euo pipefail
. "$(dirname "$0")/common.sh"

cmake=$1 cpack=$2 source=$3 build=$4/package-release version=$5 id=$6
cross=
if [ "${7:-}" = --cross ]; then
    cross=$8 build=$4
fi
require_tool dpkg-deb dpkg
require_tool dpkg-shlibdeps dpkg-dev
require_tool readelf binutils
require_tool lintian lintian

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
chmod 755 "$work" # apt reads the package as its unprivileged user
# Warnings are errors here too: the optimiser and fortification warn about
# things a Debug build never sees.
if [ -z "$cross" ]; then
    { "$cmake" -S "$source" -B "$build" -DCMAKE_BUILD_TYPE=Release -DPONDERINE_WERROR=ON \
          -DPONDERINE_TESTS=OFF -DPONDERINE_BENCH=OFF &&
      "$cmake" --build "$build" --parallel "$(nproc)"; } >"$work/build.log" 2>&1 ||
        { cat "$work/build.log"; fail "the Release build failed"; }
else
    grep -qx 'CMAKE_BUILD_TYPE:STRING=Release' "$build/CMakeCache.txt" ||
        fail "$build is not a Release build"
fi
"$cpack" --config "$build/CPackConfig.cmake" -G DEB -B "$work" >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log"; fail "cpack -G DEB failed"; }

arch=${cross:-$(dpkg --print-architecture)}
# The version names the Debian release the package is built on: 0.1.0+deb12.
release=$(. /etc/os-release && if [ "$ID" = debian ]; then echo "+deb${VERSION_ID%%.*}"; fi)
version=$version$release
deb=$work/ponderine_${version}_${arch}.deb
[ -f "$deb" ] || fail "cpack made no $(basename "$deb"); it made: $(cd "$work" && ls -- *.deb 2>/dev/null)"

# Debian's own checker, at its most demanding. Every tag fails, down to infos
# and pedantic remarks: a tag that has to stay would be named in
# docs/packaging.md and overridden in the package.
status=0
lintian_log=$(lintian --info --display-info --pedantic --fail-on error,warning,info,pedantic "$deb" 2>&1) ||
    status=$?
lintian_log=$(grep -v '^running with root privileges' <<<"$lintian_log" || true)
echo "lintian --pedantic: ${lintian_log:-no tags}"
[ "$status" -eq 0 ] || fail "lintian finds fault with $(basename "$deb")"

field() { dpkg-deb --field "$deb" "$1"; }
[ "$(field Package)" = ponderine ] || fail "Package is '$(field Package)'"
[ "$(field Version)" = "$version" ] || fail "Version is '$(field Version)'"
[ "$(field Architecture)" = "$arch" ] || fail "Architecture is '$(field Architecture)'"
[ "$(field Section)" = games ] || fail "Section is '$(field Section)'" # and so the program is in /usr/games
echo "Depends: $(field Depends)"

# Package names in Depends, without versions; alternatives count too.
depends=$(field Depends | tr ',|' '\n\n' | sed 's/(.*)//; s/[[:space:]]//g' | sed '/^$/d')
# Libraries found by dpkg-shlibdeps; Debian 13 renamed those whose interface
# holds a time_t, which became 64 bits everywhere, with a suffix t64
# (libqt6core6t64).
for pkg in libc6 libstdc++6 libqt6core6 libqt6widgets6 libqt6svg6; do
    grep -Fx -e "$pkg" -e "${pkg}t64" <<<"$depends" >/dev/null || fail "Depends lacks $pkg"
done
# The fonts the game draws with.
for pkg in fonts-liberation2 fonts-dejavu-core; do
    grep -Fx -- "$pkg" <<<"$depends" >/dev/null || fail "Depends lacks $pkg"
done
twice=$(sort <<<"$depends" | uniq -d)
[ -z "$twice" ] || fail "Depends names a package twice: $twice"

listing=$(dpkg-deb --contents "$deb")
paths=$(awk '{ print $NF }' <<<"$listing" | sed 's|^\./|/|')
for path in /usr/games/ponderine /usr/share/applications/$id.desktop \
            /usr/share/metainfo/$id.metainfo.xml \
            /usr/share/icons/hicolor/scalable/apps/$id.svg \
            /usr/share/man/man6/ponderine.6.gz /usr/share/man/it/man6/ponderine.6.gz \
            /usr/share/doc/ponderine/copyright /usr/share/doc/ponderine/changelog.gz; do
    grep -Fx -- "$path" <<<"$paths" >/dev/null || fail "the package lacks $path"
done
outside=$(grep -v '^/usr/\(games\|share\)\(/\|$\)' <<<"$paths" | grep -vx '/\|/usr/' || true)
[ -z "$outside" ] || fail "the package installs outside /usr/games and /usr/share: $outside"
grep -E '^-rwxr-xr-x .* \./usr/games/ponderine$' <<<"$listing" >/dev/null ||
    fail "/usr/games/ponderine is not rwxr-xr-x: $(grep '/usr/games/ponderine$' <<<"$listing")"
private_dirs=$(grep '^d' <<<"$listing" | grep -v '^drwxr-xr-x' || true)
[ -z "$private_dirs" ] || fail "directories not readable by all: $private_dirs"

# The installed program must not look for libraries in the build tree.
dpkg-deb --extract "$deb" "$work/root"
program=$work/root/usr/games/ponderine
runpath=$(readelf --dynamic "$program" | grep -E 'R(UN)?PATH' || true)
[ -z "$runpath" ] || fail "/usr/games/ponderine keeps a library path: $runpath"
# lintian checks PIE, relro, bindnow and fortification, not the stack protector.
readelf -W --dyn-syms "$program" | grep -F ' __stack_chk_fail' >/dev/null ||
    fail "/usr/games/ponderine is built without the stack protector"

# The installed menu entry starts the installed game: its name prompt appears,
# in a window the desktop matches to the entry.
if [ -n "$cross" ]; then
    echo "A cross build: its game is played under the emulator by the test e2e"
elif command -v xvfb-run >/dev/null 2>&1 && command -v xdotool >/dev/null 2>&1; then
    entry=$work/root/usr/share/applications/$id.desktop
    exec_line=$(desktop_value "$entry" Exec | sed 's/ %[a-zA-Z]//g')
    wm_class=$(desktop_value "$entry" StartupWMClass)
    mkdir -p "$work/home"
    launched=$(QT_QPA_PLATFORM=xcb xvfb-run --auto-servernum bash "$(dirname "$0")/launch_entry.sh" \
                   "$work/root/usr/games" "$work/home" "$exec_line") ||
        fail "the desktop entry's Exec=$exec_line showed no name prompt within 10 s: $launched"
    grep -F "\"$wm_class\"" <<<"$launched" >/dev/null ||
        fail "the window's class is not the entry's StartupWMClass $wm_class: $launched"
    echo "the desktop entry starts the game: $launched"
else
    echo "No xvfb-run or xdotool: skipping the start from the desktop entry"
fi

if [ "$(id -u)" -eq 0 ]; then
    apt-get install --simulate --no-install-recommends "$deb" >"$work/apt.log" 2>&1 ||
        { cat "$work/apt.log"; fail "apt cannot resolve the installation of $(basename "$deb")"; }
    echo "apt resolves the installation"
else
    echo "Not root: skipping the check that apt resolves the installation"
fi

echo "PASS: $(basename "$deb")"
