// The About box: the library's own (template 3602) or a saver's (2004),
// both run with AboutDlgProc, which puts the version into the caption of
// the group box IDC_ABOUT_GROUP.
#pragma once
#include <windows.h>

// Ends the box with IDOK (1) for OK or Enter, IDCANCEL (2) for Escape or
// the close box.
INT_PTR CALLBACK AboutDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
