# Debian's hardening flags, as the build machine's own release gives them:
# what `DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags` adds over
# `hardening=-all`, so that a newer release's flags come without a change
# here and the rest of dpkg-buildflags' output (-g -O2, the file prefix map)
# is left to the build type. A cross build asks for its target architecture.
# Fortification needs the optimiser, so unoptimised builds go without the
# preprocessor's part. Without dpkg-buildflags, the same from the compiler.

find_program(PONDERINE_DPKG_BUILDFLAGS dpkg-buildflags)
if(NOT PONDERINE_DPKG_BUILDFLAGS)
    # Not Debian, or no dpkg-dev: the compiler's own options that Debian's
    # hardening amounts to, those this compiler takes.
    include(CheckCXXCompilerFlag)
    include(CheckLinkerFlag)
    set(_shown -Wformat -Werror=format-security)
    add_compile_options(-Wformat -Werror=format-security)
    foreach(_flag -fstack-protector-strong -fstack-clash-protection -fcf-protection
                  -mbranch-protection=standard)
        string(MAKE_C_IDENTIFIER "PONDERINE_HAS${_flag}" _var)
        check_cxx_compiler_flag(${_flag} ${_var})
        if(${_var})
            add_compile_options(${_flag})
            list(APPEND _shown ${_flag})
        endif()
    endforeach()
    add_compile_options("$<$<CONFIG:Release,RelWithDebInfo,MinSizeRel>:-U_FORTIFY_SOURCE;-D_FORTIFY_SOURCE=2>")
    foreach(_flag -Wl,-z,relro -Wl,-z,now)
        string(MAKE_C_IDENTIFIER "PONDERINE_HAS${_flag}" _var)
        check_linker_flag(CXX ${_flag} ${_var})
        if(${_var})
            add_link_options(${_flag})
            list(APPEND _shown ${_flag})
        endif()
    endforeach()
    string(JOIN " " _shown ${_shown})
    message(STATUS "No dpkg-buildflags: hardening flags of the compiler's own: ${_shown} -D_FORTIFY_SOURCE=2")
    return()
endif()
if(CMAKE_CROSSCOMPILING)
    execute_process(COMMAND dpkg-architecture -t ${CMAKE_LIBRARY_ARCHITECTURE} -qDEB_HOST_ARCH
                    OUTPUT_VARIABLE _hardening_arch OUTPUT_STRIP_TRAILING_WHITESPACE
                    ERROR_QUIET COMMAND_ERROR_IS_FATAL ANY)
else()
    execute_process(COMMAND dpkg --print-architecture
                    OUTPUT_VARIABLE _hardening_arch OUTPUT_STRIP_TRAILING_WHITESPACE
                    COMMAND_ERROR_IS_FATAL ANY)
endif()

# Sets OUT to the flags of KIND (CPPFLAGS, CXXFLAGS, LDFLAGS) that hardening adds.
function(_ponderine_hardening_flags kind out)
    foreach(setting +all -all)
        execute_process(COMMAND ${CMAKE_COMMAND} -E env DEB_HOST_ARCH=${_hardening_arch}
                                DEB_BUILD_MAINT_OPTIONS=hardening=${setting}
                                ${PONDERINE_DPKG_BUILDFLAGS} --get ${kind}
                        OUTPUT_VARIABLE _flags OUTPUT_STRIP_TRAILING_WHITESPACE
                        COMMAND_ERROR_IS_FATAL ANY)
        separate_arguments(_flags_${setting} UNIX_COMMAND "${_flags}")
    endforeach()
    list(REMOVE_ITEM _flags_+all ${_flags_-all})
    set(${out} ${_flags_+all} PARENT_SCOPE)
endfunction()

_ponderine_hardening_flags(CPPFLAGS PONDERINE_HARDENING_CPPFLAGS)
_ponderine_hardening_flags(CXXFLAGS PONDERINE_HARDENING_CXXFLAGS)
_ponderine_hardening_flags(LDFLAGS PONDERINE_HARDENING_LDFLAGS)
string(JOIN " " _shown ${PONDERINE_HARDENING_CPPFLAGS} ${PONDERINE_HARDENING_CXXFLAGS}
            ${PONDERINE_HARDENING_LDFLAGS})
message(STATUS "Hardening flags of dpkg-buildflags for ${_hardening_arch}: ${_shown}")

add_compile_options(${PONDERINE_HARDENING_CXXFLAGS}
                    "$<$<CONFIG:Release,RelWithDebInfo,MinSizeRel>:${PONDERINE_HARDENING_CPPFLAGS}>")
add_link_options(${PONDERINE_HARDENING_LDFLAGS})
