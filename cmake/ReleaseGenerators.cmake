# Read by cpack for each generator. The archive is Orv alone, ready to play: the program,
# its data and the two libraries it runs on, not the engine's headers and tools.
if(CPACK_GENERATOR STREQUAL "TGZ")
  set(CPACK_ARCHIVE_COMPONENT_INSTALL ON)
  set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
  set(CPACK_COMPONENTS_ALL libraries orv)
  set(CPACK_COMPONENT_INCLUDE_TOPLEVEL_DIRECTORY ON)
  set(CPACK_PACKAGE_FILE_NAME "${CPACK_ORV_ARCHIVE_NAME}")
  set(CPACK_ARCHIVE_FILE_NAME "${CPACK_ORV_ARCHIVE_NAME}")
endif()
