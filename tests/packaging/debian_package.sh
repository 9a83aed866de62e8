#!/usr/bin/env bash
# Builds the Debian package from the existing build (no rebuild) and checks its
# name, control fields, dependencies and contents; as root it also lets apt
# resolve its installation.
# Usage: debian_package.sh CPACK BUILD_DIR PROJECT_VERSION APP_ID
set -euo pipefail
. "$(dirname "$0")/common.sh"

cpack=$1 build=$2 version=$3 id=$4
require_tool dpkg-deb dpkg
require_tool dpkg-shlibdeps dpkg-dev
require_tool readelf binutils
[ -x "$build/app/ponderine" ] || fail "$build/app/ponderine is not built: build the target ponderine first"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
chmod 755 "$work" # apt reads the package as its unprivileged user
"$cpack" --config "$build/CPackConfig.cmake" -G DEB -B "$work" >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log"; fail "cpack -G DEB failed"; }

arch=$(dpkg --print-architecture)
deb=$work/ponderine_${version}_${arch}.deb
[ -f "$deb" ] || fail "cpack made no $(basename "$deb"); it made: $(cd "$work" && ls -- *.deb 2>/dev/null)"

field() { dpkg-deb --field "$deb" "$1"; }
[ "$(field Package)" = ponderine ] || fail "Package is '$(field Package)'"
[ "$(field Version)" = "$version" ] || fail "Version is '$(field Version)'"
[ "$(field Architecture)" = "$arch" ] || fail "Architecture is '$(field Architecture)'"
[ "$(field Section)" = games ] || fail "Section is '$(field Section)'"
echo "Depends: $(field Depends)"

# Package names in Depends, without versions; alternatives count too.
depends=$(field Depends | tr ',|' '\n\n' | sed 's/(.*)//; s/[[:space:]]//g' | sed '/^$/d')
# Libraries found by dpkg-shlibdeps, then what Qt loads at run time.
for pkg in libc6 libstdc++6 libqt6core6 libqt6widgets6 libqt6svg6 \
           qt6-qpa-plugins fonts-liberation2 fonts-dejavu-core; do
    grep -Fx -- "$pkg" <<<"$depends" >/dev/null || fail "Depends lacks $pkg"
done

listing=$(dpkg-deb --contents "$deb")
paths=$(awk '{ print $NF }' <<<"$listing" | sed 's|^\./|/|')
for path in /usr/bin/ponderine /usr/share/applications/$id.desktop \
            /usr/share/metainfo/$id.metainfo.xml \
            /usr/share/icons/hicolor/scalable/apps/$id.svg \
            /usr/share/doc/ponderine/copyright; do
    grep -Fx -- "$path" <<<"$paths" >/dev/null || fail "the package lacks $path"
done
outside=$(grep -v '^/usr/\(bin\|share\)\(/\|$\)' <<<"$paths" | grep -vx '/\|/usr/' || true)
[ -z "$outside" ] || fail "the package installs outside /usr/bin and /usr/share: $outside"
grep -E '^-rwxr-xr-x .* \./usr/bin/ponderine$' <<<"$listing" >/dev/null ||
    fail "/usr/bin/ponderine is not rwxr-xr-x: $(grep '/usr/bin/ponderine$' <<<"$listing")"
private_dirs=$(grep '^d' <<<"$listing" | grep -v '^drwxr-xr-x' || true)
[ -z "$private_dirs" ] || fail "directories not readable by all: $private_dirs"

# The installed program must not look for libraries in the build tree.
dpkg-deb --extract "$deb" "$work/root"
runpath=$(readelf --dynamic "$work/root/usr/bin/ponderine" | grep -E 'R(UN)?PATH' || true)
[ -z "$runpath" ] || fail "/usr/bin/ponderine keeps a library path: $runpath"

# The installed menu entry starts the installed game: its name prompt appears,
# in a window the desktop matches to the entry.
if command -v xvfb-run >/dev/null 2>&1 && command -v xdotool >/dev/null 2>&1; then
    entry=$work/root/usr/share/applications/$id.desktop
    exec_line=$(desktop_value "$entry" Exec | sed 's/ %[a-zA-Z]//g')
    wm_class=$(desktop_value "$entry" StartupWMClass)
    mkdir -p "$work/home"
    launched=$(QT_QPA_PLATFORM=xcb xvfb-run --auto-servernum bash "$(dirname "$0")/launch_entry.sh" \
                   "$work/root/usr/bin" "$work/home" "$exec_line") ||
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
