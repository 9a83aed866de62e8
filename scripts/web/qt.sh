# Sourced by scripts/web/build.sh, in the Debian 13 chroot: Qt for
# WebAssembly, built from Debian 13's source package of qt6-base (the
# version of the chroot's own Qt, so its moc and rcc serve), unpacked as
# Debian does so that Debian's patches apply; once, into a folder of the
# chroot's, which lives in the cache. The folder's name carries the Debian
# version and a hash of the options and the patches below, so a change to
# any of them builds anew.

# Static, single-threaded, release, small: Core, Gui, Widgets and the wasm
# platform plugin, everything else off, for a shorter build and a smaller
# download. OpenGL stays on: without it the platform plugin does not build.
# A unity build compiles each module's sources in batches, for a build a
# fresh CI machine can afford beside Qt for Windows.
PONDERINE_QT_WEB_OPTIONS=(
    -xplatform wasm-emscripten -qt-host-path /usr
    -release -optimize-size -static -no-feature-thread -unity-build
    -nomake examples -nomake tests
    -no-dbus -no-feature-network -no-feature-sql -no-feature-xml -no-feature-concurrent
    -no-feature-printsupport -no-feature-testlib -no-feature-vulkan
    -no-feature-jpeg -no-feature-gif -no-feature-ico -no-feature-pdf -no-feature-textodfwriter
    -- -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
)
# Qt's page elements for assistive tools took a control's text as HTML
# (innerHTML): a pupil's name such as <img src=x onerror=...> ran as script
# in the site's page once a screen reader was on, and a text box showed a
# screen reader neither its name nor its value. The patch sets them as text.
# Each frame put the whole window into its canvas, however little had
# changed, and a window's image had an alpha channel to clear before every
# paint although no window of the game is translucent: the second patch puts
# only the changed rectangle, and gives opaque windows an opaque image.
PONDERINE_QT_WEB_PATCHES=("$(dirname "${BASH_SOURCE[0]}")/qt-accessible-text.patch"
                          "$(dirname "${BASH_SOURCE[0]}")/qt-backingstore.patch")

# Qt's configure reads EMSDK for the compiler's folder and version: the
# folder EMSCRIPTEN_ROOT names in $EMSDK/.emscripten, below $EMSDK. Debian's
# emscripten lives in /usr/share/emscripten, which this folder points to.
ponderine_emsdk() {
    local emsdk=/opt/ponderine/emsdk
    if [ ! -e "$emsdk/.emscripten" ]; then
        mkdir -p "$emsdk/upstream"
        ln -sfn /usr/share/emscripten "$emsdk/upstream/emscripten"
        printf "EMSCRIPTEN_ROOT = '/upstream/emscripten'\nLLVM_ROOT = '/usr/bin'\n" >"$emsdk/.emscripten"
    fi
    export EMSDK=$emsdk
}

ponderine_qt_web_package_version() {
    dpkg-query -W -f='${Version}' qt6-base-dev
}

# The install folder for the current version, options and patches.
ponderine_qt_web_prefix() {
    local hash
    hash=$({ printf '%s\n' "${PONDERINE_QT_WEB_OPTIONS[@]}"; cat "${PONDERINE_QT_WEB_PATCHES[@]}" /dev/null; } |
        sha256sum | cut -c1-12)
    printf '%s\n' "/opt/ponderine/qt-$(ponderine_qt_web_package_version | tr '+~:' '___')-wasm-$hash"
}

# Builds and installs Qt for WebAssembly unless it is there already.
ponderine_qt_web() {
    local prefix version work src started patch
    prefix=$(ponderine_qt_web_prefix)
    if [ -f "$prefix/.complete" ]; then
        echo "Qt for WebAssembly from the cache: $prefix"
        return 0
    fi
    ponderine_emsdk
    version=$(ponderine_qt_web_package_version | sed 's/[+-].*//')
    work=/var/tmp/ponderine-qt-web
    rm -rf "$work" "$prefix"
    mkdir -p "$work"
    started=$(date +%s)
    echo "Building Qt $version for WebAssembly into $prefix (about 10 minutes on 2 cores)"
    (cd "$work" && apt-get source --download-only "qt6-base=$(ponderine_qt_web_package_version)")
    # dpkg-source applies debian/patches in their order; ours go on top.
    src=$work/qtbase
    dpkg-source -x "$work"/qt6-base_*.dsc "$src"
    for patch in "${PONDERINE_QT_WEB_PATCHES[@]}"; do
        patch -d "$src" -p1 <"$patch"
    done
    mkdir -p "$work/build"
    (cd "$work/build" && "$src/configure" -prefix "$prefix" "${PONDERINE_QT_WEB_OPTIONS[@]}")
    nice -n 10 cmake --build "$work/build" --parallel "$(nproc)"
    cmake --install "$work/build"
    touch "$prefix/.complete"
    rm -rf "$work"
    # Builds for other options or patches are not used again.
    find /opt/ponderine -maxdepth 1 -name 'qt-*-wasm-*' ! -path "$prefix" -exec rm -rf {} +
    echo "Qt for WebAssembly built in $(( ($(date +%s) - started) / 60 )) minutes"
}
