# Orv as a release: the program with its data, a desktop entry and an icon, installed as
# component `orv`, and the packages CPack makes from this build folder:
#   cpack -G DEB   neblu_VERSION_ARCH.deb (components libraries and engine) and
#                  orv_VERSION_ARCH.deb (component orv), Depends computed from the binaries
#   cpack -G TGZ   orv-VERSION-linux-ARCH.tar.gz (libraries and orv), which plays from
#                  wherever it is unpacked
# The program finds its data in PREFIX/share/orv (PLATFORM_PROGRAM_FINDS_ITS_DATA), its
# libraries through its $ORIGIN-relative RUNPATH.
install(TARGETS game RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT orv)
install(DIRECTORY ${CMAKE_BINARY_DIR}/data/ DESTINATION ${CMAKE_INSTALL_DATADIR}/orv/data COMPONENT orv
  PATTERN log.html EXCLUDE
  PATTERN sections.txt EXCLUDE
  # It names files of the machine that built it.
  PATTERN origins.txt EXCLUDE)
# The settings dialog's banner: resources live beside an installed program's data.
install(DIRECTORY $<TARGET_FILE_DIR:game>/orv.res DESTINATION ${CMAKE_INSTALL_DATADIR}/orv COMPONENT orv)

set(orv_icon ${CMAKE_BINARY_DIR}/release/orv.png)
add_custom_command(OUTPUT ${orv_icon}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/release
  COMMAND neblu_banner --icon orv ${orv_icon}
  DEPENDS neblu_banner
  COMMENT "Orv's desktop icon"
  VERBATIM)
add_custom_target(orv_icon ALL DEPENDS ${orv_icon})
install(FILES ${orv_icon} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/128x128/apps COMPONENT orv)
install(FILES ${PROJECT_SOURCE_DIR}/cmake/orv.desktop.in DESTINATION ${CMAKE_INSTALL_DATADIR}/applications
  RENAME orv.desktop COMPONENT orv)

# Each package's copyright and changelog (a native package's, compressed without a time
# stamp so the packages come out the same from the same sources).
find_program(GZIP gzip REQUIRED)
file(READ ${PROJECT_SOURCE_DIR}/cmake/debian/orv-copyright-extra.in orv_copyright_extra)
foreach(package_and_component neblu:engine orv:orv)
  string(REPLACE ":" ";" pair ${package_and_component})
  list(GET pair 0 PACKAGE)
  list(GET pair 1 component)
  set(doc ${CMAKE_BINARY_DIR}/release/${PACKAGE})
  configure_file(${PROJECT_SOURCE_DIR}/cmake/debian/copyright.in ${doc}/copyright @ONLY)
  if(PACKAGE STREQUAL "orv")
    file(APPEND ${doc}/copyright "${orv_copyright_extra}")
  endif()
  configure_file(${PROJECT_SOURCE_DIR}/cmake/debian/changelog.in ${doc}/changelog @ONLY)
  add_custom_command(OUTPUT ${doc}/changelog.gz
    COMMAND ${GZIP} -9nkf ${doc}/changelog
    DEPENDS ${doc}/changelog
    VERBATIM)
  add_custom_target(${PACKAGE}_changelog ALL DEPENDS ${doc}/changelog.gz)
  install(FILES ${doc}/copyright ${doc}/changelog.gz DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${PACKAGE}
    COMPONENT ${component})
endforeach()

set(CPACK_PACKAGE_NAME neblu)
set(CPACK_PACKAGE_VENDOR "NEBLU")
set(CPACK_PACKAGE_CONTACT "NEBLU developers <neblu@example.org>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/packages)
set(CPACK_STRIP_FILES ON)
set(CPACK_COMPONENTS_ALL libraries engine orv)
set(CPACK_COMPONENT_LIBRARIES_GROUP neblu)
set(CPACK_COMPONENT_ENGINE_GROUP neblu)
set(CPACK_COMPONENT_ORV_GROUP orv)

set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_DEBIAN_NEBLU_PACKAGE_NAME neblu)
set(CPACK_DEBIAN_NEBLU_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_NEBLU_DESCRIPTION "real-time demo engine: libraries, headers and tools
NEBLU plays animated 3D scenes in step with a music track, the music position
being the only clock. This package holds the engine and platform libraries,
their headers, a CMake package and a pkg-config file for building a demo of
your own, and the tools that make and check a demo's data (nblinfo, fxcheck,
efxinfo, demowrite, demoinfo, gltf2demo).")
# The libraries' dependency line for packages built on them, and ldconfig run through
# its trigger rather than from the maintainer scripts.
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_NEBLU_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/cmake/debian/triggers)
# The graphics drivers are opened at run time, not linked; building a demo against the
# headers needs Lua's and Boost's.
set(CPACK_DEBIAN_NEBLU_PACKAGE_DEPENDS "libegl1, libgl1")
set(CPACK_DEBIAN_NEBLU_PACKAGE_RECOMMENDS "libgl1-mesa-dri")
set(CPACK_DEBIAN_NEBLU_PACKAGE_SUGGESTS "liblua5.1-0-dev, libboost-filesystem-dev, pkg-config, cmake")
set(CPACK_DEBIAN_ORV_PACKAGE_NAME orv)
# A demo is something to watch, not to play: graphics, which also keeps it in /usr/bin.
set(CPACK_DEBIAN_ORV_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_ORV_DESCRIPTION "real-time 3D demo in five parts
Orv is a demo of some two minutes: a grid turning over tile by tile, cubes
falling on a field of rings, a night city, a planet eclipsing its sun and the
credits, each cut to its music. With a display it asks for its settings and
plays in a window or fullscreen; without one it can render itself to a video.")
set(CPACK_DEBIAN_ORV_PACKAGE_DEPENDS "neblu (= ${PROJECT_VERSION})")
# -video encodes through ffmpeg.
set(CPACK_DEBIAN_ORV_PACKAGE_SUGGESTS "ffmpeg")
# The engine's libraries come from the neblu package: dpkg-shlibdeps is told where they
# are while it works, and the dependency on that package is written out above.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_BINARY_DIR}/engine ${CMAKE_BINARY_DIR}/platform)

set(CPACK_ORV_ARCHIVE_NAME "orv-${PROJECT_VERSION}-linux-${CMAKE_SYSTEM_PROCESSOR}")
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/cmake/ReleaseGenerators.cmake)
include(CPack)
