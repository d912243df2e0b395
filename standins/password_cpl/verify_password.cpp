// PASSWORD.CPL: asks for the screen-saver password in a modal box owned by
// the saver window and answers whether it was the stored one.
#include <windows.h>

#include "standins/password_cpl/password_cpl_resources.h"
#include "standins/password_store/password_dialog.h"
#include "standins/password_store/password_store.h"

namespace {

HINSTANCE ModuleInstance;

void OnInitDialog(HWND dialog)
{
    const int edit = STANDIN_IDC_PASSWORD;
    OpenPasswordDialog(dialog, &edit, 1);
}

// OK ends the box with the check's answer; a wrong password is not asked
// again here: the saver asks once more at its next close request.
void OnOk(HWND dialog)
{
    TypedPassword typed(dialog, STANDIN_IDC_PASSWORD);
    EndDialog(dialog, PasswordMatches(typed.Text()) ? TRUE : FALSE);
}

INT_PTR CALLBACK VerifyDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
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
            EndDialog(dialog, FALSE);
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

// TRUE only when the user typed the stored password and pressed OK.
extern "C" BOOL WINAPI VerifyScreenSavePwd(HWND saverWindow)
{
    INT_PTR result = DialogBoxParamA(ModuleInstance, MAKEINTRESOURCEA(IDD_VERIFY_PASSWORD), saverWindow,
                                     VerifyDialogProc, 0);
    return result == TRUE;
}
