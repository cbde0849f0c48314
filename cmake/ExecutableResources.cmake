# Resources of an executable live beside it, in "<executable>.res/<type>/<id>.<ext>",
# where the window layer's LoadImageW finds them (an ELF file has no resource section).

# Bitmap resource 106, the settings dialog's banner, for an executable target. The
# generator may be defined after the caller; the build orders them.
function(neblu_add_banner target)
  add_dependencies(${target} neblu_banner)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E make_directory $<TARGET_FILE:${target}>.res/bitmap
    COMMAND $<TARGET_FILE:neblu_banner> $<TARGET_FILE:${target}>.res/bitmap/106.bmp
    COMMENT "Banner bitmap for ${target}"
    VERBATIM)
endfunction()
