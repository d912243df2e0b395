// Reading and making this process's windows: their texts and classes, the
// dialogs it shows, the host windows tests give the framework, and the
// screen they sit on.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "tests/driver/window_query.h"

// The window's text (a caption, a control's text).
using driver::WindowText;
// The name of the window's class.
std::string ClassOf(HWND window);
// This process's visible dialogs (message boxes among them), in Z order.
std::vector<HWND> ProcessDialogs();
// Whether the module has a window class of this name (a global class is
// found whatever module asks).
bool ClassRegistered(HINSTANCE module, const char *name);
// A hidden 10 x 10 pop-up that stands in for a configuration host: of the
// class, registered with the procedure on first use.
HWND MakeHostWindow(const char *className, WNDPROC procedure);
// The virtual screen: the bounds of every monitor together.
RECT VirtualScreen();
// The window's rectangle on the screen.
RECT WindowRect(HWND window);
// What a window (of another process, say) answers to the message, or -1
// when it does not answer within 5 s: a hung window cannot hang the test.
LRESULT Ask(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
