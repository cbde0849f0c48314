# What `cmake --install` puts under the prefix: the engine and the platform layer with
# their headers under include/neblu (the paths the engine's own code includes them by),
# a CMake package (find_package(NEBLU 1.0) gives NEBLU::engine, NEBLU::platform and
# NEBLU::authoring) and pkg-config files (neblu, neblu-authoring), and the tools for making
# a demo's data.
include(CMakePackageConfigHelpers)

# Components: `libraries` (the two shared libraries, all a demo program needs at run
# time), `engine` (what building a demo needs: headers, link names, the packages, the
# tools) and `orv` (cmake/Release.cmake).
set(CMAKE_INSTALL_DEFAULT_COMPONENT_NAME engine)
install(TARGETS engine platform engine_usage EXPORT NEBLUTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT libraries NAMELINK_COMPONENT engine
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
  INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/neblu)
# The tools are in the package too (NEBLU::demowrite and the others), so a demo's build can
# make its data with them.
install(TARGETS nblinfo fxcheck efxinfo demowrite demoinfo gltf2demo EXPORT NEBLUTargets
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# Authoring (NEBLU::authoring, a static library a program links beside the engine).
install(TARGETS neblu_authoring_package EXPORT NEBLUTargets ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
foreach(folder engine platform authoring)
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/${folder}/ DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/neblu/${folder}
    FILES_MATCHING PATTERN "*.h")
endforeach()

set(NEBLU_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/NEBLU)
install(EXPORT NEBLUTargets NAMESPACE NEBLU:: DESTINATION ${NEBLU_CMAKE_DIR})
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/NEBLUConfig.cmake.in
  ${PROJECT_BINARY_DIR}/NEBLUConfig.cmake INSTALL_DESTINATION ${NEBLU_CMAKE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/NEBLUConfigVersion.cmake COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/NEBLUConfig.cmake ${PROJECT_BINARY_DIR}/NEBLUConfigVersion.cmake
  ${PROJECT_SOURCE_DIR}/cmake/NEBLUDemoData.cmake ${PROJECT_SOURCE_DIR}/cmake/NEBLUCopyData.cmake
  DESTINATION ${NEBLU_CMAKE_DIR})

# The prefix as seen from the pkg-config folder, so the installed tree can move.
file(RELATIVE_PATH NEBLU_PC_TO_PREFIX /prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig /prefix)
configure_file(${PROJECT_SOURCE_DIR}/cmake/neblu.pc.in ${PROJECT_BINARY_DIR}/neblu.pc @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/cmake/neblu-authoring.pc.in ${PROJECT_BINARY_DIR}/neblu-authoring.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/neblu.pc ${PROJECT_BINARY_DIR}/neblu-authoring.pc
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
