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
