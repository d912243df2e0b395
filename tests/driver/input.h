// Keyboard and mouse input for another process's windows.
//
// Posted input (the Post* calls) puts the messages straight into the
// target window's queue, with the lParam bits a real key or mouse event
// would carry. It needs no focus or foreground and works on any desktop;
// it does not change the system's key or cursor state.
//
// Real input (the Send* calls) goes through SendInput, as if a person used
// the keyboard and mouse: the system routes it to the focused or hovered
// window and updates its key and cursor state. Use it for behaviour that
// depends on that routing (for example a saver that polls the cursor).
#pragma once
#include <windows.h>

namespace driver {

enum class MouseButton { Left, Right, Middle };

void PostKeyDown(HWND window, UINT virtualKey);
void PostKeyUp(HWND window, UINT virtualKey);
// Key down, then key up.
void PostKeyPress(HWND window, UINT virtualKey);

// Client coordinates; buttonsHeld is the MK_* mask the message carries.
void PostMouseMove(HWND window, int x, int y, WPARAM buttonsHeld = 0);
void PostMouseDown(HWND window, MouseButton button, int x, int y);
void PostMouseUp(HWND window, MouseButton button, int x, int y);
// Down, then up, at the same point.
void PostMouseClick(HWND window, MouseButton button, int x, int y);

void PostCloseRequest(HWND window);  // WM_CLOSE

// Real input. Each returns false when the system refused the input.
bool SendKeyPress(UINT virtualKey);
bool SendKeyDown(UINT virtualKey);
bool SendKeyUp(UINT virtualKey);
bool SendMouseMoveTo(int screenX, int screenY);
bool SendMouseClick(MouseButton button);

}  // namespace driver
