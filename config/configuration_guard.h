// The configuration's windows take requests only from this thread. Any
// program on the desktop can send or post the host, the sheet, its pages
// and their controls (the up-down and combo boxes included) a message; the
// controls' requests carry pointers the control writes through, and a
// dialog's initialisation, notifications and destruction would have it
// read or tear down state. So each window of the configuration refuses,
// when another thread sent it or anyone posted it:
//  - every message at WM_USER and above that carries a nonzero argument;
//  - WM_NOTIFY, WM_INITDIALOG, WM_DESTROY and WM_NCDESTROY.
// Nothing a message says turns the refusal off: the guard leaves a window
// only at its real destruction.
#pragma once
#include <windows.h>

// Whether the message is one that only this thread may send.
bool IsThreadOnlyMessage(UINT message, WPARAM wParam, LPARAM lParam);

// Puts the guard in front of window and of each of its descendants, and of
// the lists that combo boxes among them show. Saver windows (a live
// preview on a page) are left alone: their timer threads send them ticks.
// Guarding a window twice is harmless.
void GuardConfigurationWindows(HWND window);
