#include "saver/monitors.h"

#include "dusklit.h"
#include "library/startup.h"
#include "saver/prefs.h"

namespace {

// Fills the caller's buffer as far as it goes and counts every monitor.
struct MonitorList {
    HWND window;
    ScrMonitor *out;
    int capacity;
    int count;
};

BOOL CALLBACK CollectMonitor(HMONITOR monitor, HDC, LPRECT screenRect, LPARAM data)
{
    auto &list = *reinterpret_cast<MonitorList *>(data);
    if (list.count < list.capacity) {
        ScrMonitor &entry = list.out[list.count];
        entry.rect = *screenRect;
        MapWindowPoints(nullptr, list.window, reinterpret_cast<POINT *>(&entry.rect), 2);
        MONITORINFO info = {};
        info.cbSize = sizeof info;
        entry.primary = GetMonitorInfoA(monitor, &info) && (info.dwFlags & MONITORINFOF_PRIMARY) ? TRUE : FALSE;
    }
    ++list.count;
    return TRUE;
}

// A preview sits in a small picture of one screen, and the debug window is
// a small stand-in for the full-screen one: for both, the whole client area
// is the one screen the saver draws on.
bool DrawsOnOneScreen(HWND window)
{
    if (GetWindowLongA(window, GWL_STYLE) & WS_CHILD)
        return true;
    return CurrentPrefs.DebugWindow != 0;
}

} // namespace

RECT VirtualScreenRect()
{
    RECT screen = {GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN), 0, 0};
    int width = GetSystemMetrics(SM_CXVIRTUALSCREEN);
    int height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    if (width <= 0 || height <= 0) {
        screen.left = screen.top = 0;
        width = GetSystemMetrics(SM_CXSCREEN);
        height = GetSystemMetrics(SM_CYSCREEN);
    }
    screen.right = screen.left + width;
    screen.bottom = screen.top + height;
    return screen;
}

int WINAPI ScrGetMonitors(HWND window, ScrMonitor *monitors, int maxCount)
{
    ScrEnsureStarted();
    if (!window || !IsWindow(window))
        return 0;
    MonitorList list = {window, monitors, monitors && maxCount > 0 ? maxCount : 0, 0};
    if (DrawsOnOneScreen(window)) {
        if (list.capacity > 0) {
            RECT client = {};
            GetClientRect(window, &client);
            monitors[0].rect = client;
            monitors[0].primary = TRUE;
        }
        return 1;
    }
    EnumDisplayMonitors(nullptr, nullptr, CollectMonitor, reinterpret_cast<LPARAM>(&list));
    return list.count;
}
