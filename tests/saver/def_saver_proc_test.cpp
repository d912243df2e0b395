// The default saver procedure as a saver sees it: which input closes the
// full-screen window and which does not, the password before closing,
// active configuration, the system commands it swallows, previews, and
// the end of the run loop.
#include <gtest/gtest.h>

#include <string>

#include "saver/def_saver_proc.h"
#include "tests/saver/saver_harness.h"
#include "tests/support/preview_host.h"
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

bool MovesAndCloses(TestSaver &saver, int x, int y)
{
    SetCursorPos(x, y);
    return saver.ClosesAfter(WM_MOUSEMOVE, 0, MAKELPARAM(1, 1));
}

class DefSaver : public ::testing::Test {
protected:
    void SetUp() override { PlaceCursor(300, 300); }
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
    // dialog, and the saver keeps running.
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
    EXPECT_FALSE(saver.ClosesAfter(WM_RBUTTONDOWN, 0, 0));
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
    SendMessageA(saver.Handle(), SCRM_DIALOGACTIVE, 1, 0);
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
    SendMessageA(saver.Handle(), SCRM_DIALOGACTIVE, 0, 0);
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

TEST_F(DefSaver, NoPasswordWithinTheDelayOrWithoutTheDesktopSetting)
{
    PrefsScope prefs({});
    {
        RegistryValueScope usePassword(DesktopKey, UsePasswordValue, 1);
        VerifyAnswers answers;
        TestSaver saver(answers.Hook());
        SendGeneralSettings(saver.Handle(), 0, 60, 0);
        SaverRunState.startTick = GetTickCount() - 59900;
        EXPECT_TRUE(saver.ClosesAfter(WM_KEYDOWN, 'A', 1)) << "59.9 s into a 60 s delay";
        EXPECT_EQ(answers.asked, 0);
    }
    {
        RegistryValueScope usePassword(DesktopKey, UsePasswordValue, 1);
        VerifyAnswers answers;
        TestSaver saver(answers.Hook());
        SendGeneralSettings(saver.Handle(), 0, 60, 0);
        SaverRunState.startTick = GetTickCount() - 60000;
        EXPECT_FALSE(saver.ClosesAfter(WM_KEYDOWN, 'A', 1)) << "60.0 s: the password is asked for";
        EXPECT_EQ(answers.asked, 1);
    }
    struct {
        const char *what;
        std::optional<std::pair<DWORD, std::string>> value;
        int asked;
    } settings[] = {
        {"no value", std::nullopt, 0},
        {"zero", std::make_pair(DWORD(REG_DWORD), std::string(4, '\0')), 0},
        {"too long to read: asks", std::make_pair(DWORD(REG_BINARY), std::string("\1\0\0\0\0", 5)), 1},
        {"the text 0", std::make_pair(DWORD(REG_SZ), std::string("0", 2)), 0},
        {"the text 1", std::make_pair(DWORD(REG_SZ), std::string("1", 2)), 1},
        {"a short number", std::make_pair(DWORD(REG_BINARY), std::string("\1", 1)), 1},
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
        saver.ClosesAfter(WM_KEYDOWN, 'A', 1);
        EXPECT_EQ(answers.asked, setting.asked) << setting.what;
    }
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
    SendGeneralSettings(saver.Handle(), 400, 30, 1); // the preview's creation reset the record
    EXPECT_EQ(SendGeneralSettings(preview.Handle(), 9, 9, 0), 1);
    EXPECT_EQ(SaverRunState.mouseThreshold, 400) << "a preview ignores settings";
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
