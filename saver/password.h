// The screen-saver password, through the system's password facilities.
#pragma once
#include <windows.h>

// Whether the password must be verified before the full-screen saver
// closes: not within the password delay after the start, and otherwise
// only when the user's desktop settings say the saver uses a password.
// Every failure on the way to the setting means no password.
BOOL NeedPassword();

// Asks the system's password provider to verify the password, owned by
// window. IDOK when the saver may close (also when the provider cannot be
// reached), IDCANCEL when the password was refused.
int DoVerifyPwDialog(HWND window);

// Asks MPR.DLL to change the screen-saver password. 1 when handed over,
// 2 when the library or its entry is missing, the message box's result
// when the saver never requires a password.
INT_PTR ScrChangePassword(HWND parent);

// The change-password runners of the three entries.
INT_PTR OwnClassChangePassword(HWND parent);
INT_PTR CallbackChangePassword(HWND parent);
INT_PTR HostChangePassword(HWND parent);
