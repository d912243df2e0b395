// The separate previewer, Vistell: named on the command line after P or L,
// it is found or started (from the system directory only) and its child
// window hosts the preview.
#pragma once
#include <windows.h>

// text: the command line from the switch letter on. Returns the window to
// preview in, or null when the previewer is not named or cannot be used.
HWND ScrLaunchPreviewer(const char *text);
