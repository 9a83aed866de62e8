# The Windows program and the three files that ship it, in place of the
# Debian package: a build with cmake/x86_64-w64-mingw32.cmake, made by
# scripts/build-windows. Why they look as they do: docs/packaging.md.
#
#   ponderine-VERSION-setup.exe    NSIS: every user's or one user's copy
#   ponderine-VERSION.msi          msitools' wixl: per machine, for Group Policy
#   ponderine-VERSION-windows.zip  the exe alone, to run from a USB stick

set(_windows ${PROJECT_SOURCE_DIR}/desktop/windows)

# A GUI program (no console window beside it), with its icon, version
# information and manifest. The static Qt and -static (the toolchain file)
# make it one file with no DLLs beside it.
set_target_properties(ponderine PROPERTIES WIN32_EXECUTABLE ON)
target_link_options(ponderine PRIVATE $<$<CONFIG:Release,MinSizeRel>:-s>)
string(REPLACE "." "," PONDERINE_VERSION_COMMAS "${PROJECT_VERSION}.0")
set(PONDERINE_VERSION_QUAD "${PROJECT_VERSION}.0")
set(PONDERINE_MANIFEST_FILE ${PROJECT_BINARY_DIR}/ponderine.manifest)
configure_file(${_windows}/ponderine.manifest ${PONDERINE_MANIFEST_FILE} @ONLY)
configure_file(${_windows}/ponderine.rc.in ${PROJECT_BINARY_DIR}/ponderine.rc @ONLY)
target_sources(ponderine PRIVATE ${PROJECT_BINARY_DIR}/ponderine.rc)
set_source_files_properties(${PROJECT_BINARY_DIR}/ponderine.rc PROPERTIES
    OBJECT_DEPENDS "${PONDERINE_ICO_FILE};${PONDERINE_MANIFEST_FILE}")

# Qt's own texts in Italian ("Annulla", "Sì"): the build machine's
# translation of the same Qt, compiled in with a qt.conf that tells Qt where.
find_file(PONDERINE_QTBASE_IT qtbase_it.qm PATHS ${QT_HOST_PATH}/share/qt6/translations
          NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH REQUIRED)
cmake_path(GET PONDERINE_QTBASE_IT PARENT_PATH _qt_translations)
qt_add_resources(ponderine "qtconf" PREFIX "/qt/etc" BASE ${_windows} FILES ${_windows}/qt.conf)
qt_add_resources(ponderine "qttranslations" PREFIX "/i18n" BASE ${_qt_translations} FILES ${PONDERINE_QTBASE_IT})

# The three files to ship, made with every build.
find_program(PONDERINE_MAKENSIS makensis REQUIRED)
find_program(PONDERINE_WIXL wixl REQUIRED)
set(PONDERINE_SETUP ${PROJECT_BINARY_DIR}/ponderine-${PROJECT_VERSION}-setup.exe)
set(PONDERINE_MSI ${PROJECT_BINARY_DIR}/ponderine-${PROJECT_VERSION}.msi)
set(PONDERINE_ZIP ${PROJECT_BINARY_DIR}/ponderine-${PROJECT_VERSION}-windows.zip)
# wixl finds the files a .wxs names only beside it, by relative paths.
configure_file(${_windows}/ponderine.wxs ${PROJECT_BINARY_DIR}/ponderine.wxs COPYONLY)
file(RELATIVE_PATH _ico_beside_wxs ${PROJECT_BINARY_DIR} ${PONDERINE_ICO_FILE})

# The setup program and the MSI of the game as built, numbered VERSION.
function(ponderine_installers version setup msi)
    add_custom_command(OUTPUT ${setup}
        COMMAND ${PONDERINE_MAKENSIS} -V2 -INPUTCHARSET UTF8
                -DVERSION=${version} -DEXE=$<TARGET_FILE:ponderine> -DICON=${PONDERINE_ICO_FILE}
                -DLICENSE=${PROJECT_SOURCE_DIR}/LICENSE -DOUTFILE=${setup} ${_windows}/ponderine.nsi
        DEPENDS ponderine ${_windows}/ponderine.nsi
        COMMENT "Making the setup program ${version}"
        VERBATIM)
    add_custom_command(OUTPUT ${msi}
        COMMAND ${PONDERINE_WIXL} -a x64 -D Version=${version}
                -D Exe=$<PATH:RELATIVE_PATH,$<TARGET_FILE:ponderine>,${PROJECT_BINARY_DIR}>
                -D Icon=${_ico_beside_wxs} -o ${msi} ${PROJECT_BINARY_DIR}/ponderine.wxs
        DEPENDS ponderine ${_windows}/ponderine.wxs
        COMMENT "Making the MSI ${version}"
        VERBATIM)
endfunction()
ponderine_installers(${PROJECT_VERSION} ${PONDERINE_SETUP} ${PONDERINE_MSI})
add_custom_command(OUTPUT ${PONDERINE_ZIP}
    COMMAND ${CMAKE_COMMAND} -E rm -f ${PONDERINE_ZIP}
    COMMAND ${CMAKE_COMMAND} -E tar cf ${PONDERINE_ZIP} --format=zip $<TARGET_FILE_NAME:ponderine>
    WORKING_DIRECTORY $<TARGET_FILE_DIR:ponderine>
    DEPENDS ponderine
    COMMENT "Making the portable zip"
    VERBATIM)
add_custom_target(ponderine_windows_files ALL DEPENDS ${PONDERINE_SETUP} ${PONDERINE_MSI} ${PONDERINE_ZIP})

# The files as built; then a whole game under Wine on a virtual X server:
# the setup program installs silently, the game is played from its
# Start-menu entry at 100 % and 125 %, the next version updates it and this
# one refuses to go back, the uninstaller leaves the record; then the MSI is
# installed, updated, refused an older version, and removed. Screenshots land in
# tests/e2e-windows-output/.
if(PONDERINE_TESTS)
    find_program(PONDERINE_BASH bash REQUIRED)
    add_test(NAME windows_files
        COMMAND ${PONDERINE_BASH} ${PROJECT_SOURCE_DIR}/tests/packaging/windows_files.sh
                ${CMAKE_OBJDUMP} $<TARGET_FILE:ponderine> ${PONDERINE_SETUP} ${PONDERINE_MSI} ${PONDERINE_ZIP}
                ${PROJECT_VERSION})
    set_tests_properties(windows_files PROPERTIES LABELS packaging TIMEOUT 60)
    # The update's installers: the same game, one version on.
    math(EXPR _next_patch "${PROJECT_VERSION_PATCH} + 1")
    set(_next ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${_next_patch})
    file(MAKE_DIRECTORY ${PROJECT_BINARY_DIR}/tests/next)
    set(_next_setup ${PROJECT_BINARY_DIR}/tests/next/ponderine-${_next}-setup.exe)
    set(_next_msi ${PROJECT_BINARY_DIR}/tests/next/ponderine-${_next}.msi)
    ponderine_installers(${_next} ${_next_setup} ${_next_msi})
    add_custom_target(ponderine_next_installers ALL DEPENDS ${_next_setup} ${_next_msi})
    add_test(NAME windows_e2e
        COMMAND ${PONDERINE_BASH} ${PROJECT_SOURCE_DIR}/tests/e2e/run_e2e.sh
                ${PONDERINE_SETUP} ${PROJECT_BINARY_DIR}/tests/e2e-windows-output --screen 1366x768
                --only windows --msi ${PONDERINE_MSI} --next ${_next} ${_next_setup} ${_next_msi} --patience 2)
    set_tests_properties(windows_e2e PROPERTIES LABELS e2e TIMEOUT 900 RESOURCE_LOCK desktop)
endif()
