# neblu_demo_data(TARGET FROM folder [SCENES description...] [PRELUDE file] [SECTIONS file])
#
# Makes data/ in the build folder for the program TARGET: every file under FROM copied
# there whenever it changed (files added to FROM are found at the next build), each scene
# description turned into data/NAME.demo by demowrite (NAME.scene.lua -> NAME.demo, with
# the PRELUDE and the score SECTIONS when given), and data/origins.txt saying which file
# came from where, so the authoring tools (-watch, the overlay's Save) work on the sources.
set(_NEBLU_COPY_DATA_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/NEBLUCopyData.cmake)

function(neblu_demo_data target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "FROM;PRELUDE;SECTIONS" "SCENES")
  if(NOT arg_FROM)
    message(FATAL_ERROR "neblu_demo_data(${target}): FROM names no folder")
  endif()
  get_filename_component(from ${arg_FROM} ABSOLUTE)
  set(out ${CMAKE_BINARY_DIR}/data)
  set(stamp ${CMAKE_CURRENT_BINARY_DIR}/${target}_data.stamp)
  file(GLOB_RECURSE files CONFIGURE_DEPENDS ${from}/*)
  set(options)
  if(arg_PRELUDE)
    get_filename_component(prelude ${arg_PRELUDE} ABSOLUTE)
    list(APPEND options --prelude ${prelude})
  endif()
  if(arg_SECTIONS)
    get_filename_component(sections ${arg_SECTIONS} ABSOLUTE)
    list(APPEND options --sections ${sections})
  endif()
  set(commands)
  set(descriptions)
  foreach(scene IN LISTS arg_SCENES)
    get_filename_component(scene ${scene} ABSOLUTE)
    get_filename_component(name ${scene} NAME)
    string(REGEX REPLACE "\\.scene\\.lua$" "" name ${name})
    list(APPEND commands COMMAND NEBLU::demowrite ${options} ${scene} ${out}/${name}.demo)
    list(APPEND descriptions ${scene})
  endforeach()
  add_custom_command(OUTPUT ${stamp}
    COMMAND ${CMAKE_COMMAND} -DFROM=${from} -DTO=${out} "-DSCENES=${descriptions}" -P ${_NEBLU_COPY_DATA_SCRIPT}
    ${commands}
    COMMAND ${CMAKE_COMMAND} -E touch ${stamp}
    DEPENDS ${files} ${descriptions} ${prelude} ${sections} ${_NEBLU_COPY_DATA_SCRIPT}
    COMMENT "Making data/ for ${target}"
    VERBATIM)
  add_custom_target(${target}_data ALL DEPENDS ${stamp})
  add_dependencies(${target} ${target}_data)
endfunction()
