// The screen-saver password, through the system's password facilities.
#pragma once
#include <windows.h>

// Asks MPR.DLL to change the screen-saver password. 1 when handed over,
// 2 when the library or its entry is missing, the message box's result
// when the saver never requires a password.
INT_PTR ScrChangePassword(HWND parent);

// The change-password runners of the three entries.
INT_PTR OwnClassChangePassword(HWND parent);
INT_PTR CallbackChangePassword(HWND parent);
INT_PTR HostChangePassword(HWND parent);
