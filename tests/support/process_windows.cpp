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

std::string WindowText(HWND window)
{
    char text[1024] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

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
