// Opening and closing the demo window on the real platform: the display
// mode it asks for, what the user is asked, the window it makes, and the
// teardown with its reports.
#include <GL/gl.h>

#include "demo/demo_loop.h"
#include "demo/gl_window.h"
#include "demo_test_support.h"

namespace {

class DemoWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetDemo();
        cursor_ = CursorShowCount();
    }
    void TearDown() override
    {
        EXPECT_EQ(ResetDemo(), 0u) << "the teardown had failures to report";
        EXPECT_EQ(CursorShowCount(), cursor_);
    }
    static bool Create() { return CreateDemoWindow("Brix & Mallow's Quadratics Tutorial", 800, 600, 16, true); }
    int cursor_ = 0;
};

void ExpectBox(const ShownBox &box, const char *caption, const char *text, LPCSTR icon)
{
    EXPECT_EQ(box.caption, caption);
    EXPECT_EQ(box.text, text);
    EXPECT_TRUE(box.ok && !box.yes && !box.no && !box.owned) << text;
    EXPECT_EQ(box.icon, LoadIconA(nullptr, icon)) << text;
}

void ExpectModeRequest(const DisplayModeCall &call)
{
    EXPECT_FALSE(call.restore);
    EXPECT_EQ(call.flags, static_cast<DWORD>(CDS_FULLSCREEN));
    // The 148-byte layout, whatever the headers say, and nothing else set.
    DEVMODEA expected = {};
    expected.dmSize = 148;
    expected.dmFields = 0x1C0000;
    expected.dmPelsWidth = 800;
    expected.dmPelsHeight = 600;
    expected.dmBitsPerPel = 16;
    EXPECT_EQ(0, memcmp(&call.request, &expected, sizeof expected));
}

void ExpectWindow(DWORD style, DWORD exStyle)
{
    ASSERT_NE(DemoWindow, nullptr);
    EXPECT_EQ(FindWindowA("OpenGL", "Brix & Mallow's Quadratics Tutorial"), DemoWindow);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(DemoWindow, GWL_STYLE)), WS_VISIBLE | style);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(DemoWindow, GWL_EXSTYLE)), exStyle);
    RECT outer;
    GetWindowRect(DemoWindow, &outer);
    EXPECT_TRUE(outer.left == 0 && outer.top == 0 && outer.right == 800 && outer.bottom == 600);
    EXPECT_EQ(GetForegroundWindow(), DemoWindow);
    EXPECT_EQ(GetFocus(), DemoWindow);
    EXPECT_EQ(wglGetCurrentContext(), DemoRenderingContext);
    EXPECT_EQ(wglGetCurrentDC(), DemoDeviceContext);
}

void ExpectNothingLeft()
{
    EXPECT_TRUE(!DemoWindow && !DemoDeviceContext && !DemoRenderingContext);
    EXPECT_EQ(FindWindowA("OpenGL", nullptr), nullptr);
    EXPECT_EQ(wglGetCurrentContext(), nullptr);
}

// On a display without 800 x 600 x 16 (bare Xvfb) the user is asked; Yes
// gives an ordinary window, the cursor stays and the display is left alone.
TEST_F(DemoWindowTest, RefusedModeAnsweredYes)
{
    DisplayModeWatch watch(DisplayModeWatch::PassThrough);
    BoxAnswerer answerer({IDYES});
    ASSERT_TRUE(Create());
    ASSERT_EQ(watch.calls.size(), 1u);
    ExpectModeRequest(watch.calls[0]);
    ASSERT_NE(watch.results[0], DISP_CHANGE_SUCCESSFUL) << "needs a display that refuses the mode";
    ASSERT_EQ(answerer.boxes.size(), 1u);
    const ShownBox &question = answerer.boxes[0];
    EXPECT_EQ(question.caption, "Brix GL");
    EXPECT_EQ(question.text, "The Requested Fullscreen Mode Is Not Supported By\n"
                             "Your Video Card. Use Windowed Mode Instead?");
    EXPECT_TRUE(question.yes && question.no && !question.ok && !question.owned);
    EXPECT_EQ(question.icon, LoadIconA(nullptr, IDI_EXCLAMATION));

    EXPECT_FALSE(DemoFullscreen);
    ExpectWindow(0x06CF0000, 0x40100);
    RECT client;
    GetClientRect(DemoWindow, &client);
    EXPECT_TRUE(client.right < 800 && client.bottom < 600) << "the frame is inside the 800 x 600";
    EXPECT_EQ(CursorShowCount(), cursor_);

    DestroyDemoWindow();
    ExpectNothingLeft();
    EXPECT_EQ(watch.calls.size(), 1u) << "no mode to restore";
    EXPECT_EQ(CursorShowCount(), cursor_);
    EXPECT_EQ(answerer.boxes.size(), 1u);
    EXPECT_FALSE(answerer.TimedOut());
}

TEST_F(DemoWindowTest, RefusedModeAnsweredNo)
{
    DisplayModeWatch watch(DisplayModeWatch::PassThrough);
    BoxAnswerer answerer({IDNO});
    EXPECT_FALSE(Create());
    ASSERT_EQ(answerer.boxes.size(), 2u);
    EXPECT_EQ(answerer.boxes[0].caption, "Brix GL");
    ExpectBox(answerer.boxes[1], "ERROR", "Program Will Now Close.", IDI_HAND);
    ExpectNothingLeft();
    EXPECT_EQ(watch.calls.size(), 1u);
    EXPECT_EQ(CursorShowCount(), cursor_);
    EXPECT_FALSE(answerer.TimedOut());
}

// Where the mode is granted the demo covers the screen with a popup and
// hides the cursor; the teardown restores the mode and the cursor.
TEST_F(DemoWindowTest, GrantedModeGivesAPopup)
{
    DisplayModeWatch watch(DisplayModeWatch::Grant);
    BoxAnswerer answerer;
    ASSERT_TRUE(Create());
    EXPECT_TRUE(answerer.boxes.empty());
    ASSERT_EQ(watch.calls.size(), 1u);
    ExpectModeRequest(watch.calls[0]);
    EXPECT_TRUE(DemoFullscreen);
    ExpectWindow(0x86000000, 0x40000);
    EXPECT_EQ(CursorShowCount(), cursor_ - 1);

    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    ASSERT_TRUE(GetClassInfoExA(GetModuleHandleA(nullptr), "OpenGL", &windowClass));
    EXPECT_EQ(windowClass.style, 0x23u);
    EXPECT_EQ(windowClass.lpfnWndProc, DemoWindowProc);
    EXPECT_EQ(windowClass.cbClsExtra + windowClass.cbWndExtra, 0);
    EXPECT_EQ(windowClass.hIcon, LoadIconA(nullptr, IDI_WINLOGO));
    EXPECT_EQ(windowClass.hCursor, LoadCursorA(nullptr, IDC_ARROW));
    EXPECT_EQ(windowClass.hbrBackground, nullptr);
    EXPECT_EQ(windowClass.lpszMenuName, nullptr);
    // The class's own device context carries the double-buffered format.
    EXPECT_EQ(GetDC(DemoWindow), DemoDeviceContext);
    PIXELFORMATDESCRIPTOR chosen = {};
    ASSERT_GT(DescribePixelFormat(DemoDeviceContext, GetPixelFormat(DemoDeviceContext), sizeof chosen, &chosen), 0);
    EXPECT_EQ(chosen.dwFlags & 0x25u, 0x25u);
    EXPECT_GE(chosen.cDepthBits, 16);

    DestroyDemoWindow();
    ExpectNothingLeft();
    ASSERT_EQ(watch.calls.size(), 2u);
    EXPECT_TRUE(watch.calls[1].restore);
    EXPECT_EQ(watch.calls[1].flags, 0u);
    EXPECT_EQ(CursorShowCount(), cursor_);
    EXPECT_TRUE(answerer.boxes.empty());
}

// The class stays registered after a teardown, so a second window in the
// same process fails at the first step, before touching the display.
TEST_F(DemoWindowTest, SecondRegistrationFails)
{
    DisplayModeWatch watch(DisplayModeWatch::Grant);
    BoxAnswerer answerer;
    ASSERT_TRUE(Create());
    DestroyDemoWindow();
    EXPECT_FALSE(Create());
    ASSERT_EQ(answerer.boxes.size(), 1u);
    ExpectBox(answerer.boxes[0], "ERROR", "Failed To Register The Window Class.", IDI_EXCLAMATION);
    EXPECT_EQ(watch.calls.size(), 2u) << "only the first window's switch and restore";
    ExpectNothingLeft();
}

LRESULT CALLBACK RefuseDemoWindows(int code, WPARAM wParam, LPARAM lParam)
{
    char name[16] = {};
    if (code == HCBT_CREATEWND && GetClassNameA(reinterpret_cast<HWND>(wParam), name, sizeof name) &&
        lstrcmpA(name, "OpenGL") == 0)
        return 1;
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

struct WhenTold {
    DisplayModeWatch *watch;
    size_t displayCalls;
    int cursor;
};

// A failure after the switch restores the display and the cursor before
// the user reads why.
TEST_F(DemoWindowTest, FailureRestoresBeforeTelling)
{
    DisplayModeWatch watch(DisplayModeWatch::Grant);
    BoxAnswerer answerer;
    WhenTold told{&watch, 0, 0};
    answerer.onShowContext = &told;
    answerer.onShow = [](void *context) {
        auto *t = static_cast<WhenTold *>(context);
        t->displayCalls = t->watch->calls.size();
        t->cursor = CursorShowCount();
    };
    HHOOK refuse = SetWindowsHookExA(WH_CBT, RefuseDemoWindows, nullptr, GetCurrentThreadId());
    const bool created = Create();
    UnhookWindowsHookEx(refuse);

    EXPECT_FALSE(created);
    ASSERT_EQ(answerer.boxes.size(), 1u);
    ExpectBox(answerer.boxes[0], "ERROR", "Window Creation Error.", IDI_EXCLAMATION);
    EXPECT_EQ(told.displayCalls, 2u);
    EXPECT_TRUE(watch.calls.back().restore);
    EXPECT_EQ(told.cursor, cursor_);
    ExpectNothingLeft();
}

// Each failed release is reported in order, and its handle is forgotten all
// the same: a second teardown has nothing left to release.
TEST_F(DemoWindowTest, TeardownReportsFailuresAndForgetsHandles)
{
    DisplayModeWatch watch(DisplayModeWatch::Grant);
    BoxAnswerer answerer;
    ASSERT_TRUE(Create());
    // A context the system never made, a device context that is not one,
    // and a window already gone.
    ASSERT_TRUE(wglMakeCurrent(nullptr, nullptr));
    ASSERT_TRUE(wglDeleteContext(DemoRenderingContext));
    ASSERT_TRUE(DestroyWindow(DemoWindow));
    DemoRenderingContext = reinterpret_cast<HGLRC>(static_cast<INT_PTR>(0x7ffe));
    DemoDeviceContext = reinterpret_cast<HDC>(static_cast<INT_PTR>(0x1234));
    // Whether unbinding with nothing current is refused is the system's
    // choice; the teardown reports it when it is.
    const size_t unbindReport = wglMakeCurrent(nullptr, nullptr) ? 0 : 1;

    DestroyDemoWindow();
    ASSERT_EQ(answerer.boxes.size(), unbindReport + 3);
    if (unbindReport)
        ExpectBox(answerer.boxes[0], "SHUTDOWN ERROR", "Release Of DC And RC Failed.", IDI_ASTERISK);
    ExpectBox(answerer.boxes[unbindReport], "SHUTDOWN ERROR", "Release Rendering Context Failed.", IDI_ASTERISK);
    ExpectBox(answerer.boxes[unbindReport + 1], "SHUTDOWN ERROR", "Release Device Context Failed.", IDI_ASTERISK);
    ExpectBox(answerer.boxes[unbindReport + 2], "SHUTDOWN ERROR", "Could Not Release hWnd.", IDI_ASTERISK);
    EXPECT_TRUE(!DemoWindow && !DemoDeviceContext && !DemoRenderingContext);
    EXPECT_EQ(watch.calls.size(), 2u) << "the mode is restored all the same";
    EXPECT_EQ(CursorShowCount(), cursor_);

    DestroyDemoWindow();
    EXPECT_EQ(answerer.boxes.size(), unbindReport + 3) << "nothing is released twice";
    EXPECT_FALSE(answerer.TimedOut());
}

} // namespace
