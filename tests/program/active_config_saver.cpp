// active_config_saver.exe: a saver built on Dusklit for program_config.
//
// Unlike brix.scr, which runs with the default preferences, it says in its
// preferences that it supports active configuration, so Shift opens the
// configuration over it when the user allows that too ("Active Config" in
// the registry). It tells the tests what it hears on the debug-output
// channel, each line starting with "active_config_saver: ":
//
//   "tick N"                         the Nth timer tick;
//   "settings 0xCODE: mouse threshold T"
//                                    a SCRM_SETTINGSCHANGED with General
//                                    settings, before DefSaverProc takes it;
//   "mouse at X,Y"                   a mouse move, after DefSaverProc has
//                                    judged it against the threshold;
//   "destroyed"                      WM_DESTROY or WM_NCDESTROY reached it.
//
// Its ticks are an hour apart, so every tick after the first is one that a
// settings change woke. The framework's own debug trace is on as well, so
// the tests can also see how DefSaverProc judged keys and movement.
#include <windows.h>

#include <cstdio>

#include "dusklit.h"

namespace {

constexpr LRESULT TickPeriodMs = 60 * 60 * 1000;

void Report(const char *text)
{
    char line[200];
    std::snprintf(line, sizeof line, "active_config_saver: %s", text);
    OutputDebugStringA(line);
}

void ReportTick()
{
    static int ticks = 0;
    char text[32];
    std::snprintf(text, sizeof text, "tick %d", ++ticks);
    Report(text);
}

void ReportSettings(WPARAM code, LPARAM data)
{
    const ScrGeneralSettings *settings = ScrChangedSettings(code, data);
    if (!settings)
        return;
    char text[80];
    std::snprintf(text, sizeof text, "settings 0x%04lX: mouse threshold %ld",
                  static_cast<unsigned long>(code & 0xFFFF), static_cast<long>(settings->mouseThreshold));
    Report(text);
}

void ReportCursor()
{
    POINT cursor = {};
    GetCursorPos(&cursor);
    char text[48];
    std::snprintf(text, sizeof text, "mouse at %ld,%ld", static_cast<long>(cursor.x), static_cast<long>(cursor.y));
    Report(text);
}

LRESULT CALLBACK SaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case SCRM_TIMER:
        ReportTick();
        return TickPeriodMs;
    case SCRM_SETTINGSCHANGED:
        ReportSettings(wParam, lParam);
        break;
    case WM_DESTROY:
    case WM_NCDESTROY:
        Report("destroyed");
        break;
    case WM_MOUSEMOVE: {
        LRESULT result = DefSaverProc(window, message, wParam, lParam);
        ReportCursor();
        return result;
    }
    }
    return DefSaverProc(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    if (ScrPrefs *prefs = ScrGetPrefs()) {
        prefs->ActiveConfig = 1;
        prefs->Debug = 1;
        ScrSetPrefs(prefs);
    }
    return ScrMain(instance, SaverProc, nullptr, nullptr, 0);
}
