// An impostor of the system components: the exports of PASSWORD.CPL,
// MPR.DLL and the hot-corner providers in one library, copied under their
// names to where an attacker could put them (the working directory, beside
// the program). Its answers would open the saver for anyone, and the
// moment it is loaded it leaves a marker file beside itself,
// "<its own path>.loaded", naming the process that loaded it. A test that
// finds no marker knows it never ran.
#include <windows.h>

namespace {

void LeaveMarker(HINSTANCE self)
{
    char marker[MAX_PATH + 8] = "";
    const DWORD length = GetModuleFileNameA(self, marker, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return;
    lstrcatA(marker, ".loaded");
    char host[MAX_PATH] = "";
    const DWORD hostLength = GetModuleFileNameA(nullptr, host, sizeof host);
    // Kernel calls only: this runs under the loader lock.
    HANDLE file = CreateFileA(marker, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    WriteFile(file, host, hostLength, &written, nullptr);
    CloseHandle(file);
}

} // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
        LeaveMarker(instance);
    return TRUE;
}

// Any password is right.
extern "C" BOOL WINAPI VerifyScreenSavePwd(HWND)
{
    return TRUE;
}

extern "C" DWORD WINAPI PwdChangePasswordA(LPCSTR, HWND, DWORD, DWORD)
{
    return NO_ERROR;
}

extern "C" DWORD WINAPI System_Agent_Detect()
{
    return 0x0BAD;
}

extern "C" DWORD WINAPI Screen_Saver_Changed()
{
    return 0;
}
