// The configuration dialog's entry points. The property sheet with the
// General page is not part of this build yet: the configuration mode
// checks the resources and reports that nothing was configured.
#include "config/config_dialog.h"

#include "saver/debug_output.h"
#include "saver/entry.h"

INT_PTR DoConfigDialog(HWND, BOOL)
{
    ScrTrace("Dusklit: DoConfigDialog: starting...");
    ScrCheckResources();
    ScrTrace("Dusklit: ~DoConfigDialog.");
    return IDCANCEL;
}

INT_PTR OwnClassExecuteUserDialog(HWND, PROPSHEETHEADERA *)
{
    return IDCANCEL;
}

INT_PTR CallbackExecuteUserDialog(HWND, PROPSHEETHEADERA *)
{
    return IDCANCEL;
}

INT_PTR HostExecuteUserDialog(HWND, PROPSHEETHEADERA *)
{
    return IDCANCEL;
}

INT_PTR OwnClassExecuteAboutDialog(HWND)
{
    return IDCANCEL;
}

INT_PTR CallbackExecuteAboutDialog(HWND)
{
    return IDCANCEL;
}

INT_PTR HostExecuteAboutDialog(HWND)
{
    return IDCANCEL;
}
