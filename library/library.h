// The library's start-up and shut-down: in a program on the first
// framework call, in dusklit.dll from the loader. It runs the other
// subsystems' start-up and shut-down in order.
#pragma once
#include <windows.h>

#include "library/module.h"
#include "library/startup.h"

// Whether the library runs; touched only on the thread that makes
// framework calls.
extern BOOL LibraryStarted;

BOOL ScrLibraryStartup();
// The loader's entry of dusklit.dll (its DllMain hands every call on):
// process attach starts the library from instance, refused (FALSE) when
// the file is not in the Windows directory; process detach stops it.
// Thread attach and detach, and any other reason, answer FALSE and change
// nothing else; every call marks the library as loaded by the loader.
BOOL WINAPI ScrLibraryEntry(HINSTANCE instance, DWORD reason, LPVOID reserved);
BOOL ScrLibraryShutdown();
