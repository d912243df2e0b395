// How the configuration host hands a page's change notice on: to its owner
// (a running saver, when the configuration was opened over it) and to the
// live previews inside monitor controls on the sheet. Both hear of the
// change before the page's send returns, so the data may live on the
// page's stack.
#include <cstring>

#include "config/config_host.h"
#include "saver/issued.h"
#include "saver/prefs.h"

namespace {

struct Relay {
    WPARAM code;
    LPARAM data;
};

// A monitor control's first child is its screen window, whose first child
// is the preview saver window. A control without a preview is skipped.
void SendToPreview(HWND monitor, const Relay &relay)
{
    HWND screen = GetWindow(monitor, GW_CHILD);
    HWND preview = screen ? GetWindow(screen, GW_CHILD) : nullptr;
    if (preview)
        SendMessageA(preview, SCRM_SETTINGSCHANGED, relay.code, relay.data);
}

// EnumChildWindows visits every descendant, also those inside nested
// dialogs, so each monitor control on the sheet is reached exactly once.
BOOL CALLBACK VisitSheetWindow(HWND window, LPARAM context)
{
    char className[50] = "";
    GetClassNameA(window, className, sizeof className);
    if (std::strcmp(className, DUSKLIT_MONITOR_CLASS) == 0)
        SendToPreview(window, *reinterpret_cast<const Relay *>(context));
    return TRUE;
}

bool RelaysToOwner(HWND host)
{
    const ConfigHostRecord *record = HostRecordOf(host);
    return record && record->notifyOwner;
}

// A notice naming no window would walk every window on the desktop, and
// one naming another process's window would hand that process a pointer
// that means nothing there: neither is walked.
bool IsWindowOfThisProcess(HWND window)
{
    DWORD process = 0;
    return window && GetWindowThreadProcessId(window, &process) && process == GetCurrentProcessId();
}

} // namespace

void RelayChangeNotice(HWND host, const ScrChangeNotice *notice)
{
    // Any program can send the host this message with any number in it.
    if (!WasIssued(notice, Issued::ChangeNotice))
        return;
    const LONG code = notice->code;
    bool toOwner = (code & SCRCHANGE_TOOWNER) != 0;
    bool toPreviews = (code & SCRCHANGE_TOPREVIEWS) != 0;
    // A notice that names no route goes both ways.
    if (!toOwner && !toPreviews)
        toOwner = toPreviews = true;
    if (!RelaysToOwner(host))
        toOwner = false;

    const Relay relay = {static_cast<WPARAM>(static_cast<DWORD>(code)), reinterpret_cast<LPARAM>(notice->data)};
    HWND owner = GetParent(host);
    if (toOwner && owner)
        SendMessageA(owner, SCRM_SETTINGSCHANGED, relay.code, relay.data);
    if (toPreviews && !CurrentPrefs.NoPreviewRelay && IsWindowOfThisProcess(notice->sheet))
        EnumChildWindows(notice->sheet, VisitSheetWindow, reinterpret_cast<LPARAM>(&relay));
}
