#include "config/context_help.h"

#include "dusklit.h"
#include "library/library.h"
#include "resource_ids.h"
#include "saver/debug_output.h"
#include "saver/strings.h"

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

// The active-configuration topic exists only in the framework's own help
// file, which a saver may rename: it is named without looking for it.
// Every other topic is in the Plus! help file too, which stands in when
// the framework's file is not installed.
bool HelpFileFor(bool activeConfigTopic, TextBuffer &file)
{
    if (activeConfigTopic)
        return LoadSaverText(IDS_HELP_FILE, file);
    OFSTRUCT found = {};
    found.cBytes = sizeof found;
    if (LoadSaverText(IDS_HELP_FILE, file) && OpenFile(file, &found, OF_EXIST) != HFILE_ERROR)
        return true;
    return LoadLibraryText(IDS_PLUS_HELP_FILE, file);
}

void ShowHelp(HWND target, UINT command, bool activeConfigTopic, const DWORD *table)
{
    TextBuffer file;
    if (HelpFileFor(activeConfigTopic, file))
        WinHelpA(target, file, command, reinterpret_cast<ULONG_PTR>(table));
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
