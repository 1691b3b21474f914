# Installs the station service. Its unit names the batch tool and its settings file by
# absolute paths, so it is written at install time, for the prefix installed into: the
# same build installs into /usr/local with `cmake --install` and into /usr for the package.
# Set beforehand: ZELTO_STATION_SOURCE, ZELTO_STATION_BUILD, ZELTO_BINDIR,
# ZELTO_SYSCONFDIR, ZELTO_UNITDIR (each relative to the prefix or absolute).

function(zelto_install_path relative out)
    if(IS_ABSOLUTE "${relative}")
        set(${out} "${relative}" PARENT_SCOPE)
    else()
        set(${out} "${CMAKE_INSTALL_PREFIX}/${relative}" PARENT_SCOPE)
    endif()
endfunction()

zelto_install_path("${ZELTO_BINDIR}" ZELTO_BINDIR)
zelto_install_path("${ZELTO_UNITDIR}" unitdir)
# Settings of a system installation live in /etc, as GNUInstallDirs has it.
if(NOT IS_ABSOLUTE "${ZELTO_SYSCONFDIR}" AND CMAKE_INSTALL_PREFIX MATCHES "^/(usr/?)?$")
    set(ZELTO_SYSCONFDIR "/${ZELTO_SYSCONFDIR}")
endif()
zelto_install_path("${ZELTO_SYSCONFDIR}" ZELTO_SYSCONFDIR)

configure_file("${ZELTO_STATION_SOURCE}/zeltodecoder-station.service.in"
               "${ZELTO_STATION_BUILD}/zeltodecoder-station.service" @ONLY)
file(INSTALL DESTINATION "${unitdir}" TYPE FILE
     FILES "${ZELTO_STATION_BUILD}/zeltodecoder-station.service")

# The settings file is the operator's once installed: a new installation keeps it.
set(settings "${ZELTO_SYSCONFDIR}/default/zeltodecoder-station")
if(EXISTS "$ENV{DESTDIR}${settings}")
    message(STATUS "Keeping: $ENV{DESTDIR}${settings}")
else()
    file(INSTALL DESTINATION "${ZELTO_SYSCONFDIR}/default" TYPE FILE
         RENAME zeltodecoder-station FILES "${ZELTO_STATION_SOURCE}/zeltodecoder-station.default")
endif()
