/* The version of the loadable library, dusklit.dll. Its About box shows
 * the "FileVersion" text; the built-in form shows its own fixed version. */
#ifndef DUSKLIT_VERSION_H
#define DUSKLIT_VERSION_H

#define DUSKLIT_DLL_VERSION_NUMBERS 1, 5, 0, 0
#define DUSKLIT_DLL_FILE_VERSION    "1.5.0.0"

#endif
