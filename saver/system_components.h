// Components of the system that the framework uses at run time (the
// password provider, MPR.DLL, the hot-corner providers, the separate
// previewer) are taken from the system directory only, by full path. A
// file of the same name in the current directory, beside the program or on
// PATH is never used: whoever can put a file there must not get code into
// the saver that guards the desktop.
#pragma once
#include <windows.h>

// The full path of fileName in the system directory. False (path empty)
// when the name is empty, holds a path separator or a drive colon, or the
// result does not fit.
bool SystemComponentPath(const char *fileName, char (&path)[MAX_PATH]);

// LoadLibraryA of that full path; null when the path is refused or the
// library cannot be loaded, so callers treat it as a missing component.
HMODULE LoadSystemComponent(const char *fileName);

// An entry of a module already loaded (null when either is missing), for
// calls that newer systems have and older ones lack: looked up at run
// time, so the program still starts without them. Call is the entry's
// function pointer type.
template <typename Call>
Call LoadedEntry(HMODULE module, const char *name)
{
    return module ? reinterpret_cast<Call>(reinterpret_cast<void *>(GetProcAddress(module, name))) : nullptr;
}
template <typename Call>
Call SystemEntry(const char *moduleName, const char *name)
{
    return LoadedEntry<Call>(GetModuleHandleA(moduleName), name);
}

// Takes the current directory out of the process's DLL search, where the
// system offers that (SetDllDirectoryA, and SetDefaultDllDirectories where
// there are default directories; both looked up at run time so the program
// still starts on systems without them).
void DropCurrentDirectoryFromDllSearch();
