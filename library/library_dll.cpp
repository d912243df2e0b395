// The loader's door into dusklit.dll. The runtime library's own start-up
// runs first (static objects, the C library), then hands every loader call
// to the framework's entry.
#include <windows.h>

#include "library/library.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    return ScrLibraryEntry(instance, reason, reserved);
}
