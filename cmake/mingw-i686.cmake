# Cross-compiles the 32-bit Windows program from Linux with MinGW-w64.
# The POSIX-thread variant is used because the win32-thread one lacks
# std::mutex, which GoogleTest needs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(MINGW_PREFIX i686-w64-mingw32)
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

# ctest runs the Windows test executables through Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
