# Sourced by the packaging tests: reporting and the small parsers they share.

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# Fails, naming the Debian package, when a tool the test runs is missing.
require_tool() {
    local tool=$1 package=$2
    command -v "$tool" >/dev/null 2>&1 ||
        fail "$tool is missing: install the Debian package $package"
}

# Prints the value of KEY in the [Desktop Entry] group of a desktop file.
desktop_value() {
    local file=$1 key=$2
    awk -v key="$key" '
        /^\[/ { group = $0; next }
        group == "[Desktop Entry]" && index($0, key "=") == 1 {
            print substr($0, length(key) + 2); exit
        }' "$file"
}

# Prints the text of every <TAG> element of an XML file, one a line
# (the metainfo keeps each such element on one line).
xml_texts() {
    local file=$1 tag=$2
    sed -n "s|.*<$tag\\( [^>]*\\)\\{0,1\\}>\\([^<]*\\)</$tag>.*|\\2|p" "$file"
}

# Runs `appstreamcli validate` or `validate-tree` (COMMAND) on PATH and fails
# on every remark, infos and pedantic ones included, but the two that one
# metainfo cannot avoid under both AppStream 0.16 (Debian 12) and 1.0
# (Debian 13), each an info (docs/packaging.md, "The AppStream metainfo"):
# - url-homepage-missing: the project has no web address yet. AppStream 1.0
#   makes it a warning, which fails; it lets this one tag be lowered to an
#   info for a component without a homepage, and 0.16 does not know the tag.
# - unknown-tag developer: 0.16 does not know <developer>, which 1.0 wants
#   in place of <developer_name>.
appstream_validate() {
    local command=$1 path=$2 version out remarks status=0
    local options=(--no-net --no-color --pedantic)
    version=$(appstreamcli --version | sed -n 's/^AppStream version: *//p')
    [ -n "$version" ] || fail "appstreamcli --version names no version: $(appstreamcli --version 2>&1)"
    if dpkg --compare-versions "$version" ge 1.0; then
        options+=(--override=url-homepage-missing=info)
    fi
    out=$(appstreamcli "$command" "${options[@]}" "$path" 2>&1) || status=$?
    echo "appstreamcli $command (AppStream $version):"
    echo "$out"
    [ "$status" -eq 0 ] || fail "appstreamcli $command rejects $path"
    remarks=$(grep -E '^[[:space:]]*[EWIP]: ' <<<"$out" |
                  grep -Ev '^[[:space:]]*I: [^ ]+: (url-homepage-missing|unknown-tag developer)$' || true)
    [ -z "$remarks" ] || fail "appstreamcli $command has remarks: $remarks"
}
