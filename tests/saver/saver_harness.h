// A saver window for in-process tests: a window class whose procedure lets
// the test answer a message first (as a saver's own procedure would) and
// passes everything else to DefSaverProc, plus the preferences the tests
// need around it. Registry values and message pumping come from the shared
// test support.
#pragma once
#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "dusklit.h"
#include "tests/support/message_pump.h"
#include "tests/support/registry_scope.h"

namespace harness {

// Answers a message instead of DefSaverProc when it returns a value.
using SaverHook = std::function<std::optional<LRESULT>(HWND, UINT, WPARAM, LPARAM)>;

// Preferences for one test; the defaults come back afterwards.
struct PrefsChange {
    LONG Debug = 1;
    LONG DebugWindow = 0;
    LONG NoTimers = 1;
    LONG ActiveConfig = 0;
    LONG ActiveConfigPassword = 1;
    LONG AlwaysRequirePassword = 0;
};

class PrefsScope {
public:
    explicit PrefsScope(const PrefsChange &change);
    ~PrefsScope();
};

class TestSaver {
public:
    // The full-screen kind (no parent) when parent is null, else a preview
    // filling parent.
    explicit TestSaver(SaverHook hook = {}, HWND parent = nullptr);
    ~TestSaver();
    TestSaver(const TestSaver &) = delete;
    TestSaver &operator=(const TestSaver &) = delete;

    HWND Handle() const { return window_; }
    bool Alive() const { return window_ && IsWindow(window_); }
    // Messages the window received, in order (only those the test asked
    // to record with Record()).
    const std::vector<UINT> &Recorded() const { return recorded_; }
    void Record(UINT message) { watched_.push_back(message); }

    // Sends the message, then dispatches the queue: true when the window
    // is gone afterwards.
    bool ClosesAfter(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    // The run loop's end seen while draining, if any.
    PumpResult LastPump() const { return lastPump_; }

private:
    static LRESULT CALLBACK Procedure(HWND, UINT, WPARAM, LPARAM);
    HWND window_ = nullptr;
    SaverHook hook_;
    std::vector<UINT> watched_;
    std::vector<UINT> recorded_;
    PumpResult lastPump_;
};

// SCRM_SETTINGSCHANGED with a general-settings block, issued as the
// framework issues the blocks it sends.
LRESULT SendGeneralSettings(HWND window, LONG mouseThreshold, LONG passwordDelay, LONG allowActiveConfig,
                            WPARAM code = SCRCHANGE_GENERAL | SCRCHANGE_LIVE);

constexpr char DesktopKey[] = "Control Panel\\Desktop";
constexpr char UsePasswordValue[] = "ScreenSaveUsePassword";
constexpr char SettingsKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Screen Savers";

} // namespace harness
