// Where the saver draws: the virtual screen that the full-screen window
// covers, and the monitors inside it as a saver sees them (ScrGetMonitors
// in dusklit.h).
#pragma once
#include <windows.h>

// The rectangle around every monitor, in screen coordinates; on a system
// that knows only one screen, that screen.
RECT VirtualScreenRect();
