// DemoWindowProc on a real demo window: keys, activation, system commands
// and closing, and how the loop reacts to them.
#include <gtest/gtest.h>

#include <vector>

#include "demo/demo_loop.h"
#include "demo/gl_window.h"
#include "demo/scene.h"
#include "demo_test_support.h"
#include "message_boxes.h"

namespace {

class DemoWindowProcTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetDemo();
        MessageBoxAnswerer answerer({IDYES});
        ASSERT_TRUE(CreateDemoWindow("Brix & Mallow's Quadratics Tutorial", 800, 600, 16, true));
        DrainMessages();
    }
    void TearDown() override { ResetDemo(); }

    LRESULT Send(UINT message, WPARAM wParam, LPARAM lParam = 0)
    {
        return SendMessageA(DemoWindow, message, wParam, lParam);
    }
};

bool AnyKeyDown()
{
    for (bool down : KeyDown) {
        if (down)
            return true;
    }
    return false;
}

bool QuitPending()
{
    MSG message;
    return PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != 0;
}

TEST_F(DemoWindowProcTest, KeysAreTrackedByVirtualKeyCode)
{
    EXPECT_EQ(Send(WM_KEYDOWN, 'A', 0x001E0001), 0);
    EXPECT_TRUE(KeyDown['A']);
    EXPECT_EQ(Send(WM_KEYDOWN, VK_ESCAPE, 0x00010001), 0);
    EXPECT_TRUE(KeyDown[VK_ESCAPE]);
    EXPECT_EQ(Send(WM_KEYUP, 'A', 0xC01E0001), 0);
    EXPECT_FALSE(KeyDown['A']);
    EXPECT_TRUE(KeyDown[VK_ESCAPE]);
    EXPECT_EQ(Send(WM_KEYUP, VK_ESCAPE, 0xC0010001), 0);
    EXPECT_EQ(Send(WM_KEYDOWN, 255), 0);
    EXPECT_TRUE(KeyDown[255]);
    EXPECT_EQ(Send(WM_KEYUP, 255), 0);
    EXPECT_FALSE(AnyKeyDown());
}

// No keyboard sends such codes; they are ignored instead of being written
// past the table (the last one would be far outside the process).
TEST_F(DemoWindowProcTest, KeyCodesBeyondTheTableAreIgnored)
{
    const WPARAM codes[] = {256, 257, 0x1000, 0x7FFFFFFF, 0xFFFFFFFF};
    for (WPARAM code : codes) {
        EXPECT_EQ(Send(WM_KEYDOWN, code), 0) << code;
        EXPECT_EQ(Send(WM_KEYUP, code), 0) << code;
        EXPECT_EQ(Send(WM_KEYDOWN, code), 0) << code;
    }
    EXPECT_FALSE(AnyKeyDown());
    EXPECT_TRUE(DemoActive);
}

// A real key press, from the input queue to the table.
TEST_F(DemoWindowProcTest, TypedKeyReachesTheTable)
{
    ASSERT_EQ(GetFocus(), DemoWindow);
    INPUT press = {};
    press.type = INPUT_KEYBOARD;
    press.ki.wVk = 'Q';
    ASSERT_EQ(SendInput(1, &press, sizeof press), 1u);
    for (int i = 0; i < 100 && !KeyDown['Q']; ++i) {
        DrainMessages();
        Sleep(10);
    }
    EXPECT_TRUE(KeyDown['Q']);
    press.ki.dwFlags = KEYEVENTF_KEYUP;
    ASSERT_EQ(SendInput(1, &press, sizeof press), 1u);
    for (int i = 0; i < 100 && KeyDown['Q']; ++i) {
        DrainMessages();
        Sleep(10);
    }
    EXPECT_FALSE(KeyDown['Q']);
}

// Only the minimised flag in the high word stops the drawing; losing the
// activation alone does not.
TEST_F(DemoWindowProcTest, ActivationFollowsTheMinimisedFlag)
{
    EXPECT_EQ(Send(WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 1)), 0);
    EXPECT_FALSE(DemoActive);
    EXPECT_EQ(Send(WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, 0)), 0);
    EXPECT_TRUE(DemoActive);
    EXPECT_EQ(Send(WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 0)), 0);
    EXPECT_TRUE(DemoActive);
    EXPECT_EQ(Send(WM_ACTIVATE, MAKEWPARAM(WA_CLICKACTIVE, 0xFFFF)), 0);
    EXPECT_FALSE(DemoActive);
}

// The default window procedure tells WH_CBT hooks about every system
// command it carries out; this one notes them and carries none out.
std::vector<WPARAM> DefaultSysCommands;

LRESULT CALLBACK NoteSysCommands(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_SYSCOMMAND) {
        DefaultSysCommands.push_back(wParam);
        if (wParam != SC_CLOSE)
            return 1;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// The system's screen saver and monitor power-down are kept from starting
// while the demo runs; every other command gets the default handling, and
// SC_CLOSE closes the demo.
TEST_F(DemoWindowProcTest, ScreenSaverAndMonitorPowerAreSwallowed)
{
    DefaultSysCommands.clear();
    HHOOK hook = SetWindowsHookExA(WH_CBT, NoteSysCommands, nullptr, GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
    const LRESULT screenSave = Send(WM_SYSCOMMAND, SC_SCREENSAVE);
    const LRESULT monitorOff = Send(WM_SYSCOMMAND, SC_MONITORPOWER, 2);
    // The comparison takes the whole wParam: other low bits are not these.
    Send(WM_SYSCOMMAND, SC_SCREENSAVE | 1);
    Send(WM_SYSCOMMAND, SC_MONITORPOWER | 2, 2);
    Send(WM_SYSCOMMAND, SC_MAXIMIZE);
    const bool quitBeforeClose = QuitPending();
    Send(WM_SYSCOMMAND, SC_CLOSE);
    UnhookWindowsHookEx(hook);

    EXPECT_EQ(screenSave, 0);
    EXPECT_EQ(monitorOff, 0);
    const std::vector<WPARAM> expected = {SC_SCREENSAVE | 1, SC_MONITORPOWER | 2, SC_MAXIMIZE, SC_CLOSE};
    EXPECT_EQ(DefaultSysCommands, expected);
    EXPECT_FALSE(quitBeforeClose);
    EXPECT_TRUE(QuitPending()) << "SC_CLOSE became WM_CLOSE, which asks the loop to end";
    EXPECT_TRUE(IsWindow(DemoWindow)) << "closing leaves the teardown to the caller";
}

int CloseAfterFrame = 0;

// Closes the window once the loop has drawn enough frames.
void CALLBACK CloseAfterFrames(HWND, UINT, UINT_PTR timer, DWORD)
{
    if (TheScene.FrameCounter >= CloseAfterFrame) {
        KillTimer(nullptr, timer);
        PostMessageA(DemoWindow, WM_CLOSE, 0, 0);
    }
}

bool LoopGuardFired = false;

void CALLBACK StopRunawayLoop(HWND, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(nullptr, timer);
    LoopGuardFired = true;
    PostQuitMessage(0);
}

// The loop never waits for messages: it draws frame after frame, with the
// timer's messages in between, until the window is closed.
TEST_F(DemoWindowProcTest, LoopDrawsUntilTheWindowIsClosed)
{
    LoopGuardFired = false;
    CloseAfterFrame = TheScene.FrameCounter + 5;
    const UINT_PTR close = SetTimer(nullptr, 0, 20, CloseAfterFrames);
    const UINT_PTR guard = SetTimer(nullptr, 0, 60000, StopRunawayLoop);
    RunDemoLoop();
    KillTimer(nullptr, close);
    KillTimer(nullptr, guard);
    EXPECT_FALSE(LoopGuardFired) << "the loop did not end on WM_CLOSE";
    EXPECT_GE(TheScene.FrameCounter, CloseAfterFrame);
    EXPECT_TRUE(IsWindow(DemoWindow));
}

// Messages already waiting are all handled before a frame is drawn, so a
// close that is already queued ends the loop without drawing.
TEST_F(DemoWindowProcTest, QueuedCloseEndsTheLoopBeforeAnyFrame)
{
    LoopGuardFired = false;
    const int before = TheScene.FrameCounter;
    PostMessageA(DemoWindow, WM_KEYDOWN, 'X', 0);
    PostMessageA(DemoWindow, WM_CLOSE, 0, 0);
    const UINT_PTR guard = SetTimer(nullptr, 0, 10000, StopRunawayLoop);
    RunDemoLoop();
    KillTimer(nullptr, guard);
    EXPECT_FALSE(LoopGuardFired);
    EXPECT_EQ(TheScene.FrameCounter, before);
    EXPECT_TRUE(KeyDown['X']);
}

} // namespace
