// The demo's message loop and the window procedure that feeds it.
#pragma once
#include <windows.h>

constexpr int DemoKeyCount = 256; // one entry per virtual-key code

// Process-wide demo state, written only by DemoWindowProc.
extern bool KeyDown[DemoKeyCount]; // true while the key is held down
extern bool DemoActive;            // false while the window is minimised
extern bool DemoLostActivation;    // the demo as the lock lost the activation: it ends

LRESULT CALLBACK DemoWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// One pass of the loop: handles one pending message, or, with none
// pending, draws and swaps. False when the loop must end.
bool RunDemoPass();

// The part of a pass that runs when no message is pending.
bool RunDemoIdlePass();

// Passes until WM_QUIT, a failed frame or Escape.
void RunDemoLoop();
