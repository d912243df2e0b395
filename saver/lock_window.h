// The full-screen saver window holds its place: over the whole desktop,
// shown, topmost, a top-level popup. Any program on the desktop can ask
// it to move, shrink, hide, sink below other windows, take a parent or
// change its styles; each request is bent back before the system carries
// it out, so the desktop never shows beside or behind a locked saver.
// The framework's own moves (to a new desktop after a monitor change) go
// the same way, since they ask for exactly that place.
#pragma once
#include <windows.h>

// WM_WINDOWPOSCHANGING: the new place is the virtual screen, topmost and
// shown, whatever was asked. The position record is read only where it
// is this window's and lies in writable memory of this process.
void HoldPlaceOnPositionChange(HWND window, LPARAM position);
// WM_STYLECHANGING: WS_POPUP and WS_VISIBLE stay and WS_CHILD, WS_MINIMIZE
// and WS_MAXIMIZE stay away; WS_EX_TOPMOST stays.
void HoldStylesOnStyleChange(HWND window, WPARAM which, LPARAM styles);
// WM_WINDOWPOSCHANGED: what the system changed without asking first (a
// parent another program gave the window, a minimised or hidden state) is
// put back at once, before the next message from elsewhere can build on it.
void RestorePlaceAfterChange(HWND window);
