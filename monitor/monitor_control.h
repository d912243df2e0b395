// The monitor control's two window classes, and the parts their window
// procedures hand work to: the corner editor (menus and corner commands)
// and the painting.
#pragma once
#include <windows.h>

// The monitor control itself, and the screen window inside it that hosts
// a preview.
LRESULT CALLBACK MonitorControlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK MonitorWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// A left click at (x, y) of the control's client area: over a corner mark
// it opens that corner's menu, anywhere else it does nothing.
void OpenCornerMenuAt(HWND control, int x, int y);

// A WM_COMMAND identifier that may be a corner command, from the menu or
// from a program: sets the corner, redraws and tells the parent.
void RunCornerCommand(HWND control, unsigned identifier);

// WM_PAINT: the picture over the parent's drawing, with the corner marks
// when the control edits corners.
void PaintMonitorControl(HWND control);
