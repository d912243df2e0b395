// The default saver procedure as a saver sees it: which input closes the
// full-screen window and which does not, the password before closing,
// active configuration, the system commands it swallows, previews, the
// end of the run loop, and the desktop's monitors as the saver sees them.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "saver/def_saver_proc.h"
#include "saver/real_input.h"
#include "saver/timer.h"
#include "tests/saver/saver_harness.h"
#include "tests/support/preview_host.h"
#include "tests/support/process_windows.h"
#include "tests/support/trace_capture.h"

using namespace harness;

namespace {

// The cursor where a test wants it before the saver starts measuring.
void PlaceCursor(int x, int y)
{
    ASSERT_TRUE(SetCursorPos(x, y));
    POINT now = {};
    GetCursorPos(&now);
    ASSERT_EQ(now.x, x);
    ASSERT_EQ(now.y, y);
}

// Stands in for the keyboard and mouse while it lives: every key and
// button is held down, as when the user really presses Shift or the right
// button.
class HeldInput {
public:
    HeldInput() : previous_(KeyHeld) { KeyHeld = [](int) { return true; }; }
    ~HeldInput() { KeyHeld = previous_; }

private:
    bool (*previous_)(int);
};

// A click's position, in the window's client coordinates, where the cursor is.
LPARAM AtCursor(HWND window)
{
    POINT cursor = {};
    GetCursorPos(&cursor);
    ScreenToClient(window, &cursor);
    return MAKELPARAM(cursor.x, cursor.y);
}

bool MovesAndCloses(TestSaver &saver, int x, int y)
{
    SetCursorPos(x, y);
    return saver.ClosesAfter(WM_MOUSEMOVE, 0, MAKELPARAM(1, 1));
}

// Runs work on another thread of this process while this one takes the
// messages it sends and posts; whether a WM_QUIT came by meanwhile.
bool FromAnotherThread(const std::function<void()> &work)
{
    std::atomic<bool> done{false};
    std::thread other([&] {
        work();
        done = true;
    });
    bool quit = false;
    while (!done)
        quit = Pump(10).quit || quit;
    other.join();
    return Drain().quit || quit;
}

// Counts the dialogs this thread starts to create, and stops each one, so
// a configuration that opens by mistake shows here instead of waiting for
// an answer.
class DialogBlocker {
public:
    DialogBlocker() : start_(blocked_) { hook_ = SetWindowsHookExA(WH_CBT, Watch, nullptr, GetCurrentThreadId()); }
    ~DialogBlocker() { UnhookWindowsHookEx(hook_); }
    int Blocked() const { return blocked_ - start_; }

private:
    static LRESULT CALLBACK Watch(int code, WPARAM wParam, LPARAM lParam)
    {
        if (code == HCBT_CREATEWND) {
            char name[16] = "";
            GetClassNameA(reinterpret_cast<HWND>(wParam), name, sizeof name);
            if (std::string(name) == "#32770") {
                ++blocked_;
                return 1;
            }
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    HHOOK hook_;
    int start_;
    static inline int blocked_ = 0;
};

class DefSaver : public ::testing::Test {
protected:
    void SetUp() override { PlaceCursor(300, 300); }
    // The stored delay a saver starts with: the default, 60 seconds.
    RegistryValueScope delay_{SettingsKey, "Password Delay", std::nullopt};
};

TEST_F(DefSaver, MouseClosesOnlyBeyondTheThresholdOnEitherAxis)
{
    PrefsScope prefs({});
    RegistryValueScope threshold(SettingsKey, "Mouse Threshold", 200);
    TestSaver saver;
    ASSERT_TRUE(saver.Alive());
    ASSERT_EQ(SaverRunState.mouseThreshold, 200) << "read from the stored settings at creation";

    EXPECT_FALSE(MovesAndCloses(saver, 500, 300)) << "200 pixels right is not beyond 200";
    EXPECT_FALSE(MovesAndCloses(saver, 450, 450)) << "150 on both axes: each axis counts by itself";
    EXPECT_FALSE(MovesAndCloses(saver, 100, 100)) << "200 up-left, measured from the start, not the last move";
    EXPECT_TRUE(MovesAndCloses(saver, 501, 300)) << "201 pixels closes";
    EXPECT_TRUE(saver.LastPump().quit);
    EXPECT_EQ(saver.LastPump().quitCode, 2);
}

TEST_F(DefSaver, ThresholdZeroClosesOnOnePixelButNotOnAStillMouse)
{
    PrefsScope prefs({});
    TestSaver saver;
    ASSERT_EQ(SendGeneralSettings(saver.Handle(), 0, 0, 0), 1);
    EXPECT_FALSE(MovesAndCloses(saver, 300, 300)) << "a move message without movement";
    EXPECT_TRUE(MovesAndCloses(saver, 300, 301));
}

TEST_F(DefSaver, KeysAndButtonDownsCloseButReleasesWheelAndSystemKeysDoNot)
{
    PrefsScope prefs({});
    for (WPARAM key : {WPARAM('A'), WPARAM(VK_SPACE), WPARAM(VK_ESCAPE), WPARAM(VK_RETURN)}) {
        TestSaver saver;
        EXPECT_TRUE(saver.ClosesAfter(WM_KEYDOWN, key, 1)) << "key " << key;
    }
    for (UINT button : {UINT(WM_LBUTTONDOWN), UINT(WM_MBUTTONDOWN)}) {
        TestSaver saver;
        EXPECT_TRUE(saver.ClosesAfter(button, 0, MAKELPARAM(5, 5))) << "button message " << button;
    }
    TestSaver saver;
    const struct {
        UINT message;
        WPARAM wParam;
    } harmless[] = {{WM_KEYUP, 'A'},
                    {WM_SYSKEYDOWN, VK_MENU},
                    {WM_SYSKEYDOWN, VK_F10},
                    {WM_SYSKEYUP, VK_MENU},
                    {WM_CHAR, 'a'},
                    {WM_LBUTTONUP, 0},
                    {WM_RBUTTONUP, 0},
                    {WM_MBUTTONUP, 0},
                    {WM_LBUTTONDBLCLK, 0},
                    {WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA)}};
    for (const auto &input : harmless)
        EXPECT_FALSE(saver.ClosesAfter(input.message, input.wParam, 0)) << "message " << input.message;
    // Alt+F4 turns into SC_CLOSE, which a full-screen saver swallows.
    EXPECT_FALSE(saver.ClosesAfter(WM_SYSKEYDOWN, VK_F4, 1 | (1 << 29)));
}

TEST_F(DefSaver, ActiveConfigKeysCloseUnlessBothSaverAndUserAllowIt)
{
    const WPARAM keys[] = {VK_SHIFT, VK_CONTROL, VK_SCROLL};
    {
        PrefsScope prefs({}); // the saver does not support it
        for (WPARAM key : keys) {
            TestSaver saver;
            SendGeneralSettings(saver.Handle(), 200, 0, 1);
            EXPECT_TRUE(saver.ClosesAfter(WM_KEYDOWN, key, 1)) << "key " << key;
        }
        TestSaver saver;
        EXPECT_TRUE(saver.ClosesAfter(WM_RBUTTONDOWN, 0, 0));
    }
    PrefsChange supported;
    supported.ActiveConfig = 1;
    PrefsScope prefs(supported);
    {
        TestSaver saver; // the user has it off
        SendGeneralSettings(saver.Handle(), 200, 0, 0);
        EXPECT_TRUE(saver.ClosesAfter(WM_KEYDOWN, VK_SHIFT, 1));
    }

    // Both allow it: the configuration runs over the saver, marked as a
    // dialog, and the saver keeps running; a key or button that is not
    // really held down is no request for it.
    {
        TestSaver saver;
        SendGeneralSettings(saver.Handle(), 200, 0, 1);
        EXPECT_TRUE(saver.ClosesAfter(WM_KEYDOWN, VK_SHIFT, 1)) << "a Shift no key backs";
        TestSaver clicked;
        SendGeneralSettings(clicked.Handle(), 200, 0, 1);
        EXPECT_TRUE(clicked.ClosesAfter(WM_RBUTTONDOWN, 0, AtCursor(clicked.Handle()))) << "a click no button backs";
    }
    HeldInput held;
    {
        TestSaver saver;
        SendGeneralSettings(saver.Handle(), 200, 0, 1);
        EXPECT_TRUE(saver.ClosesAfter(WM_RBUTTONDOWN, 0, MAKELPARAM(5, 5))) << "a click away from the cursor";
    }
    bool dialogWasActive = false;
    int configurations = 0;
    TestSaver saver([&](HWND, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (message != SCRM_ACTIVECONFIG)
            return std::nullopt;
        ++configurations;
        dialogWasActive = SaverRunState.dialogActive;
        SetCursorPos(700, 600); // the user moved the mouse while configuring
        return 1;
    });
    saver.Record(SCRM_DIALOGACTIVE);
    saver.Record(SCRM_ACTIVECONFIG);
    SendGeneralSettings(saver.Handle(), 200, 0, 1);
    for (WPARAM key : keys)
        EXPECT_FALSE(saver.ClosesAfter(WM_KEYDOWN, key, 1)) << "key " << key;
    EXPECT_FALSE(saver.ClosesAfter(WM_RBUTTONDOWN, 0, AtCursor(saver.Handle())));
    EXPECT_EQ(configurations, 4);
    EXPECT_TRUE(dialogWasActive);
    EXPECT_FALSE(SaverRunState.dialogActive);
    const std::vector<UINT> once = {SCRM_DIALOGACTIVE, SCRM_ACTIVECONFIG, SCRM_DIALOGACTIVE};
    ASSERT_GE(saver.Recorded().size(), 3u);
    EXPECT_EQ(std::vector<UINT>(saver.Recorded().begin(), saver.Recorded().begin() + 3), once);
    EXPECT_FALSE(MovesAndCloses(saver, 700, 650)) << "measured from where the dialog ended";
}

TEST_F(DefSaver, SystemCommandsThatWouldEndOrRestartTheSaverAreSwallowed)
{
    {
        PrefsScope prefs({});
        TestSaver saver;
        EXPECT_EQ(SendMessageA(saver.Handle(), WM_SYSCOMMAND, SC_SCREENSAVE, 0), 0);
        EXPECT_EQ(SendMessageA(saver.Handle(), WM_SYSCOMMAND, SC_CLOSE, 0), 0);
        Drain();
        EXPECT_TRUE(saver.Alive());
    }
    PrefsChange debugWindow;
    debugWindow.DebugWindow = 1;
    PrefsScope prefs(debugWindow);
    TestSaver saver;
    EXPECT_EQ(SendMessageA(saver.Handle(), WM_SYSCOMMAND, SC_SCREENSAVE, 0), 0);
    Drain();
    EXPECT_TRUE(saver.Alive());
    EXPECT_TRUE(saver.ClosesAfter(WM_SYSCOMMAND, SC_CLOSE, 0)) << "a debug window lets the close command through";
}

TEST_F(DefSaver, DeactivationClosesTheSaverUnlessItIsADebugWindow)
{
    {
        PrefsScope prefs({});
        for (UINT message : {UINT(WM_ACTIVATE), UINT(WM_ACTIVATEAPP), UINT(WM_NCACTIVATE)}) {
            TestSaver saver;
            EXPECT_FALSE(saver.ClosesAfter(message, TRUE, 0)) << "activation " << message;
            EXPECT_TRUE(saver.ClosesAfter(message, FALSE, 0)) << "deactivation " << message;
        }
        TestSaver saver;
        SendMessageA(saver.Handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(saver.Handle()),
                     MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        EXPECT_EQ(GetCursor(), nullptr) << "the cursor is hidden";
    }
    PrefsChange debugWindow;
    debugWindow.DebugWindow = 1;
    PrefsScope prefs(debugWindow);
    TestSaver saver;
    EXPECT_FALSE(saver.ClosesAfter(WM_ACTIVATE, WA_INACTIVE, 0));
    EXPECT_FALSE(saver.ClosesAfter(WM_ACTIVATEAPP, FALSE, 0));
    EXPECT_FALSE(MovesAndCloses(saver, 900, 700));
    SendMessageA(saver.Handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(saver.Handle()),
                 MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW)));
    EXPECT_TRUE(saver.ClosesAfter(WM_LBUTTONDOWN, 0, 0)) << "clicks still close a debug window";
}

TEST_F(DefSaver, InputIsIgnoredWhileADialogIsActive)
{
    PrefsScope prefs({});
    TraceCapture traces;
    TestSaver saver;
    SaverRunState.dialogActive = true; // as around the framework's own dialogs
    EXPECT_FALSE(saver.ClosesAfter(WM_KEYDOWN, 'A', 1));
    EXPECT_FALSE(saver.ClosesAfter(WM_LBUTTONDOWN, 0, 0));
    EXPECT_FALSE(saver.ClosesAfter(WM_MBUTTONDOWN, 0, 0));
    EXPECT_FALSE(saver.ClosesAfter(WM_ACTIVATE, WA_INACTIVE, 0));
    EXPECT_FALSE(MovesAndCloses(saver, 900, 700));
    EXPECT_EQ(SendMessageA(saver.Handle(), WM_CLOSE, 0, 0), 0);
    Drain();
    EXPECT_TRUE(saver.Alive());
    EXPECT_TRUE(traces.Contains("full DefSaverProc: WM_CLOSE: active dialog, so ignoring close request"));
    EXPECT_TRUE(traces.Contains("WM_KEYDOWN: Misc. key pressed, but active dialog, so ignoring it."));
    SaverRunState.dialogActive = false;
    EXPECT_TRUE(saver.ClosesAfter(WM_KEYDOWN, 'A', 1));
}

// The saver answers the verification itself, as a saver may: false first.
struct VerifyAnswers {
    int asked = 0;
    bool accept = false;
    bool dialogMarked = true;
    harness::SaverHook Hook()
    {
        return [this](HWND, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
            if (message != SCRM_VERIFYPW)
                return std::nullopt;
            ++asked;
            dialogMarked = dialogMarked && SaverRunState.dialogActive;
            SetCursorPos(900, 700); // moved while typing
            return accept ? TRUE : FALSE;
        };
    }
};

TEST_F(DefSaver, ARefusedPasswordKeepsTheSaverAndTheNextCloseAsksAgain)
{
    PrefsScope prefs({});
    RegistryValueScope usePassword(DesktopKey, UsePasswordValue, 1);
    VerifyAnswers answers;
    TestSaver saver(answers.Hook());
    SendGeneralSettings(saver.Handle(), 50, 0, 0);

    EXPECT_FALSE(saver.ClosesAfter(WM_KEYDOWN, 'A', 1));
    EXPECT_EQ(answers.asked, 1);
    EXPECT_TRUE(answers.dialogMarked);
    EXPECT_FALSE(SaverRunState.dialogActive);
    EXPECT_FALSE(MovesAndCloses(saver, 920, 720)) << "movement counts from where the dialog ended";
    EXPECT_EQ(answers.asked, 1);

    answers.accept = true;
    EXPECT_TRUE(MovesAndCloses(saver, 980, 760));
    EXPECT_EQ(answers.asked, 2);
}

// One key press on a saver whose answers are refused: whether it closed at
// once or asked (once) and stayed, as expected.
::testing::AssertionResult KeyPressAsks(TestSaver &saver, const VerifyAnswers &answers, bool asks)
{
    const bool closed = saver.ClosesAfter(WM_KEYDOWN, 'A', 1);
    if (closed != asks && answers.asked == (asks ? 1 : 0))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << (closed ? "closed" : "stayed") << " after " << answers.asked
                                         << " questions; expected " << (asks ? "one" : "none");
}

TEST_F(DefSaver, NoPasswordWithinTheDelayOrWithoutTheDesktopSetting)
{
    PrefsScope prefs({});
    {
        // While the saver runs, a longer delay waits for the next saver; a
        // shorter one counts at once.
        RegistryValueScope usePassword(DesktopKey, UsePasswordValue, 1);
        VerifyAnswers answers;
        TestSaver saver(answers.Hook());
        SaverRunState.startTick = GetTickCount() - 120000;
        SendGeneralSettings(saver.Handle(), 0, 5940, 0);
        EXPECT_EQ(SaverRunState.passwordDelay, 60u);
        EXPECT_TRUE(KeyPressAsks(saver, answers, true)) << "a Wait of 99 minutes opens no lock";

        SaverRunState.startTick = GetTickCount() - 30000;
        SendGeneralSettings(saver.Handle(), 0, 10, 0);
        EXPECT_FALSE(saver.ClosesAfter(WM_KEYDOWN, 'A', 1)) << "30 s in, the new 10 s delay is over";
        EXPECT_EQ(answers.asked, 2);
    }
    {
        // A stored delay that reads as negative is no delay at all.
        RegistryValueScope usePassword(DesktopKey, UsePasswordValue, 1);
        RegistryValueScope negative(SettingsKey, "Password Delay", DWORD(0x80000000u));
        VerifyAnswers answers;
        TestSaver saver(answers.Hook());
        EXPECT_EQ(SaverRunState.passwordDelay, 0u);
        EXPECT_TRUE(KeyPressAsks(saver, answers, true)) << "a stored delay of 0x80000000";
    }
    // The desktop's setting as the system may store it.
    const struct {
        const char *what;
        std::optional<std::pair<DWORD, std::string>> value;
        bool asks;
    } settings[] = {
        {"no value", std::nullopt, false},
        {"zero", std::make_pair(DWORD(REG_DWORD), std::string(4, '\0')), false},
        {"too long to read: asks", std::make_pair(DWORD(REG_BINARY), std::string("\1\0\0\0\0", 5)), true},
        {"the text 0", std::make_pair(DWORD(REG_SZ), std::string("0", 2)), false},
        {"the text 1", std::make_pair(DWORD(REG_SZ), std::string("1", 2)), true},
        {"a short number", std::make_pair(DWORD(REG_BINARY), std::string("\1", 1)), true},
    };
    for (const auto &setting : settings) {
        std::optional<RegistryValueScope> usePassword;
        if (setting.value)
            usePassword.emplace(DesktopKey, UsePasswordValue, setting.value->first, setting.value->second);
        else
            usePassword.emplace(DesktopKey, UsePasswordValue, std::nullopt);
        VerifyAnswers answers;
        TestSaver saver(answers.Hook());
        SendGeneralSettings(saver.Handle(), 0, 0, 0);
        EXPECT_TRUE(KeyPressAsks(saver, answers, setting.asks)) << setting.what;
    }
    // The saver started elapsedMs ago with a Wait of delay seconds; a saver
    // that always asks hides the Wait row, so no hidden delay applies. Last,
    // as each case's preferences end in the defaults.
    const struct {
        const char *what;
        LONG delay;
        DWORD elapsedMs;
        LONG alwaysRequire;
        bool asks;
    } delays[] = {
        {"59.9 s into a 60 s delay", 60, 59900, 0, false},
        {"60.0 s: the password is asked for", 60, 60000, 0, true},
        {"at once, with a Wait of 60 s stored, for a saver that always asks", 60, 0, 1, true},
    };
    for (const auto &c : delays) {
        PrefsChange change;
        change.AlwaysRequirePassword = c.alwaysRequire;
        PrefsScope always(change);
        RegistryValueScope usePassword(DesktopKey, UsePasswordValue, 1);
        VerifyAnswers answers;
        TestSaver saver(answers.Hook());
        SendGeneralSettings(saver.Handle(), 0, c.delay, 0);
        SaverRunState.startTick = GetTickCount() - c.elapsedMs;
        EXPECT_TRUE(KeyPressAsks(saver, answers, c.asks)) << c.what;
    }
}

// Over a locked saver the configuration asks for the password first;
// refused, nothing opens and the delay goes on from where it was;
// accepted, the delay starts over. Within the delay, or when the saver's
// preferences say so, nothing is asked.
TEST_F(DefSaver, ActiveConfigurationAsksThePasswordFirstWhenClosingWouldNeedIt)
{
    RegistryValueScope usePassword(DesktopKey, UsePasswordValue, 1);
    VerifyAnswers answers;
    int configurations = 0;
    const SaverHook verify = answers.Hook();
    const SaverHook hook = [&](HWND w, UINT message, WPARAM wParam, LPARAM lParam) -> std::optional<LRESULT> {
        if (message != SCRM_ACTIVECONFIG)
            return verify(w, message, wParam, lParam);
        ++configurations;
        return 1;
    };
    const DWORD longAgo = GetTickCount() - 600000;
    PrefsChange supported;
    supported.ActiveConfig = 1;
    HeldInput held;
    {
        PrefsScope prefs(supported);
        TestSaver saver(hook);
        SendGeneralSettings(saver.Handle(), 999999, 60, 1);
        SaverRunState.startTick = longAgo;
        EXPECT_FALSE(saver.ClosesAfter(WM_KEYDOWN, VK_SHIFT, 1));
        EXPECT_EQ(answers.asked, 1);
        EXPECT_TRUE(answers.dialogMarked);
        EXPECT_EQ(configurations, 0) << "refused: no configuration";
        EXPECT_EQ(SaverRunState.startTick, longAgo);
        EXPECT_FALSE(SaverRunState.dialogActive);

        answers.accept = true;
        const DWORD before = GetTickCount();
        EXPECT_FALSE(saver.ClosesAfter(WM_RBUTTONDOWN, 0, AtCursor(saver.Handle())));
        EXPECT_EQ(answers.asked, 2);
        EXPECT_EQ(configurations, 1);
        EXPECT_LE(GetTickCount() - SaverRunState.startTick, GetTickCount() - before) << "the delay starts over";

        SaverRunState.startTick = GetTickCount() - 30000;
        EXPECT_FALSE(saver.ClosesAfter(WM_KEYDOWN, VK_CONTROL, 1));
        EXPECT_EQ(answers.asked, 2) << "30 s into a 60 s delay";
        EXPECT_EQ(configurations, 2);
    }
    supported.ActiveConfigPassword = 0;
    PrefsScope prefs(supported);
    TestSaver saver(hook);
    SendGeneralSettings(saver.Handle(), 999999, 60, 1);
    SaverRunState.startTick = longAgo;
    EXPECT_FALSE(saver.ClosesAfter(WM_KEYDOWN, VK_SHIFT, 1));
    EXPECT_EQ(answers.asked, 2) << "the saver asks for no password first";
    EXPECT_EQ(configurations, 3);
}

// Another thread (for the window, the same as another process) can send
// or post anything: pointers that the framework did not issue are not
// read, a second WM_CREATE does not restart the delay, an
// SCRM_ACTIVECONFIG that the saver's own input did not ask for opens
// nothing, and a Shift that was sent is a close request like any other,
// which asks for the password.
TEST_F(DefSaver, MessagesFromAnotherThreadNeitherCrashNorUnlockTheSaver)
{
    PrefsChange supported;
    supported.ActiveConfig = 1;
    PrefsScope prefs(supported);
    RegistryValueScope usePassword(DesktopKey, UsePasswordValue, 1);
    DialogBlocker dialogs;
    VerifyAnswers answers;
    TestSaver saver(answers.Hook());
    HWND window = saver.Handle();
    SendGeneralSettings(window, 50, 60, 1);
    const DWORD started = GetTickCount() - 120000; // the delay is over
    SaverRunState.startTick = started;

    FromAnotherThread([window] {
        ScrGeneralSettings unissued = {24, {0, 0, 0, 0}, 0, 999999, 99999, 1};
        for (LPARAM data : {LPARAM(0x10), static_cast<LPARAM>(0xFFFF0010u), reinterpret_cast<LPARAM>(&unissued)})
            SendMessageA(window, SCRM_SETTINGSCHANGED, SCRCHANGE_GENERAL | SCRCHANGE_LIVE, data);
        PostMessageA(window, SCRM_SETTINGSCHANGED, SCRCHANGE_GENERAL, 0x10);
        CREATESTRUCTA create = {};
        create.lpszName = "SaverWindow";
        SendMessageA(window, WM_CREATE, 0, reinterpret_cast<LPARAM>(&create));
        SendMessageA(window, WM_CREATE, 0, 0x10);
        SendMessageA(window, SCRM_ACTIVECONFIG, 0, 0);
        PostMessageA(window, SCRM_ACTIVECONFIG, 0, 0);
    });
    SendMessageA(window, SCRM_ACTIVECONFIG, 0, 0);
    EXPECT_TRUE(saver.Alive());
    EXPECT_EQ(SaverRunState.mouseThreshold, 50);
    EXPECT_EQ(SaverRunState.passwordDelay, 60u);
    EXPECT_EQ(SaverRunState.startTick, started);
    EXPECT_EQ(dialogs.Blocked(), 0) << "no configuration opened";
    EXPECT_EQ(answers.asked, 0);

    FromAnotherThread([window] { SendMessageA(window, WM_KEYDOWN, VK_SHIFT, 1); });
    EXPECT_EQ(answers.asked, 1) << "a close request, with the password";
    EXPECT_TRUE(saver.Alive());
    EXPECT_EQ(dialogs.Blocked(), 0);
}

// What a window is was fixed when the framework made it: another thread
// that makes the full-screen window an owned window or a child, or tells
// it that a dialog runs, gets no preview that closes without the password
// and no saver deaf to input; a destruction it sends or posts destroys
// nothing, stops no timer and ends no loop.
TEST_F(DefSaver, AnotherThreadNeitherRelabelsNorEndsTheFullWindow)
{
    PrefsScope prefs({});
    RegistryValueScope usePassword(DesktopKey, UsePasswordValue, 1);
    PreviewHost other;
    VerifyAnswers answers;
    TestSaver saver(answers.Hook());
    HWND window = saver.Handle();
    SendGeneralSettings(window, 50, 60, 0);
    SaverRunState.startTick = GetTickCount() - 120000; // the delay is over
    HWND foreign = other.Handle();
    const struct {
        const char *what;
        std::function<void()> attack;
    } attacks[] = {
        {"owner", [&] { SetWindowLongPtrA(window, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(foreign)); }},
        {"parent", [&] { SetParent(window, foreign); }},
        {"dialog", [&] { SendMessageA(window, SCRM_DIALOGACTIVE, 1, 0); }},
        {"destruction", [&] {
             for (UINT message : {UINT(WM_DESTROY), UINT(WM_NCDESTROY)}) {
                 SendMessageA(window, message, 0, 0);
                 PostMessageA(window, message, 0, 0);
             }
         }},
    };
    for (const auto &attack : attacks) {
        const int asked = answers.asked;
        EXPECT_FALSE(FromAnotherThread([&] {
            attack.attack();
            PostMessageA(window, WM_CLOSE, 0, 0);
        })) << attack.what << ": the loop goes on";
        EXPECT_TRUE(saver.Alive()) << attack.what;
        EXPECT_GT(answers.asked, asked) << attack.what << ": the close asks for the password";
        EXPECT_TRUE(HasTimerProp(window)) << attack.what;
    }
    EXPECT_FALSE(SaverRunState.dialogActive);
}

TEST_F(DefSaver, PreviewsNeverCloseOnInputAndCloseWithoutAPassword)
{
    PrefsScope prefs({});
    RegistryValueScope usePassword(DesktopKey, UsePasswordValue, 1);
    PreviewHost parent;
    VerifyAnswers answers;
    TestSaver preview(answers.Hook(), parent.Handle());
    ASSERT_TRUE(preview.Alive());
    SendGeneralSettings(preview.Handle(), 0, 0, 1);
    EXPECT_FALSE(preview.ClosesAfter(WM_KEYDOWN, 'A', 1));
    EXPECT_FALSE(preview.ClosesAfter(WM_LBUTTONDOWN, 0, 0));
    EXPECT_FALSE(preview.ClosesAfter(WM_RBUTTONDOWN, 0, 0));
    EXPECT_FALSE(preview.ClosesAfter(WM_ACTIVATE, WA_INACTIVE, 0));
    EXPECT_FALSE(MovesAndCloses(preview, 900, 700));
    EXPECT_TRUE(preview.ClosesAfter(WM_CLOSE));
    EXPECT_EQ(answers.asked, 0);
    EXPECT_TRUE(preview.LastPump().quit) << "the command-line preview's loop ends";
    EXPECT_EQ(preview.LastPump().quitCode, 2);
}

TEST_F(DefSaver, APreviewInsideAMonitorControlLeavesTheDialogLoopRunning)
{
    PrefsScope prefs({});
    WNDCLASSA monitorScreen = {};
    if (!GetClassInfoA(GetModuleHandleA(nullptr), DUSKLIT_MONITOR_WINDOW_CLASS, &monitorScreen) &&
        !GetClassInfoA(nullptr, DUSKLIT_MONITOR_WINDOW_CLASS, &monitorScreen)) {
        monitorScreen.lpfnWndProc = DefWindowProcA;
        monitorScreen.hInstance = GetModuleHandleA(nullptr);
        monitorScreen.lpszClassName = DUSKLIT_MONITOR_WINDOW_CLASS;
        ASSERT_NE(RegisterClassA(&monitorScreen), 0);
    }
    PreviewHost parent(DUSKLIT_MONITOR_WINDOW_CLASS);
    ASSERT_NE(parent.Handle(), nullptr);
    TestSaver preview({}, parent.Handle());
    EXPECT_TRUE(preview.ClosesAfter(WM_CLOSE));
    EXPECT_FALSE(preview.LastPump().quit);
}

// A preview made while the saver runs (on the page of the configuration
// opened over it, say) leaves the saver's settings, start time and dialog
// state alone, and its end does not end the saver's loop.
TEST_F(DefSaver, APreviewMadeWhileTheSaverRunsLeavesItsStateAndItsLoopAlone)
{
    PrefsScope prefs({});
    PreviewHost parent;
    TestSaver saver;
    SendGeneralSettings(saver.Handle(), 400, 30, 1);
    SaverRunState.dialogActive = true;
    const DWORD started = GetTickCount() - 5000;
    SaverRunState.startTick = started;
    {
        RegistryValueScope threshold(SettingsKey, "Mouse Threshold", 0);
        TestSaver preview({}, parent.Handle());
        ASSERT_TRUE(preview.Alive());
        EXPECT_EQ(SaverRunState.startTick, started);
        EXPECT_TRUE(SaverRunState.dialogActive);
        EXPECT_EQ(SaverRunState.mouseThreshold, 400);
        EXPECT_EQ(SaverRunState.passwordDelay, 30u);
        EXPECT_TRUE(preview.ClosesAfter(WM_CLOSE));
        EXPECT_FALSE(preview.LastPump().quit) << "the saver's loop goes on";
    }
    EXPECT_TRUE(saver.Alive());
    SaverRunState.dialogActive = false;
}

TEST_F(DefSaver, SettingsChangesReachOnlyTheFullWindowAndOnlyForGeneralSettings)
{
    PrefsScope prefs({});
    PreviewHost parent; // first, so the saver stays the active window
    TestSaver saver;
    ASSERT_EQ(SendGeneralSettings(saver.Handle(), 400, 30, 1, SCRCHANGE_GENERAL | SCRCHANGE_APPLIED), 1);
    EXPECT_EQ(SaverRunState.mouseThreshold, 400);
    EXPECT_EQ(SaverRunState.passwordDelay, 30u);
    EXPECT_TRUE(SaverRunState.allowActiveConfig);

    EXPECT_EQ(SendGeneralSettings(saver.Handle(), 7, 7, 0, SCRCHANGE_LIVE | 2), 1);
    EXPECT_EQ(SendGeneralSettings(saver.Handle(), 7, 7, 0, 0x1000 | 0x101), 1);
    EXPECT_EQ(SaverRunState.mouseThreshold, 400) << "low bits not 1: not general settings";

    TestSaver preview({}, parent.Handle());
    EXPECT_EQ(SendGeneralSettings(preview.Handle(), 9, 9, 0), 1);
    EXPECT_EQ(SaverRunState.mouseThreshold, 400) << "a preview ignores settings";
}

bool SameRect(const RECT &a, const RECT &b)
{
    return EqualRect(&a, &b) != FALSE;
}

// The full-screen window covers the desktop and stays there, topmost,
// whoever asks it to move; after a monitor was added, removed or resized
// it covers the new desktop, and the cursor the change moved is no input.
// (The whole-program test on two monitors sees it follow a real change.)
// A preview and the debug window stay put.
TEST_F(DefSaver, TheFullWindowHoldsTheDesktopAndFollowsItsChanges)
{
    PrefsScope prefs({});
    PreviewHost parent; // first, so the saver stays the active window
    std::vector<LPARAM> sizes;
    const SaverHook sizeWatch = [&](HWND, UINT message, WPARAM, LPARAM lParam) -> std::optional<LRESULT> {
        if (message == WM_SIZE)
            sizes.push_back(lParam);
        return std::nullopt;
    };
    TestSaver saver(sizeWatch);
    SendGeneralSettings(saver.Handle(), 0, 0, 0);
    const RECT screen = VirtualScreen();
    EXPECT_TRUE(SameRect(WindowRect(saver.Handle()), screen)) << "made over the whole desktop";
    SetWindowPos(saver.Handle(), HWND_NOTOPMOST, 40, 30, 200, 100, SWP_NOACTIVATE);
    ShowWindow(saver.Handle(), SW_MINIMIZE);
    EXPECT_TRUE(SameRect(WindowRect(saver.Handle()), screen)) << "a move and a minimise are bent back";
    EXPECT_TRUE(IsWindowVisible(saver.Handle()) && !IsIconic(saver.Handle()));
    SetCursorPos(310, 300); // where the change left the cursor
    SendMessageA(saver.Handle(), WM_DISPLAYCHANGE, 32, MAKELPARAM(1024, 768));
    EXPECT_TRUE(SameRect(WindowRect(saver.Handle()), screen));
    EXPECT_TRUE(GetWindowLongA(saver.Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_FALSE(saver.ClosesAfter(WM_MOUSEMOVE)) << "the mouse counts from where the change left it";
    EXPECT_TRUE(MovesAndCloses(saver, 311, 300));

    TestSaver preview(sizeWatch, parent.Handle());
    const RECT inside = WindowRect(preview.Handle());
    sizes.clear();
    SendMessageA(preview.Handle(), WM_DISPLAYCHANGE, 32, MAKELPARAM(1024, 768));
    EXPECT_TRUE(SameRect(WindowRect(preview.Handle()), inside));
    EXPECT_TRUE(sizes.empty());

    PrefsChange debugWindow;
    debugWindow.DebugWindow = 1;
    PrefsScope debug(debugWindow);
    TestSaver small(sizeWatch);
    const RECT before = WindowRect(small.Handle());
    SendMessageA(small.Handle(), WM_DISPLAYCHANGE, 32, MAKELPARAM(1024, 768));
    EXPECT_TRUE(SameRect(WindowRect(small.Handle()), before));
}

BOOL CALLBACK ListMonitor(HMONITOR monitor, HDC, LPRECT rect, LPARAM data)
{
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    GetMonitorInfoA(monitor, &info);
    reinterpret_cast<std::vector<ScrMonitor> *>(data)->push_back(
        {*rect, (info.dwFlags & MONITORINFOF_PRIMARY) ? TRUE : FALSE});
    return TRUE;
}

// The system's monitors in screen coordinates, in the system's order.
std::vector<ScrMonitor> SystemMonitors()
{
    std::vector<ScrMonitor> monitors;
    EnumDisplayMonitors(nullptr, nullptr, ListMonitor, reinterpret_cast<LPARAM>(&monitors));
    return monitors;
}

// The monitors in a full window's client coordinates, as the system lists
// them; one primary monitor for a preview and the debug window; and no
// write outside what the caller offered, whatever it offered.
TEST_F(DefSaver, MonitorListIsInClientCoordinatesAndStaysInsideTheBuffer)
{
    PrefsScope prefs({});
    PreviewHost parent; // first, so the saver stays the active window
    TestSaver saver;
    POINT origin = {};
    ClientToScreen(saver.Handle(), &origin);
    std::vector<ScrMonitor> system = SystemMonitors();
    for (ScrMonitor &monitor : system)
        OffsetRect(&monitor.rect, -origin.x, -origin.y);
    const int count = static_cast<int>(system.size());
    ASSERT_EQ(count, GetSystemMetrics(SM_CMONITORS));

    std::vector<ScrMonitor> found(count + 2);
    const ScrMonitor guard = {{-7, -7, -7, -7}, 7};
    found[count] = found[count + 1] = guard;
    ASSERT_EQ(ScrGetMonitors(saver.Handle(), found.data(), count), count);
    int primaries = 0;
    for (int i = 0; i < count; ++i) {
        EXPECT_TRUE(SameRect(found[i].rect, system[i].rect)) << "monitor " << i;
        EXPECT_EQ(found[i].primary, system[i].primary) << "monitor " << i;
        primaries += found[i].primary ? 1 : 0;
    }
    EXPECT_EQ(primaries, 1);

    // Short, empty, absent and negative buffers: the count, and nothing
    // written beyond what was offered.
    for (ScrMonitor &entry : found)
        entry = guard;
    EXPECT_EQ(ScrGetMonitors(saver.Handle(), found.data(), count - 1 > 0 ? count - 1 : 0), count);
    EXPECT_EQ(ScrGetMonitors(saver.Handle(), found.data() + count, 0), count);
    EXPECT_EQ(ScrGetMonitors(saver.Handle(), found.data() + count, -1), count);
    EXPECT_EQ(ScrGetMonitors(saver.Handle(), nullptr, 0), count);
    EXPECT_EQ(ScrGetMonitors(saver.Handle(), nullptr, 4), count);
    for (int i = count > 0 ? count - 1 : 0; i < count + 2; ++i) {
        EXPECT_EQ(std::memcmp(&found[i], &guard, sizeof guard), 0) << "entry " << i << " was written";
    }

    // Not windows: a null handle, a made-up number, a window that is gone.
    HWND gone = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    DestroyWindow(gone);
    for (HWND bogus : {HWND(nullptr), reinterpret_cast<HWND>(0x1234), gone}) {
        found[0] = guard;
        EXPECT_EQ(ScrGetMonitors(bogus, found.data(), count), 0);
        EXPECT_EQ(std::memcmp(&found[0], &guard, sizeof guard), 0);
    }

    TestSaver preview({}, parent.Handle());
    RECT client = {};
    GetClientRect(preview.Handle(), &client);
    found[1] = guard;
    ASSERT_EQ(ScrGetMonitors(preview.Handle(), found.data(), 1), 1);
    EXPECT_TRUE(SameRect(found[0].rect, client));
    EXPECT_TRUE(found[0].primary);
    EXPECT_EQ(std::memcmp(&found[1], &guard, sizeof guard), 0);

    PrefsChange debugWindow;
    debugWindow.DebugWindow = 1;
    PrefsScope debug(debugWindow);
    ASSERT_EQ(ScrGetMonitors(saver.Handle(), found.data(), 1), 1);
    GetClientRect(saver.Handle(), &client);
    EXPECT_TRUE(SameRect(found[0].rect, client)) << "the debug window stands for one screen";
    EXPECT_TRUE(found[0].primary);
}

TEST_F(DefSaver, UnknownSaverMessagesGetDefaultProcessing)
{
    PrefsScope prefs({});
    TestSaver saver;
    for (UINT unused = 0x8005; unused <= 0x8008; ++unused)
        EXPECT_EQ(SendMessageA(saver.Handle(), unused, 1, 2), 0);
    EXPECT_EQ(SendMessageA(saver.Handle(), SCRM_INTERNAL, 77, 0), 0);
    EXPECT_TRUE(saver.Alive());
}

} // namespace
