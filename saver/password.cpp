#include "saver/password.h"

#include <cstdint>

#include "dusklit.h"
#include "resource_ids.h"
#include "saver/debug_output.h"
#include "saver/message_origin.h"
#include "saver/def_saver_proc.h"
#include "saver/password_setting.h"
#include "saver/prefs.h"
#include "saver/run_state.h"
#include "saver/resource_texts.h"
#include "saver/system_components.h"

namespace {

using VerifyScreenSavePwdProc = BOOL(WINAPI *)(HWND window);
using PwdChangePasswordProc = DWORD(WINAPI *)(LPCSTR provider, HWND parent, DWORD reserved1, DWORD reserved2);

INT_PTR RefuseChange(HWND parent)
{
    TextBuffer text;
    const char *message = LoadLibraryText(IDS_NEVER_PASSWORD, text) ? text : "Cannot change password";
    return MessageBoxA(parent, message, "Password", MB_OK);
}

// A saver that always asks hides the Wait row from the user: no delay
// that the user cannot see applies to it.
bool WithinPasswordDelay()
{
    if (CurrentPrefs.AlwaysRequirePassword)
        return false;
    const DWORD elapsedSeconds = (GetTickCount() - SaverRunState.startTick) / 1000;
    return elapsedSeconds < SaverRunState.passwordDelay;
}

// How far reading a desktop setting came, and what it said.
enum class DesktopRead { NoKeyText, NoKey, NoValueText, NoValue, Asks, SaysNo };

// A value under the desktop key, read afresh each time: one that is there
// asks unless it clearly says no (see saver/password_setting.h), and one
// too long to read asks too.
DesktopRead ReadDesktopSetting(UINT valueName)
{
    TextBuffer text;
    if (!LoadLibraryText(IDS_REG_DESKTOP_KEY, text))
        return DesktopRead::NoKeyText;
    HKEY desktop = nullptr;
    if (RegOpenKeyA(HKEY_CURRENT_USER, text, &desktop) != ERROR_SUCCESS)
        return DesktopRead::NoKey;
    if (!LoadLibraryText(valueName, text)) {
        RegCloseKey(desktop);
        return DesktopRead::NoValueText;
    }
    std::uint8_t value[PasswordSettingSize] = {};
    DWORD type = REG_NONE;
    DWORD size = sizeof value;
    const LONG status = RegQueryValueExA(desktop, text, nullptr, &type, value, &size);
    RegCloseKey(desktop);
    const bool tooLong = status == ERROR_MORE_DATA;
    if (status != ERROR_SUCCESS && !tooLong)
        return DesktopRead::NoValue;
    return tooLong || PasswordSettingAsks(type, value, size) ? DesktopRead::Asks : DesktopRead::SaysNo;
}

// No key or no value means no password.
BOOL DesktopUsesPassword()
{
    switch (ReadDesktopSetting(IDS_REG_USE_PASSWORD)) {
    case DesktopRead::NoKeyText:
        ScrTrace("NeedPassword: failed to load screensaver reg. key string. Aborting");
        return FALSE;
    case DesktopRead::NoKey:
        ScrTrace("NeedPassword: could not get screensaver reg. key. Aborting");
        return FALSE;
    case DesktopRead::NoValueText:
        ScrTrace("NeedPassword: failed to load 'usepw' key name. Aborting");
        return FALSE;
    case DesktopRead::NoValue:
        ScrTrace("NeedPassword: failed to get 'usepw' value from registry. Aborting");
        return FALSE;
    case DesktopRead::Asks:
        ScrTrace("NeedPassword: yes, we do need the password");
        return TRUE;
    case DesktopRead::SaysNo:
        break;
    }
    ScrTrace("NeedPassword: no, we don't need the password");
    return FALSE;
}

// Whether the provider and its verifier are there to be called.
bool PasswordProviderFound()
{
    TextBuffer text;
    if (!LoadLibraryText(IDS_PASSWORD_CPL, text))
        return false;
    HMODULE provider = LoadSystemComponent(text);
    if (!provider)
        return false;
    const bool found = LoadLibraryText(IDS_VERIFY_PWD_ENTRY, text) && GetProcAddress(provider, text);
    FreeLibrary(provider);
    return found;
}

// Calls the provider's verifier with the cursor shown; IDOK when it
// cannot be reached, so a missing provider never locks the user out.
int VerifyWithProvider(HMODULE provider, HWND window)
{
    TextBuffer text;
    if (!LoadLibraryText(IDS_VERIFY_PWD_ENTRY, text)) {
        ScrTrace("DoVerifyPwDialog: failed to load 'verifypw' string. Aborting");
        return IDOK;
    }
    auto verify = reinterpret_cast<VerifyScreenSavePwdProc>(reinterpret_cast<void *>(GetProcAddress(provider, text)));
    if (!verify) {
        ScrTrace("DoVerifyPwDialog: could not get verifypw proc address. Aborting");
        return IDOK;
    }
    ShowCursor(TRUE);
    ScrTrace("DoVerifyPwDialog: about to do VerifyScreenSavePwd...");
    BOOL accepted = verify(window);
    ShowCursor(FALSE);
    if (accepted) {
        ScrTrace("DoVerifyPwDialog: verifypwd returned TRUE!. Returing IDOK");
        return IDOK;
    }
    ScrTrace("DoVerifyPwDialog: verifypwd returned FALSE. Returning IDCANCEL");
    return IDCANCEL;
}

} // namespace

BOOL NeedPassword()
{
    ScrTrace("NeedPassword? Checking the timer");
    if (WithinPasswordDelay()) {
        ScrTrace("Nope, we're within the delay...");
        return FALSE;
    }
    ScrTrace("NeedPassword?: checking the registry");
    return DesktopUsesPassword();
}

// A setting that cannot be named (the framework's own texts are missing)
// is in doubt, and in doubt the desktop is locked; an absent key or value
// is simply not set.
BOOL NeedSystemLock()
{
    if (WithinPasswordDelay())
        return FALSE;
    switch (ReadDesktopSetting(IDS_REG_SECURE_SAVER)) {
    case DesktopRead::NoKey:
    case DesktopRead::NoValue:
    case DesktopRead::SaysNo:
        return FALSE;
    default:
        break;
    }
    if (PasswordProviderFound()) {
        ScrTrace("NeedSystemLock: the password provider guards the desktop, so no lock");
        return FALSE;
    }
    ScrTrace("NeedSystemLock: the desktop is secure and no provider guards it, so the system locks it");
    return TRUE;
}

int DoVerifyPwDialog(HWND window)
{
    ScrTrace("DoVerifyPwDialog: using Master Password Router");
    TextBuffer text;
    if (!LoadLibraryText(IDS_PASSWORD_CPL, text)) {
        ScrTrace("DoVerifyPwDialog: failed to load pwdprovidername string. Aborting");
        return IDOK;
    }
    HMODULE provider = LoadSystemComponent(text);
    if (!provider) {
        ScrTrace("DoVerifyPwDialog: unable to load pwdprovider library. Aborting");
        return IDOK;
    }
    int result;
    {
        QuitRefusal onlyTheAnswer;
        result = VerifyWithProvider(provider, window);
    }
    FreeLibrary(provider);
    return result;
}

INT_PTR ScrChangePassword(HWND parent)
{
    if (CurrentPrefs.NeverRequirePassword)
        return RefuseChange(parent);
    TextBuffer text;
    if (!LoadLibraryText(IDS_MPR_DLL, text))
        return 2;
    HMODULE mpr = LoadSystemComponent(text);
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
