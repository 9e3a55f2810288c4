# Install rules and the Debian packages (CPack DEB): calvix (the program, its command-line
# tools, the system directory with the scanner maker's libraries, help pages, desktop entry,
# icon, man pages) and calvix-q71-emulator (the emulated scanner and its chart renderer).
# The installed tree has the build tree's layout (bin/ beside lib/calvix/ and share/calvix/),
# so the programs find their system directory as ../lib/calvix and nothing depends on the prefix.
# The folders are fixed rather than GNUInstallDirs' (which would pick lib/<multiarch> for /usr):
# the program's lookup of ../lib/calvix must hold under every prefix.
set(CMAKE_INSTALL_BINDIR bin)
set(CMAKE_INSTALL_LIBDIR lib)
set(CMAKE_INSTALL_DATADIR share)
set(CMAKE_INSTALL_MANDIR share/man)

# One place for what goes where: a target named here is installed when this build has it, so a
# tool that arrives later (or a build without the GUI) needs no change to the rules below.
set(CALVIX_PACKAGE_PROGRAMS calvix calvix-analyze q71-scan calvix-verify)
set(CALVIX_PACKAGE_EMULATOR_PROGRAMS q71-emulator q71-render)
# Target, then its folder under the system directory.
set(CALVIX_PACKAGE_SYSTEM_LIBRARIES twain_manager . q71_source twain_32/zelmar zedareru twain_32/zelmar)
# Man pages in packaging/man/<tool>.1 are installed with the package of their tool.

set(CALVIX_PACKAGE_DIR ${PROJECT_SOURCE_DIR}/packaging)
set(CALVIX_PACKAGE_STAGE ${CMAKE_BINARY_DIR}/packaging)

# gzip -n leaves out the name and time stamp, so the compressed files are the same every build.
find_program(CALVIX_GZIP gzip REQUIRED)
function(calvix_gzip_file source target)
  add_custom_command(OUTPUT ${target}
    COMMAND ${CALVIX_GZIP} -9nc ${source} > ${target}
    DEPENDS ${source} VERBATIM)
endfunction()

file(MAKE_DIRECTORY ${CALVIX_PACKAGE_STAGE}/man)
set(compressed)
function(calvix_install_programs component)
  foreach(program IN LISTS ARGN)
    if(NOT TARGET ${program})
      continue()
    endif()
    install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT ${component})
    set(page ${CALVIX_PACKAGE_DIR}/man/${program}.1)
    if(NOT EXISTS ${page})
      message(FATAL_ERROR "${program} is installed but has no man page: write ${page}")
    endif()
    calvix_gzip_file(${page} ${CALVIX_PACKAGE_STAGE}/man/${program}.1.gz)
    install(FILES ${CALVIX_PACKAGE_STAGE}/man/${program}.1.gz
            DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT ${component})
    list(APPEND compressed ${CALVIX_PACKAGE_STAGE}/man/${program}.1.gz)
  endforeach()
  set(compressed ${compressed} PARENT_SCOPE)
endfunction()

calvix_install_programs(calvix ${CALVIX_PACKAGE_PROGRAMS})
calvix_install_programs(emulator ${CALVIX_PACKAGE_EMULATOR_PROGRAMS})

# The libraries are loaded by path, never linked against: no SONAME links, and they are
# installed as the plain files the build writes.
set(libraries ${CALVIX_PACKAGE_SYSTEM_LIBRARIES})
while(libraries)
  list(POP_FRONT libraries library folder)
  install(TARGETS ${library} LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}/calvix/${folder} COMPONENT calvix)
endwhile()

# Debian's documentation: the copyright file, and a changelog per package whose top entry must
# name this version (lintian compares them).
file(STRINGS ${CALVIX_PACKAGE_DIR}/changelog top LIMIT_COUNT 1)
if(NOT top MATCHES "^calvix \\(${PROJECT_VERSION}\\) ")
  message(FATAL_ERROR "packaging/changelog must start with an entry for ${PROJECT_VERSION}: ${top}")
endif()
foreach(package calvix calvix-q71-emulator)
  if(package STREQUAL "calvix")
    set(component calvix)
  else()
    set(component emulator)
  endif()
  set(log ${CALVIX_PACKAGE_STAGE}/doc/${package}/changelog)
  # Both packages come from one source and share its history, each under its own name.
  file(READ ${CALVIX_PACKAGE_DIR}/changelog text)
  string(REGEX REPLACE "(^|\n)calvix \\(" "\\1${package} (" text "${text}")
  file(WRITE ${log}.in "${text}")
  configure_file(${log}.in ${log} COPYONLY)
  calvix_gzip_file(${log} ${log}.gz)
  list(APPEND compressed ${log}.gz)
  install(FILES ${log}.gz ${CALVIX_PACKAGE_DIR}/copyright
          DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${package} COMPONENT ${component})
endforeach()
add_custom_target(calvix_package_files ALL DEPENDS ${compressed})

install(FILES ${CALVIX_PACKAGE_DIR}/calvix.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT calvix)
install(FILES ${CALVIX_PACKAGE_DIR}/calvix.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
        COMPONENT calvix)

install(FILES ${CALVIX_PACKAGE_DIR}/lintian/calvix DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides COMPONENT calvix)

# CPack: one .deb per component, calvix_<version>_amd64.deb and calvix-q71-emulator_<version>_amd64.deb.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME calvix)
set(CPACK_PACKAGE_VENDOR "Calvix developers")
set(CPACK_PACKAGE_CONTACT "Calvix developers <calvix@example.org>" CACHE STRING "Maintainer of the Debian packages")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
# A Debian package installs under /usr whatever prefix the build tree was configured with, so
# CI packages the tree it has built and tested.
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL calvix emulator)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://example.org/calvix")
set(CPACK_DEBIAN_CALVIX_PACKAGE_NAME calvix)
# The first line of a description is its synopsis; CPack indents the rest and turns an empty
# line into the paragraph mark.
set(CPACK_DEBIAN_CALVIX_PACKAGE_SECTION graphics)
set(CPACK_COMPONENT_CALVIX_DESCRIPTION
  "colour calibration for the Zelmar Q71 duplex scanner
Calvix scans an IT8 target on a Zelmar Q71 document scanner, finds the chart,
measures its grey wedge against the target's IT8 reference file, builds the
correction tables per side and uploads them to the scanner.

The package holds the program with its Qt windows and unattended mode, the
offline chart analysis calvix-analyze, the scan tool q71-scan and the
scanner's system directory (TWAIN source manager, Q71 data source and service
library) in /usr/lib/calvix.")
set(CPACK_DEBIAN_EMULATOR_PACKAGE_NAME calvix-q71-emulator)
set(CPACK_DEBIAN_EMULATOR_PACKAGE_SECTION devel)
set(CPACK_COMPONENT_EMULATOR_DESCRIPTION
  "emulated Zelmar Q71 scanner for Calvix
q71-emulator plays an Ethernet-attached Zelmar Q71 duplex scanner on the
loopback interface: service commands, LUT uploads, a sheet feeder and scans
of a rendered IT8 chart through sensors that are off in chosen ways, with
faults to play. q71-render writes one rendered chart side as a BMP file.

Calvix calibrates the emulated scanner as it does a real one, so a
calibration can be tried and tested without the device.")
include(CPack)
