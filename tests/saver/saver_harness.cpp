#include "tests/saver/saver_harness.h"

#include <algorithm>

#include "saver/issued.h"
#include "saver/prefs.h"

namespace harness {

namespace {

const char ClassName[] = "DusklitTestSaverClass";
TestSaver *Creating = nullptr; // the saver whose window is being created

void InstallPrefs(const PrefsChange &change)
{
    ScrPrefs *prefs = ScrGetPrefs();
    prefs->Debug = change.Debug;
    prefs->DebugWindow = change.DebugWindow;
    prefs->NoTimers = change.NoTimers;
    prefs->ActiveConfig = change.ActiveConfig;
    prefs->ActiveConfigPassword = change.ActiveConfigPassword;
    prefs->AlwaysRequirePassword = change.AlwaysRequirePassword;
    ScrSetPrefs(prefs);
}

} // namespace

PrefsScope::PrefsScope(const PrefsChange &change)
{
    InstallPrefs(change);
}

PrefsScope::~PrefsScope()
{
    PrefsChange defaults;
    defaults.Debug = 0;
    defaults.NoTimers = 0;
    InstallPrefs(defaults);
}

TestSaver::TestSaver(SaverHook hook, HWND parent) : hook_(std::move(hook))
{
    static bool registered = [] {
        WNDCLASSA saverClass = {};
        saverClass.lpfnWndProc = Procedure;
        saverClass.hInstance = GetModuleHandleA(nullptr);
        saverClass.lpszClassName = ClassName;
        saverClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
        return RegisterClassA(&saverClass) != 0;
    }();
    (void)registered;
    Creating = this;
    if (parent) {
        RECT outer = {};
        GetWindowRect(parent, &outer);
        window_ = CreateWindowExA(0, ClassName, "SaverPreview", WS_CHILD | WS_VISIBLE, 0, 0, outer.right - outer.left,
                                  outer.bottom - outer.top, parent, nullptr, GetModuleHandleA(nullptr), nullptr);
    } else {
        window_ = CreateWindowExA(0, ClassName, "SaverWindow", WS_POPUP | WS_VISIBLE, 0, 0, 320, 240, nullptr,
                                  nullptr, GetModuleHandleA(nullptr), nullptr);
    }
    Creating = nullptr;
}

TestSaver::~TestSaver()
{
    if (Alive())
        DestroyWindow(window_);
    // The WM_QUIT a destroyed saver posts belongs to this test only.
    Drain();
}

bool TestSaver::ClosesAfter(UINT message, WPARAM wParam, LPARAM lParam)
{
    SendMessageA(window_, message, wParam, lParam);
    lastPump_ = Drain();
    return !Alive();
}

LRESULT CALLBACK TestSaver::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto *saver = reinterpret_cast<TestSaver *>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!saver && Creating) {
        saver = Creating;
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(saver));
    }
    if (saver) {
        if (std::find(saver->watched_.begin(), saver->watched_.end(), message) != saver->watched_.end())
            saver->recorded_.push_back(message);
        if (saver->hook_) {
            if (std::optional<LRESULT> answer = saver->hook_(window, message, wParam, lParam))
                return *answer;
        }
    }
    return DefSaverProc(window, message, wParam, lParam);
}

LRESULT SendGeneralSettings(HWND window, LONG mouseThreshold, LONG passwordDelay, LONG allowActiveConfig, WPARAM code)
{
    ScrGeneralSettings settings = {};
    settings.size = sizeof settings;
    settings.mouseThreshold = mouseThreshold;
    settings.passwordDelay = passwordDelay;
    settings.allowActiveConfig = allowActiveConfig;
    // Sent as the configuration host sends it: the block is issued.
    IssuedScope issued(&settings, Issued::SettingsBlock);
    return SendMessageA(window, SCRM_SETTINGSCHANGED, code, reinterpret_cast<LPARAM>(&settings));
}

} // namespace harness
