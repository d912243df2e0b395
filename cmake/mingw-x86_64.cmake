# Cross-compiles the 64-bit (x86-64) Windows program from Linux with MinGW-w64.
# Kept whole, like its 32-bit twin, because each SDK ships its own file alone.
# The POSIX-thread variant is used because the win32-thread one lacks
# std::mutex, which GoogleTest needs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER   ${MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER  ${MINGW_PREFIX}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Packages are looked for in CMAKE_PREFIX_PATH as given too, not only
# under the MinGW root: an installed Dusklit SDK lies wherever its user put it.
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE BOTH)

# A bare Windows has none of MinGW's runtime DLLs (libstdc++, libgcc,
# winpthread, libssp): every program and DLL built with this toolchain
# carries its C and C++ runtime inside, whether or not its project says
# so. A build that sets CMAKE_EXE_LINKER_FLAGS (or the SHARED and MODULE
# ones) itself replaces this default.
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)
set(CMAKE_SHARED_LINKER_FLAGS_INIT -static)
set(CMAKE_MODULE_LINKER_FLAGS_INIT -static)

# ctest runs the Windows test executables through 64-bit Wine. Debian keeps
# its loader out of PATH; started directly, a 64-bit program does not go
# through the 32-bit loader first (which may run under an emulator).
find_program(DUSKLIT_WINE64 NAMES wine64 PATHS /usr/lib/wine /usr/lib64/wine /opt/wine-stable/bin NO_CMAKE_FIND_ROOT_PATH)
if(DUSKLIT_WINE64)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${DUSKLIT_WINE64})
else()
  set(CMAKE_CROSSCOMPILING_EMULATOR wine)
endif()
