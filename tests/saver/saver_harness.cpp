#include "tests/saver/saver_harness.h"

#include <algorithm>
#include <cstring>

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

RegistryValueScope::RegistryValueScope(const std::string &key, const std::string &name, std::optional<DWORD> value)
    : key_(key), name_(name)
{
    HKEY handle = nullptr;
    keyExisted_ = RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &handle) == ERROR_SUCCESS;
    if (keyExisted_) {
        char buffer[1024];
        DWORD size = sizeof buffer;
        if (RegQueryValueExA(handle, name.c_str(), nullptr, &oldType_, reinterpret_cast<BYTE *>(buffer), &size) ==
            ERROR_SUCCESS) {
            hadValue_ = true;
            oldBytes_.assign(buffer, size);
        }
        RegCloseKey(handle);
    }
    if (value)
        Write(REG_DWORD, std::string(reinterpret_cast<const char *>(&*value), sizeof(DWORD)));
    else
        Write(std::nullopt, "");
}

RegistryValueScope::RegistryValueScope(const std::string &key, const std::string &name, DWORD type,
                                       const std::string &bytes)
    : RegistryValueScope(key, name, std::nullopt)
{
    Write(type, bytes);
}

void RegistryValueScope::Write(std::optional<DWORD> type, const std::string &bytes)
{
    HKEY handle = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, key_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &handle, nullptr) !=
        ERROR_SUCCESS)
        return;
    if (type)
        RegSetValueExA(handle, name_.c_str(), 0, *type, reinterpret_cast<const BYTE *>(bytes.data()),
                       static_cast<DWORD>(bytes.size()));
    else
        RegDeleteValueA(handle, name_.c_str());
    RegCloseKey(handle);
}

RegistryValueScope::~RegistryValueScope()
{
    if (hadValue_) {
        Write(oldType_, oldBytes_);
    } else if (keyExisted_) {
        Write(std::nullopt, "");
    } else {
        Write(std::nullopt, "");
        RegDeleteKeyA(HKEY_CURRENT_USER, key_.c_str());
    }
}

PumpResult Drain()
{
    PumpResult result;
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            result.quit = true;
            result.quitCode = static_cast<int>(message.wParam);
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return result;
}

PumpResult Pump(DWORD ms)
{
    PumpResult result;
    const DWORD start = GetTickCount();
    for (;;) {
        PumpResult step = Drain();
        if (step.quit)
            return step;
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= ms)
            return result;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, ms - elapsed, QS_ALLINPUT);
    }
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
