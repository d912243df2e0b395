#include "saver/display_state.h"

#include <atomic>
#include <cstring>

#include "saver/debug_output.h"
#include "saver/issued.h"
#include "saver/system_components.h"

namespace {

// {6FE69556-704A-47A0-8F24-C28D936FDA47}: 0 off, 1 on, 2 dimmed.
const GUID ConsoleDisplayState = {0x6fe69556, 0x704a, 0x47a0, {0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47}};
// {02731015-4510-4526-99E6-E5A17EBD1AEA}: 0 off, 1 on.
const GUID MonitorPowerOn = {0x02731015, 0x4510, 0x4526, {0x99, 0xe6, 0xe5, 0xa1, 0x7e, 0xbd, 0x1a, 0xea}};

constexpr WPARAM PowerSettingChange = 0x8013; // PBT_POWERSETTINGCHANGE
constexpr DWORD NotifyWindowHandle = 0;        // DEVICE_NOTIFY_WINDOW_HANDLE
constexpr DWORD DisplayOff = 0;
constexpr DWORD DisplayDimmed = 2;

using RegisterProc = HANDLE(WINAPI *)(HANDLE recipient, LPCGUID setting, DWORD flags);
using UnregisterProc = BOOL(WINAPI *)(HANDLE notification);

std::atomic<bool> Dark{false};
HANDLE Registration = nullptr;

// The report's head: which setting, and how many bytes of data follow.
struct ReportHead {
    GUID setting;
    DWORD dataLength;
};

} // namespace

void WatchDisplayState(HWND fullWindow)
{
    StopWatchingDisplayState();
    auto registerFor = SystemEntry<RegisterProc>("user32.dll", "RegisterPowerSettingNotification");
    if (!registerFor)
        return;
    Registration = registerFor(fullWindow, &ConsoleDisplayState, NotifyWindowHandle);
    if (!Registration)
        Registration = registerFor(fullWindow, &MonitorPowerOn, NotifyWindowHandle);
    ScrTrace(Registration ? "Display: the saver hears when the display goes dark"
                          : "Display: the system does not say when the display goes dark");
}

void StopWatchingDisplayState()
{
    Dark = false;
    if (!Registration)
        return;
    auto unregister = SystemEntry<UnregisterProc>("user32.dll", "UnregisterPowerSettingNotification");
    if (unregister)
        unregister(Registration);
    Registration = nullptr;
}

DisplayNews ReadDisplayNews(WPARAM wParam, LPARAM lParam)
{
    if (wParam != PowerSettingChange || !IsReadableMemory(lParam, sizeof(ReportHead)))
        return DisplayNews::None;
    ReportHead head;
    std::memcpy(&head, reinterpret_cast<const void *>(lParam), sizeof head);
    const bool console = IsEqualGUID(head.setting, ConsoleDisplayState) != FALSE;
    if (!console && !IsEqualGUID(head.setting, MonitorPowerOn))
        return DisplayNews::None;
    if (head.dataLength < sizeof(DWORD) || !IsReadableMemory(lParam, sizeof head + sizeof(DWORD)))
        return DisplayNews::None;
    DWORD state = 0;
    std::memcpy(&state, reinterpret_cast<const BYTE *>(lParam) + sizeof head, sizeof state);
    const bool dark = state == DisplayOff || (console && state == DisplayDimmed);
    return dark ? DisplayNews::Dark : DisplayNews::Lit;
}

bool DisplayIsDark()
{
    return Dark;
}

void NoteDisplay(DisplayNews news)
{
    if (news != DisplayNews::None)
        Dark = news == DisplayNews::Dark;
}
