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

// The display-mode switch, ChangeDisplaySettingsA unless a test watches or
// replaces it.
using ChangeDisplayModeProc = LONG(WINAPI *)(DEVMODEA *mode, DWORD flags);
extern ChangeDisplayModeProc ChangeDisplayMode;

// Opens the window with a current rendering context, projection and scene.
// On failure it tells the user why, undoes what it did and returns false.
bool CreateDemoWindow(const char *title, int width, int height, int bits, bool fullscreen);

// Releases everything CreateDemoWindow set up, reporting each release that
// fails and going on; restores the display mode and the cursor.
void DestroyDemoWindow();

// Viewport and perspective for a client area of this size.
void ResizeViewport(int width, int height);

// The scene's drawing state and starting values.
bool InitScene();
