// The creators of saver windows, one pair per framework entry. Each pair
// is installed in the hook table by the entry, and the run modes and
// CreatePreview make windows only through them.
#pragma once
#include <windows.h>

HWND OwnClassCreatePreview(HWND parent, BOOL insideMonitor);
HWND OwnClassCreateSaver();
HWND CallbackCreatePreview(HWND parent, BOOL insideMonitor);
HWND CallbackCreateSaver();
HWND HostCreatePreview(HWND parent, BOOL insideMonitor);
HWND HostCreateSaver();
