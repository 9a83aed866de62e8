# Desktop integration and the Debian package.
#
# Installs the desktop entry, the AppStream metainfo, the scalable icon, the
# manual pages and the changelog beside the executable, and sets up CPack so
# that `cpack -G DEB` in a Release build folder makes
# ponderine_<version>_<arch>.deb. The tests with the label "packaging" check
# the files, an installed tree and the package (with lintian). Why the
# package looks as it does: docs/packaging.md.

include(GNUInstallDirs)

set(PONDERINE_APP_ID org.ponderine.ponderine)
set(PONDERINE_DESKTOP_FILE ${PROJECT_SOURCE_DIR}/desktop/${PONDERINE_APP_ID}.desktop)
set(PONDERINE_METAINFO_FILE ${PROJECT_SOURCE_DIR}/desktop/${PONDERINE_APP_ID}.metainfo.xml)
set(PONDERINE_ICON_FILE ${PROJECT_SOURCE_DIR}/window/art/icon-scalable.svg
    CACHE FILEPATH "Scalable SVG icon installed as the application's icon")
if(NOT EXISTS "${PONDERINE_ICON_FILE}")
    message(WARNING "The application icon ${PONDERINE_ICON_FILE} is missing: "
                    "`cmake --install` and `cpack` will fail without it.")
endif()

# Debian keeps games in /usr/games (Policy 11.11); the menu entry finds the
# program on PATH.
install(TARGETS ponderine RUNTIME DESTINATION games)
# qt_standard_project_setup() gives installed programs the run path
# $ORIGIN:$ORIGIN/../lib, meant for a Qt bundled beside them. The game uses
# the system's Qt, and Debian wants no run path in /usr/games.
set_property(TARGET ponderine PROPERTY INSTALL_RPATH "")
# A stripping install (cpack, `cmake --install --strip`) runs plain strip,
# which leaves the compiler's .comment notes; strip them as Debian's own
# tools do.
install(CODE "
    if(CMAKE_INSTALL_DO_STRIP)
        execute_process(COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment --remove-section=.note
                                \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/games/$<TARGET_FILE_NAME:ponderine>\"
                        COMMAND_ERROR_IS_FATAL ANY)
    endif()")

install(FILES ${PONDERINE_DESKTOP_FILE}
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PONDERINE_METAINFO_FILE}
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${PONDERINE_ICON_FILE}
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
        RENAME ${PONDERINE_APP_ID}.svg)
# Where Debian looks for a package's licence.
install(FILES ${PROJECT_SOURCE_DIR}/desktop/copyright
        DESTINATION ${CMAKE_INSTALL_DOCDIR})

# AppStream 1.0 (Debian 13) asks every application for a homepage, and the
# project has none yet: lintian, which runs the validator on the package,
# reports appstream-metadata-validation-failed. The package carries an
# override for that tag when the build machine's AppStream asks; with an
# older one the override would be a remark of its own (unused-override).
# The tests hold the metainfo to every other remark (docs/packaging.md).
find_program(PONDERINE_APPSTREAMCLI appstreamcli)
if(PONDERINE_APPSTREAMCLI)
    execute_process(COMMAND ${PONDERINE_APPSTREAMCLI} --version
                    OUTPUT_VARIABLE _appstream_version OUTPUT_STRIP_TRAILING_WHITESPACE)
    string(REGEX REPLACE ".*version: *" "" _appstream_version "${_appstream_version}")
    if(_appstream_version VERSION_GREATER_EQUAL 1.0)
        install(FILES ${PROJECT_SOURCE_DIR}/desktop/lintian-overrides
                DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides
                RENAME ponderine)
    endif()
endif()

# The manual pages (section 6, for games) carry the project version; they and
# the changelog are installed compressed as Debian wants them: gzip -9n, with
# no file name or time stamp inside, so that the same sources give the same
# package.
set(_docs_dir ${PROJECT_BINARY_DIR}/docs)
configure_file(${PROJECT_SOURCE_DIR}/man/ponderine.6.in ${_docs_dir}/man/ponderine.6 @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/man/ponderine.it.6.in ${_docs_dir}/man/it/ponderine.6 @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/CHANGELOG ${_docs_dir}/changelog COPYONLY)
set(_compressed_docs)
foreach(doc man/ponderine.6 man/it/ponderine.6 changelog)
    add_custom_command(OUTPUT ${_docs_dir}/${doc}.gz
        COMMAND gzip -9nkf ${_docs_dir}/${doc}
        DEPENDS ${_docs_dir}/${doc}
        VERBATIM)
    list(APPEND _compressed_docs ${_docs_dir}/${doc}.gz)
endforeach()
add_custom_target(ponderine_docs ALL DEPENDS ${_compressed_docs})
install(FILES ${_docs_dir}/man/ponderine.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${_docs_dir}/man/it/ponderine.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/it/man6)
install(FILES ${_docs_dir}/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})

# CPack: one Debian package holding everything that is installed.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ponderine)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Ponderine developers")
set(CPACK_PACKAGE_CONTACT "Ponderine developers <dev@ponderine.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "units of mass conversion game for primary-school pupils")
set(CPACK_PACKAGE_DESCRIPTION
    "Ponderine drills conversions between the seven metric units of mass: mg, cg,
dg, g, dag, hg and Kg. The game asks a question, the pupil types the answer
and the game says at once whether it is right, keeping count of right, wrong
and total answers. A game lasts 15 minutes; the best score and its holder are
kept between runs. All texts in the game are in Italian.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE
    GROUP_READ GROUP_EXECUTE
    WORLD_READ WORLD_EXECUTE)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# CPack names the build machine's architecture; a cross build's package is
# for the architecture of its compiler (arm64 for aarch64-linux-gnu).
if(CMAKE_CROSSCOMPILING)
    execute_process(COMMAND dpkg-architecture -t ${CMAKE_LIBRARY_ARCHITECTURE} -qDEB_HOST_ARCH
                    OUTPUT_VARIABLE PONDERINE_DEB_ARCH OUTPUT_STRIP_TRAILING_WHITESPACE
                    ERROR_QUIET COMMAND_ERROR_IS_FATAL ANY)
    set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${PONDERINE_DEB_ARCH})
endif()
set(CPACK_DEBIAN_PACKAGE_NAME ponderine)
# A package is built on the Debian release it is for, and its version names
# that release (0.1.0+deb12, 0.1.0+deb13), so that one package repository can
# hold both and a machine upgraded to Debian 13 is offered the newer one.
# The version stays native: no Debian revision, one changelog.
if(NOT DEFINED PONDERINE_DEB_RELEASE)
    set(_release "")
    if(EXISTS /etc/os-release)
        file(STRINGS /etc/os-release _os_id REGEX "^ID=")
        file(STRINGS /etc/os-release _os_version REGEX "^VERSION_ID=")
        string(REGEX REPLACE "^VERSION_ID=\"?([0-9]+)\"?$" "\\1" _os_version "${_os_version}")
        if(_os_id STREQUAL "ID=debian" AND _os_version MATCHES "^[0-9]+$")
            set(_release "deb${_os_version}")
        endif()
    endif()
    set(PONDERINE_DEB_RELEASE "${_release}" CACHE STRING "The Debian release in the package version (deb12), or empty")
endif()
if(PONDERINE_DEB_RELEASE)
    set(CPACK_DEBIAN_PACKAGE_VERSION "${PROJECT_VERSION}+${PONDERINE_DEB_RELEASE}")
else()
    set(CPACK_DEBIAN_PACKAGE_VERSION "${PROJECT_VERSION}")
endif()
# Section games, with the program in /usr/games (Debian Policy 11.11).
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Ponderine developers <dev@ponderine.invalid>")
# dpkg-shlibdeps finds the shared libraries the program links, libqt6svg6
# included (it also holds the SVG plugins); the X11 and offscreen platform
# plugins come with libqt6gui6. Only the fonts the game draws with are named.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation2, fonts-dejavu-core")
# Qt's own texts (the boxes' buttons) in the pupil's language; the game works without.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n")

include(CPack)

if(PONDERINE_TESTS)
    set(_packaging_tests ${PROJECT_SOURCE_DIR}/tests/packaging)
    find_program(PONDERINE_BASH bash REQUIRED)

    add_test(NAME desktop_files_valid
        COMMAND ${PONDERINE_BASH} ${_packaging_tests}/desktop_files_valid.sh
                ${PONDERINE_DESKTOP_FILE} ${PONDERINE_METAINFO_FILE}
                ${PROJECT_SOURCE_DIR}/CHANGELOG ${PROJECT_VERSION})
    add_test(NAME install_tree
        COMMAND ${PONDERINE_BASH} ${_packaging_tests}/install_tree.sh
                ${CMAKE_COMMAND} ${PROJECT_BINARY_DIR} ${PONDERINE_APP_ID})
    # Builds its own Release tree of the game, as a packager would: it takes
    # every core, so it runs alone. A cross build (Release, made by
    # scripts/build-arm64) is packaged as it is.
    if(CMAKE_CROSSCOMPILING)
        set(_package_tree --cross ${PONDERINE_DEB_ARCH})
    else()
        set(_package_tree)
    endif()
    add_test(NAME debian_package
        COMMAND ${PONDERINE_BASH} ${_packaging_tests}/debian_package.sh
                ${CMAKE_COMMAND} ${CMAKE_CPACK_COMMAND} ${PROJECT_SOURCE_DIR} ${PROJECT_BINARY_DIR}
                ${PROJECT_VERSION} ${PONDERINE_APP_ID} ${_package_tree})
    set_tests_properties(desktop_files_valid PROPERTIES LABELS packaging TIMEOUT 60)
    set_tests_properties(install_tree PROPERTIES LABELS packaging TIMEOUT 120)
    set_tests_properties(debian_package PROPERTIES LABELS packaging TIMEOUT 900 RUN_SERIAL ON)
endif()
