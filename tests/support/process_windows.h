// Reading this process's windows: their texts and classes, and the dialogs
// it shows.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

// The window's text (a caption, a control's text), up to 1023 characters.
std::string WindowText(HWND window);
// The name of the window's class.
std::string ClassOf(HWND window);
// This process's visible dialogs (message boxes among them), in Z order.
std::vector<HWND> ProcessDialogs();
