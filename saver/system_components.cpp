#include "saver/system_components.h"

#include "saver/debug_output.h"

#include <cstring>

namespace {

// A name is a file name only: anything that could lead out of the system
// directory (a separator, a drive) is refused, whatever the string table
// was made to say.
bool IsPlainFileName(const char *fileName)
{
    return fileName && fileName[0] && !std::strpbrk(fileName, "\\/:");
}

} // namespace

bool SystemComponentPath(const char *fileName, char (&path)[MAX_PATH])
{
    path[0] = '\0';
    if (!IsPlainFileName(fileName))
        return false;
    // The length without the zero, or the size needed when it does not fit.
    const UINT length = GetSystemDirectoryA(path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        path[0] = '\0';
        return false;
    }
    const bool needsSeparator = path[length - 1] != '\\';
    const std::size_t nameLength = std::strlen(fileName);
    if (length + (needsSeparator ? 1 : 0) + nameLength >= MAX_PATH) {
        path[0] = '\0';
        return false;
    }
    char *end = path + length;
    if (needsSeparator)
        *end++ = '\\';
    std::memcpy(end, fileName, nameLength + 1);
    return true;
}

HMODULE LoadSystemComponent(const char *fileName)
{
    char path[MAX_PATH];
    if (!SystemComponentPath(fileName, path))
        return nullptr;
    return LoadLibraryA(path);
}

void DropCurrentDirectoryFromDllSearch()
{
    using SetDllDirectoryProc = BOOL(WINAPI *)(LPCSTR directory);
    using SetDefaultDllDirectoriesProc = BOOL(WINAPI *)(DWORD flags);
    // The program's directory, the system directory and directories added
    // on purpose: never the current directory, nor PATH.
    const DWORD searchDefaultDirectories = 0x1000; // LOAD_LIBRARY_SEARCH_DEFAULT_DIRS
    auto setDllDirectory = SystemEntry<SetDllDirectoryProc>("kernel32.dll", "SetDllDirectoryA");
    // An empty directory, not null: null would put the current directory
    // back.
    if (setDllDirectory)
        setDllDirectory("");
    // Where the loader has default directories, they say the same more
    // firmly: some loaders (Wine's) take the empty directory for none and
    // keep searching the current one.
    auto setDefaultDirectories =
        SystemEntry<SetDefaultDllDirectoriesProc>("kernel32.dll", "SetDefaultDllDirectories");
    if (setDefaultDirectories)
        setDefaultDirectories(searchDefaultDirectories);
    ScrTrace("Dusklit: libraries are no longer looked for in the current directory");
}
