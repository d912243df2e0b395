#include "config/context_help.h"

#include <cstdio>
#include <cstring>

#include "dusklit.h"
#include "library/startup.h"
#include "resource_ids.h"
#include "saver/debug_output.h"
#include "saver/resource_texts.h"

namespace {

// Help contexts of the topics in the help files.
const DWORD HelpCorners = 3100;
const DWORD HelpSensitivity = 3101;
const DWORD HelpPasswordDelay = 3102;
const DWORD HelpMuteSound = 3105;
const DWORD HelpActiveConfig = 3106;

// Pairs of control and topic, ended by a pair of zeros, as WinHelpA takes
// them. The password-policy text that replaces the Wait row has no topic.
const DWORD GeneralPageHelp[] = {
    IDC_DISMISS_GROUP,         HelpSensitivity,
    IDC_SENSITIVITY_LABEL,     HelpSensitivity,
    IDC_SENSITIVITY,           HelpSensitivity,
    IDC_WAIT_LABEL,            HelpPasswordDelay,
    IDC_PASSWORD_DELAY,        HelpPasswordDelay,
    IDC_PASSWORD_DELAY_ARROWS, HelpPasswordDelay,
    IDC_PASSWORD_DELAY_UNIT,   HelpPasswordDelay,
    IDC_PASSWORD_DELAY_TAIL,   HelpPasswordDelay,
    IDC_AGENT_TEXT,            HelpCorners,
    IDC_NO_AGENT_TEXT,         HelpCorners,
    IDC_CORNERS,               HelpCorners,
    IDC_MUTE_SOUND,            HelpMuteSound,
    IDC_ACTIVE_CONFIG,         HelpActiveConfig,
    0,                         0,
};

// Help files are looked for in one place only, the Help folder of the
// Windows directory, and handed to the help viewer by full path there. A
// help file can run programs: one of the same name in the program's folder
// or the current directory, which the viewer and OpenFile would search
// first, must never be opened. A name with a path of its own is refused.
bool HelpFilePath(const char *name, char (&path)[MAX_PATH])
{
    path[0] = '\0';
    if (!name[0] || std::strpbrk(name, "\\/:"))
        return false;
    char windows[MAX_PATH] = "";
    const UINT length = GetWindowsDirectoryA(windows, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return false;
    const int written = std::snprintf(path, MAX_PATH, "%s%sHelp\\%s", windows,
                                      windows[length - 1] == '\\' ? "" : "\\", name);
    if (written <= 0 || written >= MAX_PATH) {
        path[0] = '\0';
        return false;
    }
    return true;
}

bool Installed(const char *path)
{
    const DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The active-configuration topic exists only in the framework's own help
// file, which a saver may rename: it is named without looking for it.
// Every other topic is in the Plus! help file too, which stands in when
// the framework's file is not installed.
bool HelpFileFor(bool activeConfigTopic, char (&path)[MAX_PATH])
{
    TextBuffer name;
    const bool own = LoadSaverText(IDS_HELP_FILE, name) && HelpFilePath(name, path);
    if (own && (activeConfigTopic || Installed(path)))
        return true;
    if (activeConfigTopic)
        return false;
    return LoadLibraryText(IDS_PLUS_HELP_FILE, name) && HelpFilePath(name, path);
}

void ShowHelp(HWND target, UINT command, bool activeConfigTopic, const DWORD *table)
{
    char path[MAX_PATH];
    if (HelpFileFor(activeConfigTopic, path))
        WinHelpA(target, path, command, reinterpret_cast<ULONG_PTR>(table));
}

} // namespace

void ShowGeneralPageHelp(HWND target, UINT command, bool activeConfigBox)
{
    ShowHelp(target, command, activeConfigBox, GeneralPageHelp);
}

void WINAPI ScrHelp(HWND control, UINT command, DWORD contextId)
{
    ScrEnsureStarted();
    ScrTrace("Dusklit: calling ScrHelp");
    // WinHelpA reads the table before it returns.
    const DWORD table[] = {static_cast<DWORD>(GetWindowLongA(control, GWL_ID)), contextId, 0, 0};
    ShowHelp(control, command, contextId == HelpActiveConfig, table);
}
