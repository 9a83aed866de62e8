#!/usr/bin/env bash
# Validates the desktop entry and the AppStream metainfo, and checks that the
# two and the changelog agree with each other and with the project.
# Usage: desktop_files_valid.sh DESKTOP_FILE METAINFO_FILE CHANGELOG PROJECT_VERSION
set -euo pipefail
. "$(dirname "$0")/common.sh"

desktop=$1 metainfo=$2 changelog=$3 version=$4
require_tool desktop-file-validate desktop-file-utils
require_tool appstreamcli appstream
require_tool dpkg-parsechangelog dpkg-dev

# desktop-file-validate exits 0 on warnings and hints: fail on those too (KDE's
# keys included), such as the hint that two main categories list the game
# twice in menus.
out=$(desktop-file-validate --warn-kde "$desktop" 2>&1) || fail "desktop-file-validate: $out"
[ -z "$out" ] || fail "desktop-file-validate has remarks: $out"
echo "desktop-file-validate: no remarks"

# Errors and warnings make appstreamcli fail; infos (no content rating, a
# summary ending in a dot ...) and pedantic remarks (an upper-case letter in
# the id ...) fail here too, but for the two the metainfo cannot avoid.
appstream_validate validate "$metainfo"

# The file names are what the desktop and the software centres look things up by.
id=$(xml_texts "$metainfo" id)
[ "$id.metainfo.xml" = "$(basename "$metainfo")" ] ||
    fail "metainfo id '$id' does not match its file name $(basename "$metainfo")"
launchable=$(xml_texts "$metainfo" launchable)
[ "$launchable" = "$(basename "$desktop")" ] ||
    fail "metainfo launchable '$launchable' is not the desktop file $(basename "$desktop")"
[ "$(desktop_value "$desktop" Icon)" = "$id" ] ||
    fail "desktop Icon '$(desktop_value "$desktop" Icon)' is not the application id $id"

# Menus read the entry's categories, software centres the metainfo's.
entry_categories=$(desktop_value "$desktop" Categories | tr ';' '\n' | sed '/^$/d' | sort)
[ "$(xml_texts "$metainfo" category | sort)" = "$entry_categories" ] ||
    fail "metainfo categories differ from the desktop entry's: $(echo $entry_categories)"

# The program the menu starts is the one the metainfo says the package provides.
exec_program=$(desktop_value "$desktop" Exec | awk '{ print $1 }')
xml_texts "$metainfo" binary | grep -Fx -- "$exec_program" >/dev/null ||
    fail "desktop Exec program '$exec_program' is not a <binary> in the metainfo"

# A new project version needs its <release> entry, newest first, and its
# changelog entry (the package's changelog.gz) of the same day.
newest=$(sed -n 's|.*<release [^>]*version="\([^"]*\)".*|\1|p' "$metainfo" | head -n 1)
[ "$newest" = "$version" ] ||
    fail "newest metainfo release is '$newest', the project version is $version"
released=$(sed -n 's|.*<release [^>]*date="\([^"]*\)".*|\1|p' "$metainfo" | head -n 1)
logged=$(dpkg-parsechangelog -l "$changelog" -S Version) ||
    fail "dpkg-parsechangelog cannot read $changelog"
[ "$logged" = "$version" ] ||
    fail "newest changelog entry is '$logged', the project version is $version"
logged_day=$(date -u -d "@$(dpkg-parsechangelog -l "$changelog" -S Timestamp)" +%F)
[ "$logged_day" = "$released" ] ||
    fail "newest changelog entry is dated $logged_day, the metainfo release $released"

# Each line of the [it] translation is there for every English text.
for key in Name GenericName Comment Keywords; do
    [ -n "$(desktop_value "$desktop" "$key")" ] || fail "desktop file has no $key"
    [ -n "$(desktop_value "$desktop" "$key[it]")" ] || fail "desktop file has no $key[it]"
done
for tag in name summary; do
    grep -E "<$tag xml:lang=\"it\">" "$metainfo" >/dev/null ||
        fail "metainfo has no Italian <$tag>"
done

echo "PASS: desktop entry and metainfo"
