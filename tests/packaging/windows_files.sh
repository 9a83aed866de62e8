#!/usr/bin/env bash
# The Windows exe and the three files that ship it: one GUI program that
# needs only Windows' own DLLs, carrying its manifest and version; a zip
# holding it alone; a setup program and an MSI with their texts in Italian.
# Usage: windows_files.sh OBJDUMP EXE SETUP MSI ZIP VERSION
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/common.sh"

[ $# -eq 6 ] || fail "usage: $0 OBJDUMP EXE SETUP MSI ZIP VERSION"
objdump=$1 exe=$2 setup=$3 msi=$4 zip=$5 version=$6
require_tool msiinfo msitools
require_tool unzip unzip

headers=$("$objdump" -p "$exe")
grep -q '^Subsystem[[:space:]]*00000002' <<<"$headers" || fail "$exe is not a GUI program (no console window)"
# The system's DLLs only: no MinGW runtime, no Qt beside the exe.
dlls=$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers" | tr 'A-Z' 'a-z' | sort -u)
allowed='^(advapi32|comdlg32|d3d9|d3d11|dwmapi|dwrite|dxgi|gdi32|imm32|kernel32|msvcrt|netapi32|ole32|oleaut32|setupapi|shcore|shell32|shlwapi|user32|userenv|uxtheme|version|winmm|ws2_32|wtsapi32|authz|mpr|api-ms-win-[a-z0-9-]+)\.dll$'
others=$(grep -Ev "$allowed" <<<"$dlls" || true)
[ -z "$others" ] || fail "$exe needs DLLs that Windows does not have: $others"

# The manifest (asInvoker, Windows 10 and 11) and the version, UTF-16 in the resources.
LC_ALL=C grep -aq 'level="asInvoker"' "$exe" || fail "$exe has no manifest asking for no elevation"
LC_ALL=C grep -aq '8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a' "$exe" || fail "$exe's manifest does not name Windows 10 and 11"
utf16() { printf '%s' "$1" | sed 's/./&\\x00/g'; }
LC_ALL=C grep -aqP "$(utf16 "ProductVersion")\\x00\\x00(\\x00\\x00)?$(utf16 "$version")" "$exe" ||
    fail "$exe carries no ProductVersion $version"

listing=$(unzip -Z1 "$zip")
[ "$listing" = ponderine.exe ] || fail "$zip holds $(tr '\n' ' ' <<<"$listing"), not ponderine.exe alone"
unzip -p "$zip" ponderine.exe | cmp -s - "$exe" || fail "the exe in $zip is not the one built"

# NSIS keeps its texts UTF-16: the Italian ones are in.
LC_ALL=C grep -aqP "$(utf16 "Installazione di Ponderine")" "$setup" || fail "$setup has no Italian texts"

summary=$(msiinfo suminfo "$msi")
grep -q '^Template: x64;' <<<"$summary" || fail "$msi is not for x64: $summary"
property() { msiinfo export "$msi" Property | tr -d '\r' | awk -F'\t' -v key="$1" '$1 == key { print $2 }'; }
[ "$(property ProductVersion)" = "$version" ] || fail "$msi has ProductVersion $(property ProductVersion)"
[ "$(property ALLUSERS)" = 1 ] || fail "$msi does not install per machine (ALLUSERS=$(property ALLUSERS))"
stat -c '%s bytes: %n' "$exe" "$setup" "$msi" "$zip"
