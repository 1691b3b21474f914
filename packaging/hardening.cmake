# Debian's hardening flags, as dpkg-buildflags gives them to a package with every hardening
# feature on (stack protector, fortified functions, format checks, read-only relocations,
# immediate binding), over everything built, so that the tested build is the packaged one.
# The build type keeps choosing optimisation and debug information, and the paths in the
# debug information stay those of the source tree. The sanitizer and fuzz builds go
# without: they are never packaged, and fortified functions hide errors from AddressSanitizer.
include(CMakeDependentOption)
cmake_dependent_option(ZELTO_HARDEN "Build with the hardening flags of dpkg-buildflags" ON
                       "NOT ZELTO_SANITIZE;NOT ZELTO_FUZZ" OFF)
set(ZELTO_HARDENED OFF)
if(ZELTO_HARDEN)
    find_program(DPKG_BUILDFLAGS dpkg-buildflags)
    if(DPKG_BUILDFLAGS)
        set(ZELTO_HARDENED ON)
        foreach(kind CPPFLAGS CXXFLAGS LDFLAGS)
            execute_process(
                COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all
                        ${DPKG_BUILDFLAGS} --get ${kind}
                OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE failed)
            if(failed)
                message(FATAL_ERROR "dpkg-buildflags --get ${kind} failed")
            endif()
            separate_arguments(flags UNIX_COMMAND "${flags}")
            list(FILTER flags EXCLUDE REGEX "^-(O|g|ffile-prefix-map=|fdebug-prefix-map=)")
            foreach(flag IN LISTS flags)
                if(kind STREQUAL LDFLAGS)
                    add_link_options(${flag})
                elseif(flag MATCHES "^-D_FORTIFY_SOURCE")
                    # It needs the optimiser, and warns without it.
                    add_compile_options($<$<NOT:$<CONFIG:Debug>>:${flag}>)
                else()
                    add_compile_options(${flag})
                endif()
            endforeach()
        endforeach()
    else()
        message(STATUS "dpkg-buildflags (Debian package dpkg-dev) not found: built without "
                       "hardening flags, and no package can be made")
    endif()
endif()
