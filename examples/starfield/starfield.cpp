// Starfield: a screen saver built on Dusklit the way any author would
// build one. Stars stream out of the middle of every monitor, each monitor
// with a sky of its own; the saver's own configuration page shows the same
// sky, live, inside a monitor picture.
//
// Everything the framework offers comes through dusklit.h: ScrMain runs
// the mode the command line asks for, SCRM_TIMER ticks drive the drawing,
// SCRM_SETTINGSCHANGED tells the saver when the user changes a setting,
// ScrGetMonitors says where the monitors lie in the window, CreatePreview
// puts a preview into the page's monitor control, and DefSaverProc does
// the rest (closing on input, the password, the timer, following the
// desktop when a monitor comes or goes).
#include <windows.h>

#include <cstdio>
#include <map>
#include <vector>

#include "dusklit.h"
#include "sky.h"
#include "starfield_ids.h"

static_assert(STARFIELD_MONITOR_STYLE == (WS_CHILD | WS_VISIBLE | MS_PREVIEW),
              "the page's monitor control frames a preview");

namespace {

constexpr LRESULT FramePeriodMs = 40; // 25 pictures a second
constexpr int MaxMonitors = 16;       // skies beyond these would be too small to see anyway

// One sky per monitor, streaming out of that monitor's middle.
struct MonitorSky {
    Sky sky;
    RECT rect; // the monitor, in the window's client coordinates
};

// One per saver window: a preview and the full-screen saver may run at
// once, each with its own skies and picture.
struct StarfieldWindow {
    std::uint32_t seed = 0;         // the first sky's; the others follow from it
    std::vector<MonitorSky> skies;  // empty until the monitors are known
    HDC picture = nullptr;      // off-screen copy of what the window shows
    HBITMAP bitmap = nullptr;
    HGDIOBJ oldBitmap = nullptr;
    int width = 0, height = 0;
};

// Kept by the program itself, not in a window slot: any program on the
// desktop can write a window's GWLP_USERDATA. All saver windows live on
// the thread that entered the framework, so the table needs no lock.
std::map<HWND, StarfieldWindow *> States;

StarfieldWindow *StateOf(HWND window)
{
    auto found = States.find(window);
    return found == States.end() ? nullptr : found->second;
}

void ReleasePicture(StarfieldWindow &state)
{
    if (!state.picture)
        return;
    SelectObject(state.picture, state.oldBitmap);
    DeleteObject(state.bitmap);
    DeleteDC(state.picture);
    state.picture = nullptr;
    state.bitmap = nullptr;
}

// The off-screen picture follows the window's size; a new one starts black.
bool EnsurePicture(HWND window, StarfieldWindow &state)
{
    RECT client;
    GetClientRect(window, &client);
    if (state.picture && client.right == state.width && client.bottom == state.height)
        return true;
    ReleasePicture(state);
    state.width = client.right;
    state.height = client.bottom;
    HDC screen = GetDC(window);
    state.picture = CreateCompatibleDC(screen);
    state.bitmap = CreateCompatibleBitmap(screen, state.width, state.height);
    ReleaseDC(window, screen);
    if (!state.picture || !state.bitmap) {
        if (state.bitmap)
            DeleteObject(state.bitmap);
        if (state.picture)
            DeleteDC(state.picture);
        state.picture = nullptr;
        state.bitmap = nullptr;
        return false;
    }
    state.oldBitmap = SelectObject(state.picture, state.bitmap);
    PatBlt(state.picture, 0, 0, state.width, state.height, BLACKNESS);
    return true;
}

// Where the monitors lie in the window, asked again whenever the window's
// size changes (the framework resizes the full-screen window when a
// monitor comes or goes). A preview counts as one monitor, so it gets one
// sky like the first monitor's. A sky whose monitor moved forgets its
// streaks, which were drawn at the old place.
void FindMonitors(HWND window, StarfieldWindow &state)
{
    ScrMonitor found[MaxMonitors];
    int count = ScrGetMonitors(window, found, MaxMonitors);
    if (count > MaxMonitors)
        count = MaxMonitors;
    const int known = static_cast<int>(state.skies.size());
    state.skies.resize(count);
    for (int i = 0; i < count; ++i) {
        MonitorSky &monitor = state.skies[i];
        if (i >= known)
            SeedSky(monitor.sky, state.seed + 7919u * static_cast<std::uint32_t>(i));
        else if (EqualRect(&monitor.rect, &found[i].rect))
            continue;
        monitor.rect = found[i].rect;
        for (Star &star : monitor.sky.stars)
            star.lastX = star.lastY = -1;
    }
}

// Each star is a short streak from where it was to where it is now, a
// little blue when far away and white when near. A star is projected about
// the middle of its own monitor and drawn only while it lies inside it.
void DrawMonitorSky(HDC dc, MonitorSky &monitor)
{
    const RECT &area = monitor.rect;
    for (Star &star : monitor.sky.stars) {
        int x, y, brightness;
        if (!ProjectStar(star, area.right - area.left, area.bottom - area.top, x, y, brightness)) {
            star.lastX = star.lastY = -1;
            continue;
        }
        SetDCPenColor(dc, RGB(brightness * 3 / 4, brightness * 7 / 8, brightness));
        if (star.lastX >= 0) {
            MoveToEx(dc, area.left + star.lastX, area.top + star.lastY, nullptr);
            LineTo(dc, area.left + x, area.top + y);
        }
        SetPixel(dc, area.left + x, area.top + y, RGB(brightness, brightness, brightness));
        star.lastX = x;
        star.lastY = y;
    }
}

void DrawSkies(StarfieldWindow &state)
{
    HDC dc = state.picture;
    PatBlt(dc, 0, 0, state.width, state.height, BLACKNESS);
    HGDIOBJ oldPen = SelectObject(dc, GetStockObject(DC_PEN));
    for (MonitorSky &monitor : state.skies)
        DrawMonitorSky(dc, monitor);
    SelectObject(dc, oldPen);
}

void ShowPicture(HWND window, HDC dc, const StarfieldWindow *state)
{
    if (state && state->picture) {
        BitBlt(dc, 0, 0, state->width, state->height, state->picture, 0, 0, SRCCOPY);
    } else {
        RECT client;
        GetClientRect(window, &client);
        FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    }
}

void OnCreate(HWND window)
{
    auto *state = new StarfieldWindow;
    // Different windows get different skies.
    state->seed = GetTickCount() ^ static_cast<std::uint32_t>(reinterpret_cast<UINT_PTR>(window));
    delete StateOf(window); // a second WM_CREATE, sent by another program
    States[window] = state;
}

LRESULT OnTimer(HWND window)
{
    StarfieldWindow *state = StateOf(window);
    if (!state || !EnsurePicture(window, *state))
        return FramePeriodMs;
    if (state->skies.empty())
        FindMonitors(window, *state);
    for (MonitorSky &monitor : state->skies)
        StepSky(monitor.sky);
    DrawSkies(*state);
    HDC dc = GetDC(window);
    ShowPicture(window, dc, state);
    ReleaseDC(window, dc);
    return FramePeriodMs;
}

void OnPaint(HWND window)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    ShowPicture(window, dc, StateOf(window));
    EndPaint(window, &paint);
}

// The user changed a setting on the General page (or applied it). The sky
// lurches forward, so the change visibly arrived; the debug-output line
// says what arrived, for whoever watches. Any program can send this
// message with any lParam: the block is read only through
// ScrChangedSettings, which knows the blocks the framework sent.
void OnSettingsChanged(HWND window, WPARAM code, LPARAM data)
{
    char line[160];
    if (const ScrGeneralSettings *settings = ScrChangedSettings(code, data)) {
        std::snprintf(line, sizeof line,
                      "Starfield: settings changed, code 0x%04X, mouse threshold %ld, mute %ld\n",
                      static_cast<unsigned>(code), static_cast<long>(settings->mouseThreshold),
                      static_cast<long>(settings->muteSound));
    } else {
        std::snprintf(line, sizeof line, "Starfield: settings changed, code 0x%04X\n", static_cast<unsigned>(code));
    }
    OutputDebugStringA(line);
    if (StarfieldWindow *state = StateOf(window)) {
        for (MonitorSky &monitor : state->skies)
            WarpSky(monitor.sky);
    }
}

void OnSize(HWND window)
{
    if (StarfieldWindow *state = StateOf(window))
        FindMonitors(window, *state);
}

void OnDestroy(HWND window)
{
    StarfieldWindow *state = StateOf(window);
    States.erase(window);
    if (state) {
        ReleasePicture(*state);
        delete state;
    }
}

LRESULT CALLBACK StarfieldProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        OnCreate(window);
        break; // DefSaverProc starts the ticks
    case WM_SIZE:
        OnSize(window);
        break;
    case SCRM_TIMER:
        return OnTimer(window);
    case WM_ERASEBKGND:
        return 1; // the picture covers everything
    case WM_PAINT:
        OnPaint(window);
        return 0;
    case SCRM_SETTINGSCHANGED:
        OnSettingsChanged(window, wParam, lParam);
        return 0;
    case WM_DESTROY:
        OnDestroy(window);
        break; // DefSaverProc stops the ticks
    }
    return DefSaverProc(window, message, wParam, lParam);
}

// The example's own page of the configuration sheet: the sky, live.
INT_PTR CALLBACK StarfieldPageProc(HWND page, UINT message, WPARAM, LPARAM)
{
    if (message == WM_INITDIALOG) {
        CreatePreview(GetDlgItem(page, IDC_STARFIELD_MONITOR));
        return TRUE;
    }
    return FALSE;
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    return ScrMain(instance, StarfieldProc, StarfieldPageProc, nullptr, 0);
}
