#include "config/general_dialog.h"

#include <cstdint>

#include "config/settings_codec.h"
#include "resource_ids.h"
#include "saver/debug_output.h"
#include "saver/issued.h"
#include "saver/prefs.h"
#include "saver/resource_texts.h"
#include "saver/system_components.h"

static_assert(CornerDefault == SCR_CORNER_DEFAULT && CornerNow == SCR_CORNER_NOW && CornerNever == SCR_CORNER_NEVER,
              "the registry form and the public header agree on the corner actions");
static_assert(sizeof(CornerAction) == sizeof(BYTE) && sizeof(ScrGeneralSettings::corners) == CornerCount,
              "the settings block holds one CornerAction byte per corner");
static_assert(sizeof(ScrGeneralSettings) == 24, "the settings block travels as 24 bytes");

namespace {

// The second hot-corner provider is not in the string table: it is always
// found under this name.
const char CornixLibrary[] = "Cornix.dll";
const char CornixDetectEntry[] = "System_Agent_Detect";
const char CornixChangedEntry[] = "Screen_Saver_Changed";

// How long the change broadcast waits for each top-level window. A window
// that does not answer in time is passed over; the settings are stored
// already, and a hung program must not hold up the dialog.
const UINT BroadcastTimeoutMs = 500;

const LONG LiveChangeCode = SCRCHANGE_TOOWNER | SCRCHANGE_TOPREVIEWS | SCRCHANGE_LIVE | SCRCHANGE_GENERAL;
const LONG AppliedChangeCode = SCRCHANGE_TOOWNER | SCRCHANGE_TOPREVIEWS | SCRCHANGE_APPLIED | SCRCHANGE_GENERAL;

// Both provider exports take nothing and answer a number.
using ProviderEntry = DWORD(WINAPI *)();

// Reads one number value into field. The buffer starts zeroed so that a
// value of fewer than 4 bytes counts its missing bytes as zero; a longer
// one fails the query and leaves field alone. True when field was set.
bool QueryNumber(HKEY key, const char *name, LONG &field)
{
    std::uint8_t bytes[NumberValueSize] = {};
    DWORD size = sizeof bytes;
    if (RegQueryValueExA(key, name, nullptr, nullptr, bytes, &size) != ERROR_SUCCESS)
        return false;
    std::int32_t number = 0;
    if (!DecodeNumberValue(bytes, size, number))
        return false;
    field = number;
    return true;
}

bool QueryNumber(HKEY key, UINT nameId, LONG &field)
{
    TextBuffer name;
    return LoadLibraryText(nameId, name) && QueryNumber(key, name, field);
}

void QueryCorners(HKEY key, BYTE (&corners)[CornerCount])
{
    TextBuffer name;
    if (!LoadLibraryText(IDS_REG_MOUSE_CORNERS, name))
        return;
    std::uint8_t bytes[CornersValueSize] = {};
    DWORD size = sizeof bytes;
    if (RegQueryValueExA(key, name, nullptr, nullptr, bytes, &size) == ERROR_SUCCESS)
        DecodeCornersValue(bytes, size, corners);
}

void StoreNumber(HKEY key, UINT nameId, LONG value)
{
    TextBuffer name;
    if (LoadLibraryText(nameId, name))
        RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE *>(&value), sizeof value);
}

void StoreCorners(HKEY key, const BYTE (&corners)[CornerCount])
{
    TextBuffer name;
    if (!LoadLibraryText(IDS_REG_MOUSE_CORNERS, name))
        return;
    char text[CornersValueSize];
    EncodeCornersValue(corners, text);
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE *>(text), sizeof text);
}

// Loads a provider from the system directory for one call of entry and
// releases it at once. A missing library or export is passed over
// silently. True when called.
bool CallProvider(const char *library, const char *entry, DWORD &answer)
{
    HMODULE module = LoadSystemComponent(library);
    if (!module)
        return false;
    auto call = reinterpret_cast<ProviderEntry>(reinterpret_cast<void *>(GetProcAddress(module, entry)));
    if (call)
        answer = call();
    FreeLibrary(module);
    return call != nullptr;
}

// The System Agent's library, with the entry named by entryId; both names
// come from the string table, and without them there is nothing to call.
bool CallAgentLibrary(UINT entryId, DWORD &answer)
{
    TextBuffer library;
    TextBuffer entry;
    return LoadLibraryText(IDS_AGENT_DLL, library) && LoadLibraryText(entryId, entry) &&
           CallProvider(library, entry, answer);
}

// The providers learn only that something changed; they read the registry.
void TellProvidersOfChange()
{
    ScrTrace("Dusklit: GeneralDialog: Sage being notified of corners");
    DWORD ignored = 0;
    CallAgentLibrary(IDS_AGENT_CHANGED_ENTRY, ignored);
    CallProvider(CornixLibrary, CornixChangedEntry, ignored);
}

// Sent and waited for, not posted: a message below WM_USER that carries a
// pointer cannot travel asynchronously. The section name goes out as wide
// text, which the system converts for ANSI windows; an ANSI broadcast is
// passed on unconverted by some systems (Wine 8), so every window would
// read a garbled name.
void BroadcastChange()
{
    ScrTrace("Dusklit: GeneralDialog: system being notified of changes");
    static const wchar_t section[] = L"Windows";
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(HWND_BROADCAST, WM_WININICHANGE, 0, reinterpret_cast<LPARAM>(section), SMTO_ABORTIFHUNG,
                        BroadcastTimeoutMs, &ignored);
}

} // namespace

GeneralDialog::GeneralDialog()
{
    ReadRegistry();
    Remember();
}

void GeneralDialog::ReadRegistry()
{
    TextBuffer subkey;
    if (!LoadLibraryText(IDS_REG_SCREEN_SAVERS_KEY, subkey))
        return;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, subkey, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return;

    if (QueryNumber(key, IDS_REG_PASSWORD_DELAY, passwordDelay))
        passwordDelay = ClampPasswordDelay(passwordDelay);
    if (QueryNumber(key, IDS_REG_PASSWORD_DELAY_INDEX, passwordDelayIndex))
        passwordDelayIndex = ClampPasswordDelayIndex(passwordDelayIndex);
    QueryNumber(key, IDS_REG_MOUSE_THRESHOLD, mouseThreshold);
    // The sensitivity list has four entries: whatever the index holds, once
    // its name is known it is brought into the list.
    TextBuffer name;
    if (LoadLibraryText(IDS_REG_MOUSE_THRESHOLD_INDEX, name)) {
        QueryNumber(key, name, mouseThresholdIndex);
        mouseThresholdIndex = ClampMouseThresholdIndex(mouseThresholdIndex);
    }
    QueryCorners(key, corners);
    // Settings the saver does not offer stay untouched in the registry.
    if (CurrentPrefs.Sound)
        QueryNumber(key, IDS_REG_MUTE_SOUND, muteSound);
    if (CurrentPrefs.ActiveConfig)
        QueryNumber(key, IDS_REG_ACTIVE_CONFIG, allowActiveConfig);

    RegCloseKey(key);
}

LONG GeneralDialog::WriteRegistry()
{
    ScrTrace("Dusklit: GeneralDialog: WriteRegistry.");
    TextBuffer subkey;
    if (!LoadLibraryText(IDS_REG_SCREEN_SAVERS_KEY, subkey))
        return 0;
    HKEY key = nullptr;
    LONG error = RegCreateKeyExA(HKEY_CURRENT_USER, subkey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                                 nullptr, &key, nullptr);
    if (error != ERROR_SUCCESS)
        return error;

    StoreNumber(key, IDS_REG_PASSWORD_DELAY, passwordDelay);
    StoreNumber(key, IDS_REG_PASSWORD_DELAY_INDEX, passwordDelayIndex);
    StoreNumber(key, IDS_REG_MOUSE_THRESHOLD, mouseThreshold);
    StoreNumber(key, IDS_REG_MOUSE_THRESHOLD_INDEX, mouseThresholdIndex);
    StoreCorners(key, corners);
    if (CurrentPrefs.Sound)
        StoreNumber(key, IDS_REG_MUTE_SOUND, muteSound);
    if (CurrentPrefs.ActiveConfig)
        StoreNumber(key, IDS_REG_ACTIVE_CONFIG, allowActiveConfig);

    return RegCloseKey(key);
}

void GeneralDialog::Remember()
{
    for (int i = 0; i < CornerCount; ++i)
        savedCorners[i] = corners[i];
    savedMuteSound = muteSound;
    savedMouseThreshold = mouseThreshold;
    savedMouseThresholdIndex = mouseThresholdIndex;
    savedPasswordDelay = passwordDelay;
    savedPasswordDelayIndex = passwordDelayIndex;
    savedAllowActiveConfig = allowActiveConfig;
}

int GeneralDialog::Revert()
{
    bool cornersSame = true;
    for (int i = 0; i < CornerCount; ++i)
        cornersSame = cornersSame && corners[i] == savedCorners[i];
    if (cornersSame && muteSound == savedMuteSound && mouseThreshold == savedMouseThreshold &&
        mouseThresholdIndex == savedMouseThresholdIndex && passwordDelay == savedPasswordDelay &&
        passwordDelayIndex == savedPasswordDelayIndex && allowActiveConfig == savedAllowActiveConfig)
        return 0;

    for (int i = 0; i < CornerCount; ++i)
        corners[i] = savedCorners[i];
    muteSound = savedMuteSound;
    mouseThreshold = savedMouseThreshold;
    mouseThresholdIndex = savedMouseThresholdIndex;
    passwordDelay = savedPasswordDelay;
    passwordDelayIndex = savedPasswordDelayIndex;
    allowActiveConfig = savedAllowActiveConfig;
    return 1;
}

LRESULT GeneralDialog::NotifyChanges(HWND page, int applied) const
{
    if (applied)
        BroadcastChange();
    else
        TellProvidersOfChange();

    // Receivers copy what they need before the send returns; until then
    // the block and the notice are issued, which is how the host and the
    // saver tell them from any number another program sends them.
    ScrGeneralSettings block = Settings();
    HWND sheet = GetParent(page);
    ScrChangeNotice notice = {sheet, applied ? AppliedChangeCode : LiveChangeCode, &block};
    IssuedScope issuedBlock(&block, Issued::SettingsBlock);
    IssuedScope issuedNotice(&notice, Issued::ChangeNotice);
    return SendMessageA(GetParent(sheet), SCRM_SETTINGSCHANGED, 0, reinterpret_cast<LPARAM>(&notice));
}

ScrGeneralSettings GeneralDialog::Settings() const
{
    ScrGeneralSettings block = {};
    block.size = sizeof block;
    for (int i = 0; i < CornerCount; ++i)
        block.corners[i] = corners[i];
    block.muteSound = muteSound;
    block.mouseThreshold = mouseThreshold;
    block.passwordDelay = passwordDelay;
    block.allowActiveConfig = allowActiveConfig;
    return block;
}

LONG GeneralDialog::DetectSystemAgent()
{
    DWORD answer = 0;
    CallAgentLibrary(IDS_AGENT_DETECT_ENTRY, answer);
    // Cornix, when it answers, has the last word.
    CallProvider(CornixLibrary, CornixDetectEntry, answer);
    return static_cast<LONG>(answer);
}
