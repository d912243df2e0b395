# Hardening of every binary the project builds, said outright rather than
# left to the toolchain's defaults, and the split of the shipped binaries
# into a stripped file and its separate debug information.
#
# Linker: the image may be loaded at any address (dynamic base, with its
# base relocations kept, also in executables) and its data is not
# executable (NX compatible); 64-bit images may use the whole address
# space for that (high-entropy VA; a 32-bit image has no such flag).
# Compiler: stack protection for every function with arrays or addresses
# of locals, and the C library's fortified string and stdio routines.
include(CheckCXXSourceCompiles)

if(MSVC)
  add_compile_options(/GS)
  add_link_options(/DYNAMICBASE /NXCOMPAT)
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    add_link_options(/HIGHENTROPYVA)
  endif()
  # Every program's resource script carries resources/dusklit.manifest;
  # a second manifest from the linker would collide with it.
  add_link_options(/MANIFEST:NO)
elseif(MINGW)
  # GNU ld 2.36 and later, Debian's 2.40 among them, already default to a
  # dynamic base, NX and a relocation section for MinGW targets; older ones
  # default to none of them and strip an executable's relocations. Either
  # way the flags below decide.
  add_link_options(-Wl,--dynamicbase -Wl,--nxcompat)
  set(CMAKE_REQUIRED_LINK_OPTIONS -Wl,--enable-reloc-section)
  check_cxx_source_compiles("int main() { return 0; }" DUSKLIT_LD_RELOC_SECTION)
  unset(CMAKE_REQUIRED_LINK_OPTIONS)
  if(DUSKLIT_LD_RELOC_SECTION)
    add_link_options(-Wl,--enable-reloc-section)
  else()
    message(WARNING "This linker cannot be told to keep executables' relocations")
  endif()
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    add_link_options(-Wl,--high-entropy-va)
  endif()

  # The stack protector's runtime (libssp) comes with the -static link of
  # the root CMakeLists, so no libssp DLL is needed beside the programs.
  add_compile_options($<$<COMPILE_LANGUAGE:C,CXX>:-fstack-protector-strong>)
  add_link_options(-fstack-protector-strong)

  # _FORTIFY_SOURCE is implemented by the mingw-w64 headers themselves
  # (string.h, stdio.h, io.h; mingw-w64 10, as Debian 12 ships, has it),
  # with the checking routines from libssp, and only in optimised builds.
  # Headers without it would take the definition silently, so it is set
  # only when a fortified memcpy really compiles and links here.
  set(CMAKE_REQUIRED_FLAGS "-O2 -fstack-protector-strong")
  set(CMAKE_REQUIRED_DEFINITIONS -D_FORTIFY_SOURCE=2)
  set(CMAKE_REQUIRED_LINK_OPTIONS -static -fstack-protector-strong)
  check_cxx_source_compiles([[
    #include <string.h>
    #if !defined(__MINGW_FORTIFY_LEVEL) || __MINGW_FORTIFY_LEVEL < 2
    #error "these headers do not fortify"
    #endif
    int main(int argc, char **argv) { char b[8]; memcpy(b, argv[0], (size_t)argc); return b[0]; }
  ]] DUSKLIT_MINGW_FORTIFY)
  unset(CMAKE_REQUIRED_FLAGS)
  unset(CMAKE_REQUIRED_DEFINITIONS)
  unset(CMAKE_REQUIRED_LINK_OPTIONS)
  if(DUSKLIT_MINGW_FORTIFY)
    add_compile_definitions($<$<COMPILE_LANGUAGE:C,CXX>:_FORTIFY_SOURCE=2>)
  else()
    message(STATUS "This mingw-w64 has no _FORTIFY_SOURCE; building without it")
  endif()
endif()

# Shipped binaries go out stripped (no symbol table, no DWARF), each with
# its debug information in <file>.debug beside it and a .gnu_debuglink
# naming that file, so a debugger finds it. The build's own tests run the
# stripped files. GNU binutils only; other toolchains keep their own ways.
set(DUSKLIT_SPLIT_DEBUG OFF)
if(MINGW AND CMAKE_OBJCOPY)
  set(DUSKLIT_SPLIT_DEBUG ON)
endif()

function(dusklit_ship target)
  if(NOT DUSKLIT_SPLIT_DEBUG)
    return()
  endif()
  set(file $<TARGET_FILE:${target}>)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_OBJCOPY} --only-keep-debug ${file} ${file}.debug
    COMMAND ${CMAKE_OBJCOPY} --strip-all ${file}
    COMMAND ${CMAKE_OBJCOPY} --add-gnu-debuglink=${file}.debug ${file}
    WORKING_DIRECTORY $<TARGET_FILE_DIR:${target}>
    COMMENT "Splitting the debug information off ${target}"
    VERBATIM)
endfunction()
