// Whether an input message agrees with the input the user really gives.
// Any program can post a saver window WM_KEYDOWN or WM_RBUTTONDOWN; the
// keyboard's and the mouse's real state (which no posted message changes)
// tells the user's Shift or right button from a forged one.
#pragma once
#include <windows.h>

// Whether a key or button (a virtual-key code) is held down: as the
// system's input said when this thread took its latest input message
// (GetKeyState), or right now (GetAsyncKeyState); a quick press may be
// over by the time its message is handled. A test stands in for the
// keyboard by replacing it.
extern bool (*KeyHeld)(int key);

// The key is held down now.
bool KeyReallyDown(UINT key);
// The button that the system reports as the right one is held down now,
// and the cursor is where the message says (client coordinates of window),
// give or take a few pixels it may have moved since.
bool RightButtonReallyDown(HWND window, LPARAM point);
