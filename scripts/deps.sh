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
# background builds while the desktop tests run.
PONDERINE_TEST_PACKAGES=(
    clang-format procps
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
ponderine_add_architecture() {
    local arch=$1 sudo=()
    [ "$arch" = "$(dpkg --print-architecture)" ] && return 0
    dpkg --print-foreign-architectures | grep -qx -- "$arch" && return 0
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    echo "Adding the foreign architecture $arch to dpkg"
    "${sudo[@]}" dpkg --add-architecture "$arch"
}

# Lets apt fetch Debian's sources (Qt's, for the Windows build): a deb-src
# entry for the release's main archive, unless there is one.
ponderine_add_sources() {
    local sudo=() codename
    grep -qsE '^(deb-src|Types:.*deb-src)' /etc/apt/sources.list /etc/apt/sources.list.d/* && return 0
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
    echo "Adding Debian's sources for $codename to apt"
    printf 'Types: deb-src\nURIs: http://deb.debian.org/debian\nSuites: %s\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' \
        "$codename" | "${sudo[@]}" tee /etc/apt/sources.list.d/ponderine-sources.sources >/dev/null
    "${sudo[@]}" apt-get -o DPkg::Lock::Timeout=600 update -qq
}

# Makes a locale (it_IT.UTF-8) unless it is there: Wine takes the decimal
# comma from it.
ponderine_add_locale() {
    local locale=$1 sudo=()
    locale -a 2>/dev/null | grep -qix -- "${locale/UTF-8/utf8}" && return 0
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
