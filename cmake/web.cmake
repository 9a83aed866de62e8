# The game for a web browser, built with emscripten against Qt for
# WebAssembly by scripts/build-web, which lays out the site (web/) around
# ponderine.js and ponderine.wasm. Why it is built as it is: docs/packaging.md.

# The name prompt and the message boxes wait in a nested event loop (exec()),
# which a page runs only through emscripten's asyncify: it lets the program
# hand the page back to the browser in mid-call and take up where it left.
option(PONDERINE_WEB_ASYNCIFY "Build with asyncify, which the modal boxes need (off only to measure its cost)" ON)
if(PONDERINE_WEB_ASYNCIFY)
    target_link_options(ponderine PRIVATE -sASYNCIFY)
endif()

# No eval() or new Function() in the page's script (emscripten's glue, Qt's
# calls into the page through embind), so that the game plays under a
# Content-Security-Policy that allows only the site's own scripts and
# WebAssembly.
target_link_options(ponderine PRIVATE -sDYNAMIC_EXECUTION=0)

# Qt's own texts in Italian ("Annulla", "Sì") and the faces the control
# table asks for, compiled in: a page has no files of its own.
find_file(PONDERINE_QTBASE_IT qtbase_it.qm PATHS ${QT_HOST_PATH}/share/qt6/translations
          NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH REQUIRED)
cmake_path(GET PONDERINE_QTBASE_IT PARENT_PATH _qt_translations)
qt_add_resources(ponderine "qtconf" PREFIX "/qt/etc" BASE ${PROJECT_SOURCE_DIR}/web FILES ${PROJECT_SOURCE_DIR}/web/qt.conf)
qt_add_resources(ponderine "qttranslations" PREFIX "/i18n" BASE ${_qt_translations} FILES ${PONDERINE_QTBASE_IT})
set(PONDERINE_WEB_FONTS "" CACHE PATH "A folder of the fonts to compile in (scripts/web/build.sh cuts them)")
if(PONDERINE_WEB_FONTS)
    file(GLOB _web_fonts ${PONDERINE_WEB_FONTS}/*.ttf)
    qt_add_resources(ponderine "fonts" PREFIX "/fonts" BASE ${PONDERINE_WEB_FONTS} FILES ${_web_fonts})
endif()
