# Sourced by ./play and ./check: installs the Debian packages that are missing.
# Works as root, or through sudo as an ordinary user; does nothing when all are present.

# What building and running the game needs.
PONDERINE_RUNTIME_PACKAGES=(
    build-essential cmake
    qt6-base-dev qt6-svg-dev
    fonts-liberation2 fonts-dejavu-core qt6-translations-l10n
)
# What the tests need on top: an X server, a window manager and the tools that
# drive them, and the session and accessibility buses with a client that reads
# the game as a screen reader does (for Debian's own /usr/bin/python3), and
# the real screen reader with its speech server and voice (libao's null
# driver stands in for a sound card); the bench's window watcher is built
# against the three X libraries; lintian judges the Debian package.
PONDERINE_TEST_PACKAGES=(
    xvfb xauth x11-utils x11-xserver-utils xdotool openbox imagemagick
    dbus at-spi2-core python3-pyatspi
    orca speech-dispatcher speech-dispatcher-espeak-ng libao4
    desktop-file-utils appstream dpkg-dev lintian
    libx11-dev libxdamage-dev libxtst-dev
)

ponderine_missing_packages() {
    local pkg
    for pkg in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
            printf '%s\n' "$pkg"
        fi
    done
}

ponderine_install_packages() {
    local missing
    mapfile -t missing < <(ponderine_missing_packages "$@")
    [ "${#missing[@]}" -eq 0 ] && return 0
    echo "Installing missing Debian packages: ${missing[*]}"
    local sudo=()
    if [ "$(id -u)" -ne 0 ]; then
        if ! command -v sudo >/dev/null 2>&1; then
            echo "These packages are missing and there is no sudo to install them: ${missing[*]}" >&2
            return 1
        fi
        sudo=(sudo)
    fi
    "${sudo[@]}" apt-get update -qq
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
}
