// The stand-in previewer (standins/vistell) for tests: starting it the way
// a user would, finding its processes and windows, and ending them again.
// Header-only, so in-process and whole-program tests share it.
#pragma once
#include <windows.h>
#include <tlhelp32.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/support/message_pump.h"

namespace vistell {

inline const char ClassName[] = "Vistell";
inline const char ProgramFile[] = "vistell";
// Long, because a process under Wine on a loaded machine may take many
// seconds to show its first window; a passing wait ends at once.
constexpr DWORD WaitLimitMs = 60000;

// Ids of every running process of the stand-in's program file.
inline std::vector<DWORD> ProcessIds()
{
    std::vector<DWORD> ids;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return ids;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
        const char *name = std::strrchr(entry.szExeFile, '\\');
        name = name ? name + 1 : entry.szExeFile;
        if (lstrcmpiA(name, ProgramFile) == 0)
            ids.push_back(entry.th32ProcessID);
    }
    CloseHandle(snapshot);
    return ids;
}

// The full path of the program a process runs; empty when unknown.
inline std::string ImagePath(DWORD processId)
{
    using QueryImageName = BOOL(WINAPI *)(HANDLE, DWORD, LPSTR, PDWORD);
    auto query = reinterpret_cast<QueryImageName>(reinterpret_cast<void *>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "QueryFullProcessImageNameA")));
    const DWORD queryLimitedInformation = 0x1000;
    HANDLE process = OpenProcess(queryLimitedInformation, FALSE, processId);
    if (!query || !process) {
        if (process)
            CloseHandle(process);
        return "";
    }
    char path[MAX_PATH] = "";
    DWORD size = sizeof path;
    const BOOL known = query(process, 0, path, &size);
    CloseHandle(process);
    return known ? std::string(path, size) : std::string();
}

struct WindowSearch {
    DWORD processId;
    HWND found;
};

inline BOOL CALLBACK MatchWindow(HWND window, LPARAM data)
{
    auto *search = reinterpret_cast<WindowSearch *>(data);
    char name[64] = "";
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    // Visible only once its child is in place: a window still being set up
    // is not the previewer's yet.
    if (owner == search->processId && IsWindowVisible(window) && GetClassNameA(window, name, sizeof name) &&
        std::strcmp(name, ClassName) == 0) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

// The top-level "Vistell" window of the process, once it is shown.
inline HWND WindowOf(DWORD processId)
{
    WindowSearch search{processId, nullptr};
    EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Waits (bounded) for the process's window, handling what is sent to this
// thread's windows meanwhile.
inline HWND WaitForWindowOf(DWORD processId, DWORD limitMs = WaitLimitMs)
{
    const DWORD start = GetTickCount();
    for (;;) {
        if (HWND window = WindowOf(processId))
            return window;
        if (GetTickCount() - start > limitMs)
            return nullptr;
        PumpMessages();
        Sleep(50);
    }
}

// Closes the process's window and waits for the process to end; ends it
// outright if it does not.
inline void End(DWORD processId)
{
    HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, processId);
    if (!process)
        return;
    if (HWND window = WindowOf(processId))
        PostMessageA(window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process, 10000) != WAIT_OBJECT_0)
        TerminateProcess(process, 1);
    WaitForSingleObject(process, 10000);
    CloseHandle(process);
}

// Ends every process of the stand-in that is not in the list.
inline void EndAllBut(const std::vector<DWORD> &keep)
{
    for (DWORD id : ProcessIds()) {
        bool kept = false;
        for (DWORD k : keep)
            kept = kept || k == id;
        if (!kept)
            End(id);
    }
}

// One run of the stand-in started by the test itself, ended with the object.
class Standin {
public:
    // windowsPath: the program's Windows path; switches: "/nochild" and
    // "/busy:MS" (see standins/vistell).
    Standin(const std::string &windowsPath, const std::string &switches = "")
    {
        std::string line = "\"" + windowsPath + "\"" + (switches.empty() ? "" : " " + switches);
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info{};
        if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
            return;
        CloseHandle(info.hThread);
        process_ = info.hProcess;
        processId_ = info.dwProcessId;
        window_ = WaitForWindowOf(processId_);
    }
    ~Standin()
    {
        if (!process_)
            return;
        End(processId_);
        CloseHandle(process_);
    }
    Standin(const Standin &) = delete;
    Standin &operator=(const Standin &) = delete;

    DWORD ProcessId() const { return processId_; }
    // Null when it could not be started or showed no window in time.
    HWND Window() const { return window_; }
    HWND Child() const { return window_ ? GetWindow(window_, GW_CHILD) : nullptr; }

private:
    HANDLE process_ = nullptr;
    DWORD processId_ = 0;
    HWND window_ = nullptr;
};

} // namespace vistell
