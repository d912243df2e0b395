# dusklit_add_saver(<name> [SHARED] <sources>...)
#
# Makes <name>.scr, a Windows GUI program on the Dusklit framework: linked
# against Dusklit::dusklit (or Dusklit::shared with SHARED), with the C and
# C++ runtime linked in statically (a bare Windows has no MinGW runtime
# DLLs) and the framework's application manifest.
#
# All of the program's resources are compiled as one script, made here:
# each .rc among the sources, then the framework's dusklit.rc (not with
# SHARED: dusklit.dll has it) and the manifest. One script, because the
# resource compiler numbers icon images from 1 in each script, and two
# scripts with icons would collide at link time. A saver's own script may
# therefore include dusklit.rc and manifest.rc or leave them out alike;
# coming first, it may name the sheet (DUSKLIT_SHEET_CAPTION) for the
# framework's texts that follow.
function(dusklit_add_saver name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "SHARED" "" "")
  if(NOT arg_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "dusklit_add_saver(${name}): no sources")
  endif()

  set(script "/* Made by dusklit_add_saver: every resource of ${name}.scr. */\n")
  set(own_scripts "")
  foreach(source ${arg_UNPARSED_ARGUMENTS})
    if(source MATCHES "\\.rc$")
      get_filename_component(source "${source}" ABSOLUTE)
      list(APPEND own_scripts "${source}")
      string(APPEND script "#include \"${source}\"\n")
    endif()
  endforeach()
  if(NOT arg_SHARED)
    string(APPEND script "#include \"dusklit.rc\"\n")
  endif()
  string(APPEND script "#include \"manifest.rc\"\n")
  set(resources "${CMAKE_CURRENT_BINARY_DIR}/${name}_resources.rc")
  # Rewritten only when it changes, so a new configure rebuilds nothing.
  file(WRITE "${resources}.new" "${script}")
  configure_file("${resources}.new" "${resources}" COPYONLY)
  # The script is compiled again when any file it includes changes: the
  # saver's own scripts, and the framework's scripts, ids and manifest.
  set(depends ${own_scripts})
  if(DUSKLIT_RESOURCE_DIR)
    file(GLOB framework_resources "${DUSKLIT_RESOURCE_DIR}/*.rc" "${DUSKLIT_RESOURCE_DIR}/*.h"
         "${DUSKLIT_RESOURCE_DIR}/*.manifest")
    list(APPEND depends ${framework_resources})
  endif()
  if(own_scripts)
    set_source_files_properties(${own_scripts} PROPERTIES HEADER_FILE_ONLY ON)
  endif()
  if(depends)
    set_source_files_properties("${resources}" PROPERTIES OBJECT_DEPENDS "${depends}")
  endif()

  add_executable(${name} WIN32 ${arg_UNPARSED_ARGUMENTS} "${resources}")
  set_target_properties(${name} PROPERTIES SUFFIX ".scr" DUSKLIT_RESOURCES_INCLUDED ON)
  # Files that the saver's own scripts name (icons, bitmaps) are looked
  # for beside them.
  foreach(own ${own_scripts})
    get_filename_component(directory "${own}" DIRECTORY)
    target_include_directories(${name} PRIVATE "${directory}")
  endforeach()
  if(arg_SHARED)
    target_link_libraries(${name} PRIVATE Dusklit::shared)
  else()
    target_link_libraries(${name} PRIVATE Dusklit::dusklit)
  endif()
  if(MSVC)
    # The static runtime, as the framework's libraries were built with;
    # the manifest comes from manifest.rc, not from the linker.
    set_target_properties(${name} PROPERTIES
      MSVC_RUNTIME_LIBRARY "MultiThreaded$<$<CONFIG:Debug>:Debug>")
    target_link_options(${name} PRIVATE /MANIFEST:NO)
  elseif(MINGW)
    target_link_options(${name} PRIVATE -static -static-libgcc -static-libstdc++)
  endif()
endfunction()
