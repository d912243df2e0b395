#include "monitor/library.h"

// The monitor control's two window procedures. The classes are registered
// with these procedures from the start so that their names never change;
// until the control's drawing, corner menus and preview frame are in place
// both windows behave as plain windows and leave every message to the
// system.

LRESULT CALLBACK MonitorControlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CALLBACK MonitorWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(window, message, wParam, lParam);
}
