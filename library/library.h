// Library-wide start-up: the framework's module, its bitmaps, corner menus
// and monitor geometry, and the registration of the monitor window classes.
#pragma once
#include <windows.h>

#include "library/module.h"

// Library-wide state, one instance per process, touched only on the thread
// that makes framework calls.
extern BOOL LibraryStarted;
extern HBITMAP MonitorPicture;       // picture and mask side by side
extern SIZE PictureSize;             // one half of MonitorPicture
extern HBITMAP CornerMarks[3];       // indexed by CornerAction
extern SIZE MarkSize;
extern HMENU CornerMenus[4];         // top-left, top-right, bottom-right, bottom-left
extern RECT CornerSquares[4];        // same order, control client coordinates
extern RECT ScreenArea;              // the monitor's screen inside the picture
extern BOOL AgentPresent;            // the System Agent was detected
extern BOOL AgentWarningShown;       // the hot-corner warning was shown since start-up

// Starts the library on first use with the running program's module.
// Does nothing once started, once loaded as a library, or once a module
// is known (so it never restarts after a shutdown).
void ScrEnsureStarted();
BOOL ScrLibraryStartup();
// The loader's entry of dusklit.dll (its DllMain hands every call on):
// process attach starts the library from instance, refused (FALSE) when
// the file is not in the Windows directory; process detach stops it.
// Thread attach and detach, and any other reason, answer FALSE and change
// nothing else; every call marks the library as loaded by the loader.
BOOL WINAPI ScrLibraryEntry(HINSTANCE instance, DWORD reason, LPVOID reserved);
BOOL ScrLibraryShutdown();
void ScrStopIfStarted();
BOOL ScrRegisterControls();
BOOL ScrUnregisterControls();

// Window procedures of the two monitor classes.
LRESULT CALLBACK MonitorControlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK MonitorWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
