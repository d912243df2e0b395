// The property sheet as the host shapes it: "&About" in its system menu,
// answered by a procedure put in front of the sheet's own, and the saver's
// page stripped of the OK and Cancel buttons that the sheet already has.
#include "config/config_dialog.h"
#include "config/configuration_guard.h"
#include "config/config_host.h"
#include "resource_ids.h"
#include "saver/issued.h"
#include "saver/prefs.h"
#include "saver/run_state.h"
#include "saver/resource_texts.h"

namespace {

void AddAboutItem(HWND sheet)
{
    TextBuffer text;
    if (!LoadLibraryText(IDS_ABOUT_MENU_ITEM, text))
        return;
    if (HMENU menu = GetSystemMenu(sheet, FALSE)) {
        AppendMenuA(menu, MF_SEPARATOR, 1, nullptr);
        AppendMenuA(menu, MF_STRING, IDM_ABOUT, text);
    }
}

// The sheet's own procedure is kept in the host's DWLP_USER slot; it is
// stored before the sheet is switched over, so no message finds it empty.
// Any program can write that slot: the procedure is issued, and only an
// issued one is ever called.
void SubclassSheet(HWND sheet)
{
    LONG_PTR own = GetWindowLongPtrA(sheet, GWLP_WNDPROC);
    IssuePointer(reinterpret_cast<const void *>(own), Issued::SheetProcedure);
    SetWindowLongPtrA(GetParent(sheet), DWLP_USER, own);
    SetWindowLongPtrA(sheet, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SheetSubclassProc));
}

WNDPROC SheetOwnProc(HWND sheet)
{
    auto own = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(GetParent(sheet), DWLP_USER));
    return WasIssued(reinterpret_cast<const void *>(own), Issued::SheetProcedure) ? own : nullptr;
}

// The property sheet's requests that carry an argument in lParam (a page,
// a text, a message) come from the pages, on this thread. From another
// thread or process the number could be anything, and the sheet would
// read it.
bool IsForeignSheetRequest(UINT message, LPARAM lParam)
{
    return message >= FirstSheetRequest && message <= LastSheetRequest && lParam != 0 && SentByAnotherThread();
}

// Outside any entry no runner is installed; the own-class runner is the
// library's About box then.
INT_PTR ExecuteAboutDialog(HWND sheet)
{
    auto runner = HookTable.ExecuteAboutDialog ? HookTable.ExecuteAboutDialog : OwnClassExecuteAboutDialog;
    return runner(sheet);
}

// Hidden first, then disabled, Cancel before OK in both passes.
void RemoveTemplateButtons(HWND page)
{
    const int ids[] = {IDCANCEL, IDOK};
    for (int id : ids)
        if (HWND button = GetDlgItem(page, id))
            ShowWindow(button, SW_HIDE);
    for (int id : ids)
        if (HWND button = GetDlgItem(page, id))
            EnableWindow(button, FALSE);
}

} // namespace

int CALLBACK SheetCallback(HWND sheet, UINT message, LPARAM)
{
    if (message != PSCB_INITIALIZED)
        return 0;
    // The guard first: the procedure in front of the sheet's own puts that
    // one back when the sheet goes, and so must find the guard's behind it.
    GuardConfigurationWindows(sheet);
    if (CurrentPrefs.NoAbout)
        return 0;
    AddAboutItem(sheet);
    SubclassSheet(sheet);
    return 0;
}

LRESULT CALLBACK SheetSubclassProc(HWND sheet, UINT message, WPARAM wParam, LPARAM lParam)
{
    WNDPROC own = SheetOwnProc(sheet);
    if (IsForeignSheetRequest(message, lParam))
        return 0;
    if (message == WM_DESTROY && own) {
        SetWindowLongPtrA(sheet, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(own));
        WithdrawPointer(reinterpret_cast<const void *>(own), Issued::SheetProcedure);
    }
    if (message == WM_SYSCOMMAND && wParam == IDM_ABOUT)
        ExecuteAboutDialog(sheet);
    return own ? CallWindowProcA(own, sheet, message, wParam, lParam) : DefWindowProcA(sheet, message, wParam, lParam);
}

INT_PTR CALLBACK SaverPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    // The saver's page is set up once; another WM_INITDIALOG, from anyone,
    // would have it do so again (and read whatever lParam says).
    if (message == WM_INITDIALOG && !FirstInitialisation(page))
        return FALSE;
    if (message == WM_NCDESTROY)
        ForgetInitialisation(page);
    if (message == WM_INITDIALOG)
        RemoveTemplateButtons(page);
    DLGPROC saverProc = EntryArgs.ConfigDialogProc;
    const INT_PTR result = saverProc ? saverProc(page, message, wParam, lParam) : FALSE;
    // After the saver's own set-up, so the controls it made are guarded too.
    if (message == WM_INITDIALOG)
        GuardConfigurationWindows(page);
    return result;
}
