#include "saver/password.h"

#include "dusklit.h"
#include "resource_ids.h"
#include "saver/prefs.h"
#include "saver/run_state.h"
#include "saver/strings.h"

namespace {

using PwdChangePasswordProc = DWORD(WINAPI *)(LPCSTR provider, HWND parent, DWORD reserved1, DWORD reserved2);

INT_PTR RefuseChange(HWND parent)
{
    TextBuffer text;
    const char *message = LoadLibraryText(IDS_NEVER_PASSWORD, text) ? text : "Cannot change password";
    return MessageBoxA(parent, message, "Password", MB_OK);
}

} // namespace

INT_PTR ScrChangePassword(HWND parent)
{
    if (CurrentPrefs.NeverRequirePassword)
        return RefuseChange(parent);
    TextBuffer text;
    if (!LoadLibraryText(IDS_MPR_DLL, text))
        return 2;
    HMODULE mpr = LoadLibraryA(text);
    if (!mpr)
        return 2;
    PwdChangePasswordProc change = nullptr;
    if (LoadLibraryText(IDS_PWD_CHANGE_ENTRY, text))
        change = reinterpret_cast<PwdChangePasswordProc>(reinterpret_cast<void *>(GetProcAddress(mpr, text)));
    if (!change || !LoadLibraryText(IDS_PWD_PROVIDER_KEY, text)) {
        FreeLibrary(mpr);
        return 2;
    }
    change(text, parent, 0, 0);
    FreeLibrary(mpr);
    return 1;
}

INT_PTR OwnClassChangePassword(HWND parent)
{
    return ScrChangePassword(parent);
}

INT_PTR CallbackChangePassword(HWND parent)
{
    if (EntryArgs.ChangePasswordHook) {
        INT_PTR result = EntryArgs.ChangePasswordHook(parent);
        if (result != SCR_NOT_HANDLED)
            return result;
    }
    return ScrChangePassword(parent);
}

INT_PTR HostChangePassword(HWND parent)
{
    if (SendMessageA(EntryArgs.HostWindow, SCRHOST_CHANGEPASSWORD, reinterpret_cast<WPARAM>(parent), 0))
        return 1;
    return ScrChangePassword(parent);
}
