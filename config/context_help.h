// Context help for the framework's dialogs: which help file a control's
// topic lives in, and the call to WinHelpA. The public ScrHelp offers the
// same look-up to a saver's own dialogs.
#pragma once
#include <windows.h>

// Help on the General page: command is HELP_WM_HELP (F1) or
// HELP_CONTEXTMENU (right click) for target, the window the request
// names; activeConfigBox says whether that is the active-configuration
// check box, whose topic is only in the framework's own help file.
void ShowGeneralPageHelp(HWND target, UINT command, bool activeConfigBox);
