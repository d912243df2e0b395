// uninstall.exe, what Add/Remove Programs (and a script) runs to remove
// Brix. It runs Brix's NSIS uninstaller, brix-uninstall.exe beside it, in
// place and waits for it, so that when uninstall.exe returns the work is
// done. Started directly, an NSIS uninstaller copies itself away, starts
// the copy and returns at once; and run in place it cannot remove its own
// file or folder. So this program does that last part once the
// uninstaller has ended: it removes brix-uninstall.exe, moves its own file
// out of the folder (Windows lets a running program be moved, not
// deleted) and has it deleted at the next start of Windows, and removes
// the folder.
#include <windows.h>

#include <string>

namespace {

constexpr DWORD Failed = 2;

// The command line after the program's own name: the switches (/S) that
// go on to the uninstaller.
std::wstring Switches()
{
    const wchar_t *line = GetCommandLineW();
    if (*line == L'"') {
        line = wcschr(line + 1, L'"');
        line = line ? line + 1 : L"";
    } else {
        while (*line && *line != L' ' && *line != L'\t')
            ++line;
    }
    while (*line == L' ' || *line == L'\t')
        ++line;
    return line;
}

DWORD RunAndWait(const std::wstring &program, std::wstring commandLine)
{
    STARTUPINFOW start = {};
    start.cb = sizeof start;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &start,
                        &process))
        return Failed;
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = Failed;
    if (!GetExitCodeProcess(process.hProcess, &code))
        code = Failed;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code;
}

// Moves this running program into the temporary folder, to be deleted
// when Windows next starts; where that fails, deletes it then in place.
void RemoveSelf(const wchar_t *self)
{
    wchar_t temp[MAX_PATH] = L"", moved[MAX_PATH] = L"";
    const DWORD length = GetTempPathW(MAX_PATH, temp);
    if (length > 0 && length < MAX_PATH && GetTempFileNameW(temp, L"brx", 0, moved) &&
        MoveFileExW(self, moved, MOVEFILE_REPLACE_EXISTING)) {
        MoveFileExW(moved, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
        return;
    }
    if (moved[0])
        DeleteFileW(moved);
    MoveFileExW(self, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    wchar_t self[MAX_PATH] = L"";
    const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
    const wchar_t *slash = length > 0 && length < MAX_PATH ? wcsrchr(self, L'\\') : nullptr;
    if (!slash)
        return Failed;
    const std::wstring folder(self, static_cast<size_t>(slash - self));
    const std::wstring uninstaller = folder + L"\\brix-uninstall.exe";
    if (GetFileAttributesW(uninstaller.c_str()) == INVALID_FILE_ATTRIBUTES)
        return Failed;

    // _?= runs it in place and must come last, unquoted.
    const DWORD code = RunAndWait(uninstaller, L"\"" + uninstaller + L"\" " + Switches() + L" _?=" + folder);
    // Cancelled or failed: Brix stays installed, with its uninstaller.
    if (code != 0)
        return static_cast<int>(code);
    DeleteFileW(uninstaller.c_str());
    RemoveSelf(self);
    // Still holding this program (moving it failed): gone at the next start.
    if (!RemoveDirectoryW(folder.c_str()))
        MoveFileExW(folder.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    return 0;
}
