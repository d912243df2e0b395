#include "tests/support/process_windows.h"

namespace {

BOOL CALLBACK AddProcessDialog(HWND window, LPARAM dialogs)
{
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == GetCurrentProcessId() && IsWindowVisible(window) && ClassOf(window) == "#32770")
        reinterpret_cast<std::vector<HWND> *>(dialogs)->push_back(window);
    return TRUE;
}

} // namespace

std::string ClassOf(HWND window)
{
    char name[256] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

std::vector<HWND> ProcessDialogs()
{
    std::vector<HWND> dialogs;
    EnumWindows(AddProcessDialog, reinterpret_cast<LPARAM>(&dialogs));
    return dialogs;
}

bool ClassRegistered(HINSTANCE module, const char *name)
{
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    return GetClassInfoExA(module, name, &windowClass) != 0;
}

HWND MakeHostWindow(const char *className, WNDPROC procedure)
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    if (!ClassRegistered(instance, className)) {
        WNDCLASSA hostClass = {};
        hostClass.lpfnWndProc = procedure;
        hostClass.hInstance = instance;
        hostClass.lpszClassName = className;
        RegisterClassA(&hostClass);
    }
    return CreateWindowExA(0, className, "host", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, instance, nullptr);
}

RECT VirtualScreen()
{
    const int left = GetSystemMetrics(SM_XVIRTUALSCREEN), top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    return {left, top, left + GetSystemMetrics(SM_CXVIRTUALSCREEN), top + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
}

RECT WindowRect(HWND window)
{
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect;
}

LRESULT Ask(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 5000, &answer))
        return -1;
    return static_cast<LRESULT>(answer);
}
