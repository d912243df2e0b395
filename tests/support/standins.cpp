#include "tests/support/standins.h"

#include <windows.h>

#include <string>
#include <utility>

#include "standins/standin_registry.h"
#include "tests/support/registry_scope.h"

namespace {

// Beside the installed file, under a name nothing loads.
const char AsideSuffix[] = ".dusklit-aside";
const char MarkerSuffix[] = ".loaded";

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

bool Exists(const std::string &path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ReadSmallFile(const std::string &path)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return "";
    char text[MAX_PATH] = "";
    DWORD read = 0;
    ReadFile(file, text, sizeof text - 1, &read, nullptr);
    CloseHandle(file);
    return std::string(text, read);
}

} // namespace

DWORD ChangedCount(const char *providerKey)
{
    return ReadDword(providerKey, STANDIN_CHANGED_VALUE).value_or(0);
}

std::string SystemDirectory()
{
    char path[MAX_PATH] = "";
    GetSystemDirectoryA(path, sizeof path);
    return path;
}

std::string InstalledComponent(const std::string &fileName)
{
    return SystemDirectory() + "\\" + fileName;
}

std::string StandinDirectory()
{
    return ToWindowsPath(DUSKLIT_STANDIN_DIR);
}

std::string ProgramDirectory()
{
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string directory = path;
    return directory.substr(0, directory.find_last_of('\\'));
}

ComponentsMissing::ComponentsMissing(std::initializer_list<const char *> fileNames)
{
    for (const char *fileName : fileNames) {
        const std::string installed = InstalledComponent(fileName);
        MoveFileExA(installed.c_str(), (installed + AsideSuffix).c_str(), MOVEFILE_REPLACE_EXISTING);
        installed_.push_back(installed);
    }
}

ComponentsMissing::~ComponentsMissing()
{
    for (const std::string &installed : installed_) {
        const std::string aside = installed + AsideSuffix;
        if (Exists(aside))
            MoveFileExA(aside.c_str(), installed.c_str(), MOVEFILE_REPLACE_EXISTING);
    }
}

bool ComponentsMissing::Ready() const
{
    for (const std::string &installed : installed_)
        if (Exists(installed))
            return false;
    return true;
}

PlantedDirectory::PlantedDirectory()
{
    char temp[MAX_PATH] = "";
    GetTempPathA(sizeof temp, temp);
    static int count = 0;
    path_ = std::string(temp) + "dusklit-planted-" + std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(++count);
    made_ = CreateDirectoryA(path_.c_str(), nullptr) != FALSE;
}

PlantedDirectory::PlantedDirectory(std::string existing) : path_(std::move(existing)) {}

PlantedDirectory::~PlantedDirectory()
{
    for (const std::string &file : files_)
        DeleteFileA(file.c_str());
    for (const std::string &file : planted_)
        DeleteFileA((file + MarkerSuffix).c_str());
    if (made_)
        RemoveDirectoryA(path_.c_str());
}

bool PlantedDirectory::Copy(const std::string &source, const char *fileName)
{
    const std::string target = path_ + "\\" + fileName;
    // A marker of an earlier run would be mistaken for a load in this one.
    DeleteFileA((target + MarkerSuffix).c_str());
    if (!CopyFileA(source.c_str(), target.c_str(), FALSE))
        return false;
    files_.push_back(target);
    return true;
}

bool PlantedDirectory::Plant(const char *fileName)
{
    if (!Copy(ToWindowsPath(DUSKLIT_PLANTED_LIBRARY), fileName))
        return false;
    planted_.push_back(files_.back());
    return true;
}

std::vector<std::string> PlantedDirectory::Loaded() const
{
    std::vector<std::string> loaded;
    for (const std::string &file : planted_) {
        const std::string marker = file + MarkerSuffix;
        if (Exists(marker))
            loaded.push_back(file + " <- " + ReadSmallFile(marker));
    }
    return loaded;
}
