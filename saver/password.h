// The screen-saver password, through the system's password facilities.
#pragma once
#include <windows.h>

// Whether the password must be verified before the full-screen saver
// closes: not within the password delay after the start, and otherwise
// only when the user's desktop settings say the saver uses a password.
// No setting (or no way to reach it) means no password; a setting that is
// there but does not clearly say no means a password.
BOOL NeedPassword();

// Whether the system must lock the workstation as the full-screen saver
// closes: past the password delay, when the desktop's "ScreenSaverIsSecure"
// asks for it (read as the password setting is: anything there that does
// not clearly say no asks) and no password provider is there to ask for
// the password instead.
BOOL NeedSystemLock();

// Asks the system's password provider (from the system directory only) to
// verify the password, owned by window. IDOK when the saver may close
// (also when the provider cannot be reached), IDCANCEL when the password
// was refused.
int DoVerifyPwDialog(HWND window);

// Asks MPR.DLL (from the system directory only) to change the screen-saver
// password. 1 when handed over, 2 when the library or its entry is
// missing, the message box's result when the saver never requires a
// password.
INT_PTR ScrChangePassword(HWND parent);

// The change-password runners of the three entries.
INT_PTR OwnClassChangePassword(HWND parent);
INT_PTR CallbackChangePassword(HWND parent);
INT_PTR HostChangePassword(HWND parent);
