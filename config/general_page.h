// The General page of the configuration sheet: hot corners on a monitor
// picture, mouse sensitivity, password delay, mute sound and active
// configuration. Its PROPSHEETPAGE's lParam is the GeneralDialog it edits.
#pragma once
#include <windows.h>

INT_PTR CALLBACK GeneralDlgProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
