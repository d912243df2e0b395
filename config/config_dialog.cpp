// The configuration dialog's host: a dialog that is never shown. Its
// WM_INITDIALOG builds the property sheet, runs it through the entry's
// property-sheet runner and ends the host with the sheet's result; while
// the sheet is open the host relays the pages' change notices.
#include "config/config_dialog.h"

#include "config/config_host.h"
#include "config/configuration_guard.h"
#include "config/general_page.h"
#include "config/general_dialog.h"
#include "library/module.h"
#include "resource_ids.h"
#include "saver/debug_output.h"
#include "saver/resource_check.h"
#include "saver/issued.h"
#include "saver/message_origin.h"
#include "saver/window_kinds.h"
#include "saver/run_state.h"
#include "saver/resource_texts.h"

#include <vector>

namespace {

constexpr DWORD SheetFlags = PSH_PROPSHEETPAGE | PSH_USEHICON | PSH_NOAPPLYNOW | PSH_USECALLBACK;
static_assert(SheetFlags == 0x18A, "OK and Cancel, no Apply; our icon and callback");

struct IconSource {
    HINSTANCE module;
    UINT id;
};

// The saver's icon before the library's, each looked for in the saver's
// module before the library's.
template <typename Loader>
HICON FirstIcon(Loader load)
{
    const IconSource sources[] = {
        {ModuleInstance, IDI_SAVER},
        {ScrLibraryInstance, IDI_SAVER},
        {ModuleInstance, IDI_DUSKLIT},
        {ScrLibraryInstance, IDI_DUSKLIT},
    };
    for (const IconSource &source : sources)
        if (source.module)
            if (HICON icon = load(source.module, MAKEINTRESOURCEA(source.id)))
                return icon;
    return nullptr;
}

// LoadIconA hands out one icon per resource, shared by the whole process.
HICON LoadLargeIcon()
{
    return FirstIcon([](HINSTANCE module, LPCSTR id) { return LoadIconA(module, id); });
}

// A private 16 x 16 copy, destroyed once the sheet has closed.
HICON LoadSmallIcon()
{
    return FirstIcon([](HINSTANCE module, LPCSTR id) {
        return static_cast<HICON>(LoadImageA(module, id, IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR));
    });
}

void FillSheetHeader(PROPSHEETHEADERA &header, HWND host, HICON icon, const char *caption, SheetPages &pages)
{
    header = PROPSHEETHEADERA();
    header.dwSize = SheetHeaderSize;
    header.dwFlags = SheetFlags;
    header.hwndParent = host;
    header.hInstance = ModuleInstance;
    header.hIcon = icon;
    header.pszCaption = caption;
    header.nPages = 1;
    header.nStartPage = 0;
    header.ppsp = reinterpret_cast<LPCPROPSHEETPAGEA>(pages);
    header.pfnCallback = SheetCallback;
}

// Outside any entry no runner is installed; the own-class runner is the
// plain sheet then.
INT_PTR ExecuteUserDialog(HWND host, PROPSHEETHEADERA *header)
{
    auto runner = HookTable.ExecuteUserDialog ? HookTable.ExecuteUserDialog : OwnClassExecuteUserDialog;
    return runner(host, header);
}

// Builds the sheet, runs it and returns its result. Everything it makes
// (the settings the General page edits, the pages, the icons) lives until
// the sheet has closed and is released before it returns.
INT_PTR RunSheet(HWND host)
{
    TextBuffer caption;
    LoadSaverText(IDS_SHEET_CAPTION, caption);

    HICON largeIcon = LoadLargeIcon();
    if (largeIcon)
        SendMessageA(host, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(largeIcon));
    HICON smallIcon = LoadSmallIcon();

    GeneralDialog settings; // reads the registry
    IssuedScope issuedSettings(&settings, Issued::GeneralSettings);
    SheetPages pages = {};
    std::vector<unsigned char> generalTemplate; // lives as long as the sheet
    FillGeneralPage(pages[0], &settings, host, generalTemplate);
    PROPSHEETHEADERA header;
    FillSheetHeader(header, host, smallIcon ? smallIcon : largeIcon, caption, pages);

    ScrTrace("Dusklit: DoConfigDialog: about to ExecuteUserDialog");
    INT_PTR result = ExecuteUserDialog(host, &header);
    ScrTrace("Dusklit: DoConfigDialog: completed ExecuteUserDialog... cleaning up");

    // The large icon is the process's shared one: destroying it is not
    // ours to do, and where the platform honoured it, every later LoadIconA
    // of that resource would hand out a dead icon.
    if (smallIcon)
        DestroyIcon(smallIcon);
    return result;
}

BOOL OnInitDialog(HWND host, const ConfigHostRecord *record)
{
    GuardConfigurationWindows(host);
    SetWindowLongPtrA(host, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(record));
    SetWindowLongPtrA(host, DWLP_USER, 0);
    INT_PTR result = RunSheet(host);
    HWND owner = GetParent(host);
    if (owner && IsWindow(owner))
        SetForegroundWindow(owner);
    EndDialog(host, result);
    return TRUE;
}

// The template is visible, and some dialog managers show such a dialog
// once WM_INITDIALOG returns even though it has already ended; the host
// only ever carries the sheet, so it refuses to be shown at all. The
// position is the system's, about this window; another thread of the
// process could hand any number over instead.
void StayHidden(HWND host, LPARAM lParam)
{
    auto *position = reinterpret_cast<WINDOWPOS *>(lParam);
    if (IsWritableMemory(lParam, sizeof *position) && position->hwnd == host)
        position->flags &= ~SWP_SHOWWINDOW;
}

// WM_INITDIALOG builds and runs the whole sheet: only the host's own, the
// first, with the record DoConfigDialog issued. Another one, sent or
// posted by anyone, is not read.
BOOL OnInitDialogOnce(HWND host, LPARAM lParam)
{
    const auto *record = reinterpret_cast<const ConfigHostRecord *>(lParam);
    if (!FirstInitialisation(host) || !WasIssued(record, Issued::HostRecord))
        return FALSE;
    IssuePointer(host, Issued::ConfigurationHost);
    return OnInitDialog(host, record);
}

// Posted messages that only this thread may send the configuration's
// windows (see config/configuration_guard.h). The framework and the
// system never post them; anyone else could post any number. A live
// preview on a page is a saver window, to which the framework posts its
// own requests, and which checks what it is handed itself.
bool CarriesForeignPointer(const MSG &message)
{
    return IsThreadOnlyMessage(message.message, message.wParam, message.lParam) &&
           SaverWindowKindOf(message.hwnd) == SaverWindowKind::Unknown;
}

// A window of the configuration: the host, or a window whose top-level
// window is owned (perhaps through the sheet) by a host. The hosts are
// known by handle, not by anything in their slots, which others can write.
bool IsConfigurationWindow(HWND window)
{
    HWND top = GetAncestor(window, GA_ROOT);
    for (int level = 0; top && level < 3; ++level) {
        if (WasIssued(top, Issued::ConfigurationHost))
            return true;
        top = GetWindow(top, GW_OWNER);
    }
    return false;
}

// Sees every message posted to this thread before it is dispatched.
LRESULT CALLBACK DropForgedPosts(int code, WPARAM removal, LPARAM lParam)
{
    if (code == HC_ACTION) {
        auto *message = reinterpret_cast<MSG *>(lParam);
        if (message->hwnd && CarriesForeignPointer(*message) && IsConfigurationWindow(message->hwnd)) {
            ScrTrace("Dusklit: DoConfigDialog: a posted message with a pointer was dropped");
            message->message = WM_NULL;
        }
    }
    return CallNextHookEx(nullptr, code, removal, lParam);
}

} // namespace

const ConfigHostRecord *HostRecordOf(HWND host)
{
    const auto *record = reinterpret_cast<const ConfigHostRecord *>(GetWindowLongPtrA(host, GWLP_USERDATA));
    return WasIssued(record, Issued::HostRecord) ? record : nullptr;
}

INT_PTR CALLBACK ConfigHostDlgProc(HWND host, UINT message, WPARAM, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        return OnInitDialogOnce(host, lParam);
    case WM_WINDOWPOSCHANGING:
        StayHidden(host, lParam);
        return FALSE;
    case SCRM_SETTINGSCHANGED:
        RelayChangeNotice(host, reinterpret_cast<const ScrChangeNotice *>(lParam));
        return TRUE;
    case WM_NCDESTROY:
        ForgetInitialisation(host);
        WithdrawPointer(host, Issued::ConfigurationHost);
        return FALSE;
    }
    return FALSE;
}

INT_PTR DoConfigDialog(HWND owner, BOOL notifyOwner)
{
    ScrTrace("Dusklit: DoConfigDialog: starting...");
    ScrCheckResources();
    ConfigHostRecord record = {notifyOwner ? 1 : 0};
    IssuedScope issuedRecord(&record, Issued::HostRecord);
    MessageOriginWatch watch;
    // Only while the dialog runs: the saver's own windows get what is
    // posted to them as ever.
    HHOOK filter = SetWindowsHookExA(WH_GETMESSAGE, DropForgedPosts, nullptr, GetCurrentThreadId());
    INT_PTR result = DialogBoxParamA(ScrLibraryInstance, MAKEINTRESOURCEA(IDD_CONFIG_HOST), owner, ConfigHostDlgProc,
                                     reinterpret_cast<LPARAM>(&record));
    if (filter)
        UnhookWindowsHookEx(filter);
    ScrTrace("Dusklit: ~DoConfigDialog.");
    return result;
}
