// The property-sheet and About runners, one pair per framework entry: the
// own-class entry adds the saver's page and About box when it has them,
// the callback entry gives the saver's hooks the first say, and the
// host-window entry asks the host window first.

#include "config/about_dialog.h"
#include "config/config_dialog.h"
#include "config/config_host.h"
#include "library/module.h"
#include "resource_ids.h"
#include "saver/debug_output.h"
#include "saver/run_state.h"

namespace {

// The saver's page goes into the second slot of the host's page array,
// and the sheet opens on it.
void AddSaverPage(PROPSHEETHEADERA *header)
{
    auto *pages = reinterpret_cast<PROPSHEETPAGEA_V1 *>(const_cast<PROPSHEETPAGEA *>(header->ppsp));
    PROPSHEETPAGEA_V1 &page = pages[1];
    page = PROPSHEETPAGEA_V1();
    page.dwSize = PageRecordSize;
    page.dwFlags = 0;
    page.hInstance = ModuleInstance;
    page.pszTemplate = MAKEINTRESOURCEA(IDD_SAVER_PAGE);
    page.pfnDlgProc = SaverPageProc;
    page.lParam = 0;
    header->nPages = 2;
    header->nStartPage = 1;
}

// A saver that gives a page procedure but whose resources lack template
// 2003 has lost its page quietly: most often its script used
// IDD_SAVER_PAGE without including resource_ids.h, and the resource
// compiler made a dialog named "IDD_SAVER_PAGE" instead. Said in the
// trace and, with Debug on, in a box; the sheet opens without the page.
bool SaverPageTemplatePresent(HWND configHost)
{
    if (FindResourceA(ModuleInstance, MAKEINTRESOURCEA(IDD_SAVER_PAGE), RT_DIALOG))
        return true;
    static const char text[] = "Dusklit: a configuration dialog procedure was given, but the program has no "
                               "dialog 2003 (IDD_SAVER_PAGE): the sheet opens without the saver's page.";
    ScrTrace(text);
    ScrDebugMessageBox(configHost, text, "Programming error");
    return false;
}

LONG HostNotifiesOwner(HWND host)
{
    const ConfigHostRecord *record = HostRecordOf(host);
    return record ? record->notifyOwner : 0;
}

INT_PTR ShowAboutBox(HINSTANCE module, UINT templateId, HWND owner)
{
    return DialogBoxParamA(module, MAKEINTRESOURCEA(templateId), owner, AboutDlgProc, 0);
}

INT_PTR ShowLibraryAboutBox(HWND owner)
{
    return ShowAboutBox(ScrLibraryInstance, IDD_ABOUT, owner);
}

} // namespace

INT_PTR OwnClassExecuteUserDialog(HWND configHost, PROPSHEETHEADERA *header)
{
    if (EntryArgs.ConfigDialogProc && SaverPageTemplatePresent(configHost))
        AddSaverPage(header);
    return PropertySheetA(header);
}

INT_PTR CallbackExecuteUserDialog(HWND configHost, PROPSHEETHEADERA *header)
{
    if (EntryArgs.PropertySheetHook) {
        INT_PTR answer = EntryArgs.PropertySheetHook(configHost, header, HostNotifiesOwner(configHost));
        if (answer != SCR_NOT_HANDLED)
            return answer;
    }
    return PropertySheetA(header);
}

INT_PTR HostExecuteUserDialog(HWND configHost, PROPSHEETHEADERA *header)
{
    if (SendMessageA(EntryArgs.HostWindow, SCRHOST_PROPERTYSHEET, reinterpret_cast<WPARAM>(configHost),
                     reinterpret_cast<LPARAM>(header)))
        return 1;
    return PropertySheetA(header);
}

// Whether the saver's module had an About box of its own was noted by the
// entry, when it started.
INT_PTR OwnClassExecuteAboutDialog(HWND owner)
{
    if (OwnAboutDialog)
        return ShowAboutBox(ModuleInstance, IDD_SAVER_ABOUT, owner);
    return ShowLibraryAboutBox(owner);
}

INT_PTR CallbackExecuteAboutDialog(HWND owner)
{
    if (EntryArgs.AboutHook) {
        INT_PTR answer = EntryArgs.AboutHook(owner);
        if (answer != SCR_NOT_HANDLED)
            return answer;
    }
    return ShowLibraryAboutBox(owner);
}

INT_PTR HostExecuteAboutDialog(HWND owner)
{
    if (SendMessageA(EntryArgs.HostWindow, SCRHOST_ABOUT, reinterpret_cast<WPARAM>(owner), 0))
        return 1;
    return ShowLibraryAboutBox(owner);
}
