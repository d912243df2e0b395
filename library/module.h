// The framework's module and how it was started. Kept apart from the
// start-up so that the text loading, which the start-up itself uses, can
// find the module without depending on the start-up.
#pragma once
#include <windows.h>

extern HINSTANCE ScrLibraryInstance; // where the framework's resources live
extern BOOL LoadedAsLibrary;         // started by the loader (dusklit.dll)
