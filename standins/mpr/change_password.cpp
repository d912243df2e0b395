// MPR.DLL's password change for the screen saver: a modal box that asks
// for the old password and the new one twice, and stores the new one.
#include <windows.h>

#include "standins/mpr/mpr_resources.h"
#include "standins/password_store/password_dialog.h"
#include "standins/password_store/password_store.h"

namespace {

HINSTANCE ModuleInstance;

// The password provider whose password this library changes.
const char kScreenSaverProvider[] = "SCRSAVE";

void Refuse(HWND dialog, UINT textId)
{
    char text[160] = "";
    LoadStringA(ModuleInstance, textId, text, sizeof text);
    MessageBoxA(dialog, text, STANDIN_CHANGE_CAPTION, MB_OK | MB_ICONEXCLAMATION);
}

void OnInitDialog(HWND dialog)
{
    const int edits[] = {STANDIN_IDC_OLD_PASSWORD, STANDIN_IDC_NEW_PASSWORD, STANDIN_IDC_CONFIRM};
    OpenPasswordDialog(dialog, edits, 3);
}

// OK: a wrong old password or a confirmation that differs is refused with
// a message, and the user tries again in the same box.
void OnOk(HWND dialog)
{
    TypedPassword old(dialog, STANDIN_IDC_OLD_PASSWORD);
    if (!PasswordMatches(old.Text())) {
        Refuse(dialog, IDS_OLD_PASSWORD_WRONG);
        RetryInEdit(dialog, STANDIN_IDC_OLD_PASSWORD);
        return;
    }
    TypedPassword fresh(dialog, STANDIN_IDC_NEW_PASSWORD);
    TypedPassword confirm(dialog, STANDIN_IDC_CONFIRM);
    if (lstrcmpA(fresh.Text(), confirm.Text()) != 0) {
        Refuse(dialog, IDS_NEW_PASSWORDS_DIFFER);
        SetDlgItemTextA(dialog, STANDIN_IDC_CONFIRM, "");
        RetryInEdit(dialog, STANDIN_IDC_NEW_PASSWORD);
        return;
    }
    DWORD stored = StorePassword(fresh.Text());
    if (stored != ERROR_SUCCESS)
        Refuse(dialog, IDS_NOT_SAVED);
    EndDialog(dialog, stored);
}

INT_PTR CALLBACK ChangeDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog(dialog);
        return FALSE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
            OnOk(dialog);
            return TRUE;
        case IDCANCEL:
            EndDialog(dialog, ERROR_CANCELLED);
            return TRUE;
        }
        break;
    }
    return FALSE;
}

} // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        ModuleInstance = instance;
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

// Changes the password of provider "SCRSAVE" (the only one this library
// knows) in a box owned by parent. NO_ERROR once the new password is
// stored, ERROR_CANCELLED when the user gave up, ERROR_NOT_SUPPORTED for
// any other provider.
extern "C" DWORD WINAPI PwdChangePasswordA(LPCSTR provider, HWND parent, DWORD, DWORD)
{
    if (!provider || lstrcmpiA(provider, kScreenSaverProvider) != 0)
        return ERROR_NOT_SUPPORTED;
    INT_PTR result = DialogBoxParamA(ModuleInstance, MAKEINTRESOURCEA(IDD_CHANGE_PASSWORD), parent,
                                     ChangeDialogProc, 0);
    if (result == -1)
        return GetLastError() ? GetLastError() : ERROR_GEN_FAILURE;
    return static_cast<DWORD>(result);
}
