# Cross build for 64-bit Windows 10 and 11 from an amd64 Debian 12: Debian's
# MinGW-w64 (g++-mingw-w64-x86-64-posix, the thread model Qt wants), a static
# Qt for Windows built from Debian's source of the build machine's Qt
# (scripts/windows/qt.sh), and Wine as the emulator that runs the Windows
# programs of the build and its tests. scripts/build-windows installs all
# that and uses this file, naming Qt's folder with -DPONDERINE_QT_WINDOWS=DIR.
#
# Qt's host tools (moc, rcc) are the build machine's, of the same version.

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

# Libraries, headers and CMake packages come from MinGW's folder and Qt for
# Windows only, never from the build machine; programs from the build machine.
# The toolchain file is read again for each compile check, which needs Qt's
# folder too.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES PONDERINE_QT_WINDOWS)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32 ${PONDERINE_QT_WINDOWS})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(QT_HOST_PATH /usr)
set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake)

# CTest runs the Windows tests through Wine. The build cannot do without one:
# name another with -DCMAKE_CROSSCOMPILING_EMULATOR.
if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
    find_program(PONDERINE_WINE wine REQUIRED)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${PONDERINE_WINE})
endif()

# Programs carry their C and C++ runtime (no libgcc_s_seh-1.dll or
# libstdc++-6.dll beside them).
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)
