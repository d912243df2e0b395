#include "tests/support/standins.h"

#include <windows.h>

#include <string>

namespace {

// A Linux path as this process sees it under Wine: Wine's own translation
// knows the prefix's drive mappings.
std::string ToWindowsPath(const std::string &path)
{
    using DosName = WCHAR *(CDECL *)(const char *);
    auto toDos = reinterpret_cast<DosName>(
        reinterpret_cast<void *>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_dos_file_name")));
    if (!toDos || path.empty() || path[0] != '/')
        return path;
    WCHAR *wide = toDos(path.c_str());
    if (!wide)
        return path;
    char narrow[MAX_PATH * 4] = {};
    int length = WideCharToMultiByte(CP_ACP, 0, wide, -1, narrow, sizeof narrow, nullptr, nullptr);
    HeapFree(GetProcessHeap(), 0, wide);
    return length > 1 ? std::string(narrow) : path;
}

} // namespace

std::string StandinDirectory()
{
    return ToWindowsPath(DUSKLIT_STANDIN_DIR);
}

StandinsOnSearchPath::StandinsOnSearchPath(bool present)
{
    // The system directory has none of them, so searching it in place of
    // the stand-in directory makes them missing.
    char system[MAX_PATH] = "";
    GetSystemDirectoryA(system, sizeof system);
    SetDllDirectoryA(present ? StandinDirectory().c_str() : system);
}

StandinsOnSearchPath::~StandinsOnSearchPath()
{
    SetDllDirectoryA(nullptr);
}
