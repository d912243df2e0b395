/* The framework's version: dusklit.dll's and that of the programs built
 * with it here (brix.scr and the example). dusklit.dll's About box shows
 * the "FileVersion" text; the built-in form shows its own fixed version.
 * The top CMakeLists.txt checks that its project version agrees. */
#ifndef DUSKLIT_VERSION_H
#define DUSKLIT_VERSION_H

#define DUSKLIT_VERSION_NUMBERS 1, 5, 0, 0
#define DUSKLIT_VERSION_TEXT    "1.5.0.0"

#define DUSKLIT_DLL_VERSION_NUMBERS DUSKLIT_VERSION_NUMBERS
#define DUSKLIT_DLL_FILE_VERSION    DUSKLIT_VERSION_TEXT

#endif
