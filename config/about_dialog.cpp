// The About box's procedure and the version text it shows.
#include "config/about_dialog.h"

#include <cstdio>
#include <cstring>

#include "dusklit.h"
#include "library/module.h"
#include "library/startup.h"
#include "resource_ids.h"
#include "saver/resource_texts.h"

namespace {

// The version of the framework compiled into the program itself.
const char BuiltInVersion[] = "1.5s";

constexpr int VersionBufferSize = 50;
constexpr int GroupCaptionSize = 160;
constexpr int GroupCaptionLimit = 99; // what is read of the template's caption

// The loadable library (dusklit.dll) names its version in its own version
// resource: the "FileVersion" string of the first language and code page
// that the resource lists.
constexpr int ModuleFileSize = 400;

// The version text inside a file's version information, or false.
bool FindFileVersion(const void *data, const char *&version, UINT &length)
{
    DWORD *translation = nullptr;
    UINT translationBytes = 0;
    if (!VerQueryValueA(data, "\\VarFileInfo\\Translation", reinterpret_cast<void **>(&translation),
                        &translationBytes) ||
        translationBytes < sizeof *translation)
        return false;
    // Each entry holds the language in its low half and the code page in
    // its high half; the block's name has the language first.
    const DWORD languageFirst = (*translation << 16) | (*translation >> 16);
    char path[64];
    wsprintfA(path, "\\StringFileInfo\\%08lx\\%s", languageFirst, "FileVersion");
    void *text = nullptr;
    if (!VerQueryValueA(data, path, &text, &length))
        return false;
    version = static_cast<const char *>(text);
    return true;
}

int LibraryFileVersion(char *buffer, int maxLength)
{
    char file[ModuleFileSize] = "";
    GetModuleFileNameA(ScrLibraryInstance, file, ModuleFileSize - 1);
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeA(file, &handle);
    if (size == 0)
        return 0;
    void *data = HeapAlloc(GetProcessHeap(), 0, size);
    if (!data)
        return 0;
    int result = 0;
    const char *version = nullptr;
    UINT length = 0;
    if (GetFileVersionInfoA(file, handle, size, data) && FindFileVersion(data, version, length)) {
        // Without a buffer only the length is reported: the resource's own
        // count, which includes the terminating zero.
        if (!buffer)
            result = static_cast<int>(length);
        else if (maxLength > 0) {
            result = static_cast<int>(CopyWholeCharacters(buffer, static_cast<std::size_t>(maxLength), version));
        }
    }
    HeapFree(GetProcessHeap(), 0, data);
    return result;
}

void AppendVersion(HWND dialog)
{
    char version[VersionBufferSize] = "";
    if (ScrGetVersionText(version, VersionBufferSize - 1) == 0)
        return;
    HWND group = GetDlgItem(dialog, IDC_ABOUT_GROUP);
    if (!group)
        return;
    char caption[GroupCaptionSize] = "";
    GetWindowTextA(group, caption, GroupCaptionLimit);
    const size_t used = std::strlen(caption);
    std::snprintf(caption + used, sizeof caption - used, " v%s", version);
    SetWindowTextA(group, caption);
}

} // namespace

INT_PTR CALLBACK AboutDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        AppendVersion(dialog);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
        case IDCANCEL:
            EndDialog(dialog, LOWORD(wParam));
            return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}

int WINAPI ScrGetVersionText(char *buffer, int maxLength)
{
    ScrEnsureStarted();
    if (LoadedAsLibrary)
        return LibraryFileVersion(buffer, maxLength);
    // Without a buffer only the length is reported.
    if (!buffer)
        return static_cast<int>(std::strlen(BuiltInVersion));
    if (maxLength <= 0)
        return 0;
    return static_cast<int>(CopyWholeCharacters(buffer, static_cast<std::size_t>(maxLength), BuiltInVersion));
}
