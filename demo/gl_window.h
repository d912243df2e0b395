// The demo's OpenGL window: class, display mode, window, pixel format,
// rendering context, projection, and their teardown.
#pragma once
#include <windows.h>

// Process-wide state of the demo window, all empty until CreateDemoWindow.
extern HWND DemoWindow;
extern HDC DemoDeviceContext;
extern HGLRC DemoRenderingContext;
// True while the display mode has been changed for the demo.
extern bool DemoFullscreen;
// True when the program runs as the desktop's lock (/s): the demo window is
// topmost and says nothing over the open desktop. A mode the display
// refuses, or any other failure, leaves the demo out instead of asking.
extern bool DemoIsLock;

// The display-mode switch, ChangeDisplaySettingsA unless a test watches or
// replaces it.
using ChangeDisplayModeProc = LONG(WINAPI *)(DEVMODEA *mode, DWORD flags);
extern ChangeDisplayModeProc ChangeDisplayMode;

// Opens the window with a current rendering context, projection and scene.
// On failure it tells the user why (unless the demo is the lock), undoes
// what it did and returns false.
bool CreateDemoWindow(const char *title, int width, int height, int bits, bool fullscreen);

// Releases everything CreateDemoWindow set up, reporting each release that
// fails and going on; restores the display mode and the cursor.
void DestroyDemoWindow();

// Viewport and perspective for a client area of this size.
void ResizeViewport(int width, int height);

// The scene's drawing state and starting values.
bool InitScene();
