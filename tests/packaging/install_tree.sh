#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks that what the desktop
# needs is there and that the desktop entry names installed things.
# Usage: install_tree.sh CMAKE BUILD_DIR APP_ID
set -euo pipefail
. "$(dirname "$0")/common.sh"

cmake=$1 build=$2 id=$3
require_tool appstreamcli appstream
[ -x "$build/app/ponderine" ] || fail "$build/app/ponderine is not built: build the target ponderine first"

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
prefix=$root/usr
"$cmake" --install "$build" --prefix "$prefix" >"$root/install.log" 2>&1 ||
    { cat "$root/install.log"; fail "cmake --install failed"; }

desktop=$prefix/share/applications/$id.desktop
metainfo=$prefix/share/metainfo/$id.metainfo.xml
icon=$prefix/share/icons/hicolor/scalable/apps/$id.svg
[ -f "$prefix/games/ponderine" ] && [ -x "$prefix/games/ponderine" ] || fail "games/ponderine is not installed as a program"
for f in "$desktop" "$metainfo" "$icon" "$prefix/share/man/man6/ponderine.6.gz" \
         "$prefix/share/man/it/man6/ponderine.6.gz" "$prefix/share/doc/ponderine/changelog.gz"; do
    [ -f "$f" ] || fail "${f#"$prefix"/} is not installed"
done

# The menu runs Exec through PATH, so it must be a bare name of an installed program.
exec_program=$(desktop_value "$desktop" Exec | awk '{ print $1 }')
case $exec_program in
    */*) fail "Exec '$exec_program' is a path: the entry would break under another prefix" ;;
esac
[ -x "$prefix/games/$exec_program" ] || fail "Exec '$exec_program' is not an installed program in games/"

# Icon is a theme name: an icon file of that name must be in the hicolor theme.
icon_name=$(desktop_value "$desktop" Icon)
compgen -G "$prefix/share/icons/hicolor/*/apps/$icon_name.*" >/dev/null ||
    fail "Icon '$icon_name' names no installed icon in share/icons/hicolor"
grep -E '<svg[[:space:]>]' "$icon" >/dev/null || fail "the scalable icon is not an SVG"
grep -E 'viewBox=' "$icon" >/dev/null || fail "the scalable icon has no viewBox, so it does not scale"

# The metainfo launches the desktop file that was installed.
launchable=$(xml_texts "$metainfo" launchable)
[ -f "$prefix/share/applications/$launchable" ] ||
    fail "metainfo launchable '$launchable' is not an installed desktop file"

# The validator's view of the installed tree: the metainfo and the desktop file it launches.
appstream_validate validate-tree "$root"

# Only the game goes to games/, and nothing (static libraries, test programs,
# headers) goes outside games/ and share/.
stray=$(cd "$prefix" && find . -type f ! -path './share/*' ! -path ./games/ponderine)
[ -z "$stray" ] || fail "unexpected installed files: $stray"

echo "PASS: installed tree"
