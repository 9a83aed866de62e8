# Cross build for Debian 12 arm64 (a Raspberry Pi with the 64-bit system)
# from an amd64 Debian 12 with arm64 added as a foreign architecture:
# crossbuild-essential-arm64, qt6-base-dev:arm64 and qt6-svg-dev:arm64 beside
# the amd64 ones, qemu-user-static for the programs of the build that run
# here. scripts/build-arm64 installs all that and uses this file.
#
# Multiarch needs no sysroot: the arm64 headers and libraries live in
# /usr/include and /usr/lib/aarch64-linux-gnu, which the cross compiler
# searches. Qt's host tools (moc, rcc) are the amd64 ones.

set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)
set(CMAKE_LIBRARY_ARCHITECTURE aarch64-linux-gnu)

# Qt's CMake packages of the build machine, for its tools.
execute_process(COMMAND dpkg-architecture -qDEB_BUILD_MULTIARCH
                OUTPUT_VARIABLE _build_multiarch OUTPUT_STRIP_TRAILING_WHITESPACE
                COMMAND_ERROR_IS_FATAL ANY)
set(QT_HOST_PATH /usr)
set(QT_HOST_PATH_CMAKE_DIR /usr/lib/${_build_multiarch}/cmake)

# The artwork baking during the build, and CTest, run arm64 programs
# through the user-mode emulator (no binfmt_misc needed). The build cannot
# do without one: name another with -DCMAKE_CROSSCOMPILING_EMULATOR.
if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
    find_program(PONDERINE_QEMU_AARCH64 qemu-aarch64-static REQUIRED)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${PONDERINE_QEMU_AARCH64})
endif()

# pkg-config (Qt looks up a few of its own dependencies with it) reads the
# arm64 .pc files only.
set(ENV{PKG_CONFIG_LIBDIR} /usr/lib/aarch64-linux-gnu/pkgconfig:/usr/share/pkgconfig)
