#include "library/module.h"

// The module handle is never cleared, so a stopped library stays stopped
// for the rest of the process.
HINSTANCE ScrLibraryInstance = nullptr;
BOOL LoadedAsLibrary = FALSE;
