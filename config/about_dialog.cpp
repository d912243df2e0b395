// The About box's procedure and the version text it shows.
#include "config/about_dialog.h"

#include <cstdio>
#include <cstring>

#include "dusklit.h"
#include "monitor/library.h"
#include "resource_ids.h"

namespace {

// The version of the framework compiled into the program itself.
const char BuiltInVersion[] = "1.5s";

constexpr int VersionBufferSize = 50;
constexpr int GroupCaptionSize = 160;
constexpr int GroupCaptionLimit = 99; // what is read of the template's caption

// The loadable library (dusklit.dll) names its version in its own version
// resource, the "FileVersion" string. This build produces no such library,
// so this form has no version to report.
int LibraryFileVersion(char *, int)
{
    return 0;
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
    lstrcpynA(buffer, BuiltInVersion, maxLength);
    return lstrlenA(buffer);
}
