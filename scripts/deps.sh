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
# against the three X libraries; lintian judges the Debian package;
# clang-format checks the layout of the sources; procps's pkill stops the
# background builds while the desktop tests run; strace shows the order of
# a record save's system calls.
PONDERINE_TEST_PACKAGES=(
    clang-format procps strace
    xvfb xauth x11-utils x11-xserver-utils xdotool openbox imagemagick
    dbus at-spi2-core python3-pyatspi
    orca speech-dispatcher speech-dispatcher-espeak-ng libao4
    desktop-file-utils appstream dpkg-dev lintian
    libx11-dev libxdamage-dev libxtst-dev
)
# The arm64 cross build (scripts/build-arm64): the cross compiler, Qt for
# arm64 beside the build machine's (Debian's Qt packages are Multi-Arch: same;
# moc and rcc stay the build machine's), and the user-mode emulator that runs
# the arm64 programs of the build, its tests and a game.
PONDERINE_ARM64_PACKAGES=(
    crossbuild-essential-arm64 qemu-user-static
    qt6-base-dev:arm64 qt6-svg-dev:arm64
)
# The Windows cross build (scripts/build-windows): the MinGW-w64 compiler
# with posix threads, Ninja for Qt's build, dpkg-dev for `apt-get source`
# (Qt's source), Wine to run the Windows programs, NSIS and wixl for the
# setup program and the MSI. Its tests also need an Italian locale, an
# Italian keyboard map, a clipboard reader, and unzip and msitools to look
# into the zip and the MSI.
PONDERINE_WINDOWS_PACKAGES=(
    g++-mingw-w64-x86-64-posix ninja-build dpkg-dev
    wine wine64 nsis wixl
)
PONDERINE_WINDOWS_TEST_PACKAGES=(locales x11-xkb-utils xclip unzip msitools)
# The Debian 13 check (scripts/check-debian13) makes its chroot with these;
# inside, ./check installs its own packages.
PONDERINE_DEBIAN13_PACKAGES=(debootstrap debian-archive-keyring)

ponderine_missing_packages() {
    local pkg
    for pkg in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
            printf '%s\n' "$pkg"
        fi
    done
}

# Lets dpkg install packages of ARCH beside the native ones (multiarch); the
# next installation then reads its package lists.
ponderine_has_architecture() {
    [ "$1" = "$(dpkg --print-architecture)" ] || dpkg --print-foreign-architectures | grep -qx -- "$1"
}
ponderine_add_architecture() {
    local arch=$1 sudo=()
    ponderine_has_architecture "$arch" && return 0
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    echo "Adding the foreign architecture $arch to dpkg"
    "${sudo[@]}" dpkg --add-architecture "$arch"
}

# Lets apt fetch Debian's sources (Qt's, for the Windows build): a deb-src
# entry for the release's main archive, unless there is one.
ponderine_has_sources() {
    grep -qsE '^(deb-src|Types:.*deb-src)' /etc/apt/sources.list /etc/apt/sources.list.d/*
}
ponderine_add_sources() {
    local sudo=() codename
    ponderine_has_sources && return 0
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
    echo "Adding Debian's sources for $codename to apt"
    printf 'Types: deb-src\nURIs: http://deb.debian.org/debian\nSuites: %s\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' \
        "$codename" | "${sudo[@]}" tee /etc/apt/sources.list.d/ponderine-sources.sources >/dev/null
    "${sudo[@]}" apt-get -o DPkg::Lock::Timeout=600 update -qq
}

# Makes a locale (it_IT.UTF-8) unless it is there: Wine takes the decimal
# comma from it.
ponderine_has_locale() {
    locale -a 2>/dev/null | grep -qix -- "${1/UTF-8/utf8}"
}
ponderine_add_locale() {
    local locale=$1 sudo=()
    ponderine_has_locale "$locale" && return 0
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    echo "Making the locale $locale"
    "${sudo[@]}" sed -i "s/^# *\($locale UTF-8\)/\1/" /etc/locale.gen
    grep -q "^$locale UTF-8" /etc/locale.gen || echo "$locale UTF-8" | "${sudo[@]}" tee -a /etc/locale.gen >/dev/null
    "${sudo[@]}" locale-gen
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
    "${sudo[@]}" apt-get -o DPkg::Lock::Timeout=600 update -qq
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 install -y -qq --no-install-recommends "${missing[@]}"
}

# Runs the command string ACTION when the script exits, after those added before.
ponderine_exit_actions=()
ponderine_on_exit() {
    ponderine_exit_actions+=("$1")
    trap ponderine_exit EXIT
}
ponderine_exit() {
    local status=$? action
    for action in "${ponderine_exit_actions[@]}"; do
        eval "$action" || true
    done
    exit "$status"
}

# Makes root's rights sure for the rest of the run, for WHY: an ordinary user
# is asked for sudo's password once, now, in the foreground, and the ticket
# is kept fresh while the script runs, so that no later step asks again and
# no step in the background needs a terminal. Fails at once, saying why,
# where sudo cannot be had.
ponderine_sudo_begin() {
    local why=$1
    [ "$(id -u)" -eq 0 ] && return 0
    if ! command -v sudo >/dev/null 2>&1; then
        echo "$why needs root, and there is no sudo: run it as root." >&2
        exit 1
    fi
    if ! sudo -n true 2>/dev/null; then
        echo "$why needs root: sudo asks for your password once, now."
        sudo -v || { echo "sudo refused: $why needs root, so nothing was done." >&2; exit 1; }
    fi
    # Renewed in the same terminal session, where sudo keeps its ticket; ends
    # with the script, even a killed one.
    (
        parent=$$
        while sleep 60; do
            kill -0 "$parent" 2>/dev/null && sudo -n -v 2>/dev/null || exit 0
        done
    ) </dev/null >/dev/null 2>&1 &
    ponderine_on_exit "kill $! 2>/dev/null"
}

# Takes the lock FILE on file descriptor FD for WHAT; where another run holds
# it, says so and waits at most MINUTES, then fails with a message.
ponderine_lock() {
    local fd=$1 file=$2 what=$3 minutes=$4
    flock -n "$fd" && return 0
    echo "Waiting for another run's $what to end (it holds $file), at most $minutes minutes"
    flock -w $((minutes * 60)) "$fd" && return 0
    echo "Gave up after $minutes minutes waiting for $file ($what); if no other run is going on, remove it." >&2
    return 1
}
