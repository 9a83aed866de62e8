# Sourced by scripts/build-windows: Qt for Windows, built from Debian's source
# package of the build machine's Qt (the same version, so its moc and rcc
# serve), unpacked as Debian does so that Debian's patches, security fixes
# among them, are in the exe; once, into a cache folder outside the tree. The
# folder's name carries the Debian version (revision included) and a hash of
# the options and the patch below, so a change to any of them builds anew; Qt's CMake files name their install path, so a restored cache must
# sit at the same path.

PONDERINE_CACHE=${PONDERINE_CACHE:-$HOME/.cache/ponderine}

# Static, release, small, with the static C and C++ runtime: one exe, no DLLs.
# Everything the game does not use is off, for a shorter build and a smaller
# exe. Tablets need wintab, which Debian's source leaves out.
PONDERINE_QT_WINDOWS_OPTIONS=(
    -G Ninja
    -DCMAKE_SYSTEM_NAME=Windows
    -DCMAKE_SYSTEM_PROCESSOR=AMD64
    -DCMAKE_C_COMPILER=x86_64-w64-mingw32-gcc-posix
    -DCMAKE_CXX_COMPILER=x86_64-w64-mingw32-g++-posix
    -DCMAKE_RC_COMPILER=x86_64-w64-mingw32-windres
    -DCMAKE_FIND_ROOT_PATH=/usr/x86_64-w64-mingw32
    -DCMAKE_FIND_ROOT_PATH_MODE_PROGRAM=NEVER
    -DCMAKE_FIND_ROOT_PATH_MODE_LIBRARY=ONLY
    -DCMAKE_FIND_ROOT_PATH_MODE_INCLUDE=ONLY
    -DCMAKE_FIND_ROOT_PATH_MODE_PACKAGE=ONLY
    -DQT_HOST_PATH=/usr
    -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
    -DQT_QMAKE_TARGET_MKSPEC=win32-g++
    -DCMAKE_BUILD_TYPE=Release
    -DBUILD_SHARED_LIBS=OFF
    -DFEATURE_static_runtime=ON
    -DFEATURE_optimize_size=ON
    -DQT_BUILD_EXAMPLES=OFF
    -DQT_BUILD_TESTS=OFF
    -DFEATURE_opengl=OFF
    -DINPUT_opengl=no
    -DFEATURE_vulkan=OFF
    -DFEATURE_dbus=OFF
    -DFEATURE_sql=OFF
    -DFEATURE_network=OFF
    -DFEATURE_printsupport=OFF
    -DFEATURE_concurrent=OFF
    -DFEATURE_xml=OFF
    -DFEATURE_freetype=OFF
    -DFEATURE_fontconfig=OFF
    -DFEATURE_harfbuzz=ON
    -DFEATURE_jpeg=OFF
    -DFEATURE_gif=OFF
    -DFEATURE_ico=OFF
    -DFEATURE_icu=OFF
    -DFEATURE_zstd=OFF
    -DFEATURE_pdf=OFF
    -DFEATURE_textodfwriter=OFF
    -DFEATURE_tabletevent=OFF
    -DFEATURE_direct2d=OFF
    -DFEATURE_system_zlib=OFF
    -DFEATURE_system_png=OFF
    -DFEATURE_system_pcre2=OFF
    -DFEATURE_system_harfbuzz=OFF
    -DFEATURE_system_doubleconversion=OFF
)
PONDERINE_QT_WINDOWS_PATCHES=("$(dirname "${BASH_SOURCE[0]}")/qt-directwrite.patch")

# The Debian version of the build machine's own Qt, e.g. 6.4.2+dfsg-10; of
# its own architecture, as the arm64 build installs that Qt's too.
ponderine_qt_package_version() {
    dpkg-query -W -f='${Version}' "qt6-base-dev:$(dpkg --print-architecture)"
}

# The build machine's Qt version, e.g. 6.4.2.
ponderine_qt_version() {
    ponderine_qt_package_version | sed 's/[+-].*//'
}

# The cache folder for the current version, options and patches.
ponderine_qt_windows_prefix() {
    local hash
    hash=$({ printf '%s\n' "${PONDERINE_QT_WINDOWS_OPTIONS[@]}"; cat "${PONDERINE_QT_WINDOWS_PATCHES[@]}"; } |
        sha256sum | cut -c1-12)
    # Without + or ~, which some of CMake's path handling reads as patterns.
    printf '%s\n' "$PONDERINE_CACHE/qt-$(ponderine_qt_package_version | tr '+~:' '___')-windows-$hash"
}

# Builds and installs Qt for Windows unless the cache holds it already; prints
# the install folder last.
ponderine_qt_windows() {
    local prefix version work src started qt_lock
    prefix=$(ponderine_qt_windows_prefix)
    # One build at a time into the cache: a second waits, then finds it there.
    mkdir -p "$PONDERINE_CACHE"
    exec {qt_lock}>"$PONDERINE_CACHE/qt-windows.lock"
    ponderine_lock "$qt_lock" "$PONDERINE_CACHE/qt-windows.lock" "Qt for Windows build" 60
    if [ -f "$prefix/.complete" ]; then
        echo "Qt for Windows from the cache: $prefix"
        exec {qt_lock}>&-
        return 0
    fi
    version=$(ponderine_qt_version)
    work=$PONDERINE_CACHE/work-qt-$version
    rm -rf "$work" "$prefix"
    mkdir -p "$work"
    started=$(date +%s)
    echo "Building Qt $version for Windows into $prefix (about 30 minutes on 2 cores)"
    (cd "$work" && apt-get source --download-only "qt6-base=$(ponderine_qt_package_version)")
    # dpkg-source applies debian/patches in their order; ours go on top.
    src=$work/qtbase
    dpkg-source -x "$work"/qt6-base_*.dsc "$src"
    local patch
    for patch in "${PONDERINE_QT_WINDOWS_PATCHES[@]}"; do
        patch -d "$src" -p1 < "$patch"
    done
    cmake -S "$src" -B "$work/build" "${PONDERINE_QT_WINDOWS_OPTIONS[@]}" -DCMAKE_INSTALL_PREFIX="$prefix"
    nice -n 10 cmake --build "$work/build" --parallel "$(nproc)"
    cmake --install "$work/build"
    touch "$prefix/.complete"
    rm -rf "$work"
    exec {qt_lock}>&-
    echo "Qt for Windows built in $(( ($(date +%s) - started) / 60 )) minutes"
}
