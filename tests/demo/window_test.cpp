// Opening and closing the demo window on the real platform: the display
// mode it asks for, what the user is asked, the window it makes, and the
// teardown with its reports.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include "demo/demo_loop.h"
#include "demo/gl_window.h"
#include "demo_test_support.h"
#include "message_boxes.h"

namespace {

const char Title[] = "Brix & Mallow's Quadratics Tutorial";

class DemoWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetDemo();
        cursorBefore_ = CursorShowCount();
    }
    void TearDown() override
    {
        ResetDemo();
        EXPECT_EQ(CursorShowCount(), cursorBefore_) << "the cursor count must come back";
    }
    bool Create(bool fullscreen = true) { return CreateDemoWindow(Title, 800, 600, 16, fullscreen); }

    int cursorBefore_ = 0;
};

void ExpectBox(const ShownMessageBox &box, const char *caption, const char *text, HICON icon)
{
    EXPECT_EQ(box.caption, caption);
    EXPECT_EQ(box.text, text);
    EXPECT_FALSE(box.hasOwner);
    EXPECT_TRUE(box.hasOk);
    EXPECT_FALSE(box.hasYes || box.hasNo || box.hasCancel);
    EXPECT_EQ(box.icon, icon);
}

void ExpectFullscreenRequest(const DisplayModeCall &call)
{
    EXPECT_FALSE(call.restore);
    EXPECT_EQ(call.flags, static_cast<DWORD>(CDS_FULLSCREEN));
    // The request has the 148-byte layout, whatever the headers say.
    EXPECT_EQ(call.request.dmSize, 148);
    EXPECT_EQ(call.request.dmFields, 0x1C0000u);
    EXPECT_EQ(call.request.dmPelsWidth, 800u);
    EXPECT_EQ(call.request.dmPelsHeight, 600u);
    EXPECT_EQ(call.request.dmBitsPerPel, 16u);
    EXPECT_EQ(call.request.dmDeviceName[0], 0);
    EXPECT_EQ(call.request.dmDriverExtra, 0);
    EXPECT_EQ(call.request.dmDisplayFrequency, 0u);
    EXPECT_EQ(call.request.dmDisplayFlags, 0u);
}

void ExpectNoDemoHandles()
{
    EXPECT_EQ(DemoWindow, nullptr);
    EXPECT_EQ(DemoDeviceContext, nullptr);
    EXPECT_EQ(DemoRenderingContext, nullptr);
    EXPECT_EQ(FindWindowA("OpenGL", nullptr), nullptr);
}

void ExpectWindowRect(HWND window, LONG width, LONG height)
{
    RECT rect;
    ASSERT_TRUE(GetWindowRect(window, &rect));
    EXPECT_EQ(rect.left, 0);
    EXPECT_EQ(rect.top, 0);
    EXPECT_EQ(rect.right, width);
    EXPECT_EQ(rect.bottom, height);
}

// On a display that cannot switch to 800 x 600 x 16 (bare Xvfb) the user
// is asked; Yes gives an ordinary window and leaves the display alone.
TEST_F(DemoWindowTest, RefusedModeAnsweredYesOpensAnOverlappedWindow)
{
    DisplayModeWatch watch(DisplayModeWatch::PassThrough);
    MessageBoxAnswerer answerer({IDYES});
    ASSERT_TRUE(Create());

    ASSERT_EQ(watch.Calls().size(), 1u);
    ExpectFullscreenRequest(watch.Calls()[0]);
    ASSERT_NE(watch.Calls()[0].result, DISP_CHANGE_SUCCESSFUL)
        << "this test needs a display that refuses the mode, such as bare Xvfb";

    ASSERT_EQ(answerer.Boxes().size(), 1u);
    const ShownMessageBox &question = answerer.Boxes()[0];
    EXPECT_EQ(question.caption, "Brix GL");
    EXPECT_EQ(question.text, "The Requested Fullscreen Mode Is Not Supported By\n"
                             "Your Video Card. Use Windowed Mode Instead?");
    EXPECT_TRUE(question.hasYes && question.hasNo);
    EXPECT_FALSE(question.hasOk || question.hasCancel);
    EXPECT_EQ(question.icon, ExclamationIcon());
    EXPECT_FALSE(question.hasOwner);

    EXPECT_FALSE(DemoFullscreen);
    ASSERT_NE(DemoWindow, nullptr);
    EXPECT_EQ(FindWindowA("OpenGL", Title), DemoWindow);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(DemoWindow, GWL_STYLE)), WS_VISIBLE | 0x06CF0000u);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(DemoWindow, GWL_EXSTYLE)), 0x40100u);
    EXPECT_EQ(GetParent(DemoWindow), nullptr);
    EXPECT_EQ(GetMenu(DemoWindow), nullptr);
    // The outer size is exactly the request, so the client area is smaller.
    ExpectWindowRect(DemoWindow, 800, 600);
    RECT client;
    GetClientRect(DemoWindow, &client);
    EXPECT_LT(client.right, 800);
    EXPECT_LT(client.bottom, 600);
    EXPECT_EQ(GetForegroundWindow(), DemoWindow);
    EXPECT_EQ(GetFocus(), DemoWindow);
    EXPECT_EQ(CursorShowCount(), cursorBefore_) << "a windowed demo keeps the cursor";
    EXPECT_EQ(wglGetCurrentContext(), DemoRenderingContext);
    EXPECT_EQ(wglGetCurrentDC(), DemoDeviceContext);

    const HWND window = DemoWindow;
    DestroyDemoWindow();
    ExpectNoDemoHandles();
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(wglGetCurrentContext(), nullptr);
    EXPECT_EQ(watch.Calls().size(), 1u) << "no display mode to restore";
    EXPECT_EQ(answerer.Boxes().size(), 1u) << "a clean teardown reports nothing";
    EXPECT_EQ(CursorShowCount(), cursorBefore_);
    EXPECT_FALSE(answerer.TimedOut());
}

TEST_F(DemoWindowTest, RefusedModeAnsweredNoClosesWithoutAWindow)
{
    DisplayModeWatch watch(DisplayModeWatch::PassThrough);
    MessageBoxAnswerer answerer({IDNO, IDOK});
    EXPECT_FALSE(Create());

    ASSERT_EQ(answerer.Boxes().size(), 2u);
    EXPECT_EQ(answerer.Boxes()[0].caption, "Brix GL");
    ExpectBox(answerer.Boxes()[1], "ERROR", "Program Will Now Close.", StopIcon());
    ExpectNoDemoHandles();
    ASSERT_EQ(watch.Calls().size(), 1u) << "nothing to restore after a refusal";
    EXPECT_EQ(CursorShowCount(), cursorBefore_);
    // Nothing is torn down, so the class stays registered.
    WNDCLASSA registered;
    EXPECT_TRUE(GetClassInfoA(GetModuleHandleA(nullptr), "OpenGL", &registered));
    EXPECT_FALSE(answerer.TimedOut());
}

// Where the display switches, the demo covers it with a popup and hides
// the cursor; the teardown brings both back.
TEST_F(DemoWindowTest, GrantedModeOpensAPopupAndHidesTheCursor)
{
    DisplayModeWatch watch(DisplayModeWatch::Grant);
    MessageBoxAnswerer answerer;
    ASSERT_TRUE(Create());

    EXPECT_TRUE(answerer.Boxes().empty());
    ASSERT_EQ(watch.Calls().size(), 1u);
    ExpectFullscreenRequest(watch.Calls()[0]);
    EXPECT_TRUE(DemoFullscreen);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(DemoWindow, GWL_STYLE)), WS_VISIBLE | 0x86000000u);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(DemoWindow, GWL_EXSTYLE)), 0x40000u);
    ExpectWindowRect(DemoWindow, 800, 600);
    RECT client;
    GetClientRect(DemoWindow, &client);
    EXPECT_EQ(client.right, 800);
    EXPECT_EQ(client.bottom, 600);
    EXPECT_EQ(CursorShowCount(), cursorBefore_ - 1);

    DestroyDemoWindow();
    ExpectNoDemoHandles();
    ASSERT_EQ(watch.Calls().size(), 2u);
    EXPECT_TRUE(watch.Calls()[1].restore);
    EXPECT_EQ(watch.Calls()[1].flags, 0u);
    EXPECT_EQ(CursorShowCount(), cursorBefore_);
    EXPECT_TRUE(answerer.Boxes().empty());
}

// The class the window is made of, and the pixel format on its own
// device context.
TEST_F(DemoWindowTest, WindowClassAndPixelFormat)
{
    DisplayModeWatch watch(DisplayModeWatch::Grant);
    MessageBoxAnswerer answerer;
    ASSERT_TRUE(Create());

    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    ASSERT_TRUE(GetClassInfoExA(GetModuleHandleA(nullptr), "OpenGL", &windowClass));
    EXPECT_EQ(windowClass.style, 0x23u);
    EXPECT_EQ(windowClass.lpfnWndProc, DemoWindowProc);
    EXPECT_EQ(windowClass.cbClsExtra, 0);
    EXPECT_EQ(windowClass.cbWndExtra, 0);
    EXPECT_EQ(windowClass.hInstance, GetModuleHandleA(nullptr));
    EXPECT_EQ(windowClass.hIcon, LoadIconA(nullptr, IDI_WINLOGO));
    EXPECT_EQ(windowClass.hCursor, LoadCursorA(nullptr, IDC_ARROW));
    EXPECT_EQ(windowClass.hbrBackground, nullptr);
    EXPECT_EQ(windowClass.lpszMenuName, nullptr);

    // The class's own device context: every GetDC hands out the same one.
    EXPECT_EQ(GetDC(DemoWindow), DemoDeviceContext);
    const int format = GetPixelFormat(DemoDeviceContext);
    ASSERT_GT(format, 0);
    PIXELFORMATDESCRIPTOR chosen = {};
    ASSERT_GT(DescribePixelFormat(DemoDeviceContext, format, sizeof chosen, &chosen), 0);
    const DWORD wanted = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    EXPECT_EQ(chosen.dwFlags & wanted, wanted);
    EXPECT_EQ(chosen.iPixelType, PFD_TYPE_RGBA);
    EXPECT_GE(chosen.cDepthBits, 16);
    EXPECT_GE(chosen.cColorBits, 16);
}

// The class stays registered after a teardown, so a second window in the
// same process fails at the very first step, before touching the display.
TEST_F(DemoWindowTest, SecondRegistrationFailsBeforeAnythingElse)
{
    {
        DisplayModeWatch watch(DisplayModeWatch::Grant);
        MessageBoxAnswerer answerer;
        ASSERT_TRUE(Create());
        DestroyDemoWindow();
    }
    DisplayModeWatch watch(DisplayModeWatch::Grant);
    MessageBoxAnswerer answerer;
    EXPECT_FALSE(Create());
    ASSERT_EQ(answerer.Boxes().size(), 1u);
    ExpectBox(answerer.Boxes()[0], "ERROR", "Failed To Register The Window Class.", ExclamationIcon());
    EXPECT_TRUE(watch.Calls().empty());
    ExpectNoDemoHandles();
    EXPECT_EQ(CursorShowCount(), cursorBefore_);
}

// Refuses the creation of every window of class "OpenGL".
LRESULT CALLBACK RefuseDemoWindows(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_CREATEWND) {
        char name[16] = {};
        GetClassNameA(reinterpret_cast<HWND>(wParam), name, sizeof name);
        if (lstrcmpA(name, "OpenGL") == 0)
            return 1;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

struct StateWhenShown {
    const DisplayModeWatch *watch;
    size_t displayCalls = 0;
    int cursorCount = 0;
};

void NoteState(const ShownMessageBox &, void *context)
{
    auto *state = static_cast<StateWhenShown *>(context);
    state->displayCalls = state->watch->Calls().size();
    state->cursorCount = CursorShowCount();
}

// A failure after the mode changed puts the display and cursor back before
// the user reads why.
TEST_F(DemoWindowTest, FailureAfterModeChangeRestoresBeforeTelling)
{
    DisplayModeWatch watch(DisplayModeWatch::Grant);
    MessageBoxAnswerer answerer;
    StateWhenShown state{&watch};
    answerer.OnShow(NoteState, &state);
    HHOOK refuse = SetWindowsHookExA(WH_CBT, RefuseDemoWindows, nullptr, GetCurrentThreadId());
    ASSERT_NE(refuse, nullptr);
    const bool created = Create();
    UnhookWindowsHookEx(refuse);

    EXPECT_FALSE(created);
    ASSERT_EQ(answerer.Boxes().size(), 1u);
    ExpectBox(answerer.Boxes()[0], "ERROR", "Window Creation Error.", ExclamationIcon());
    EXPECT_EQ(state.displayCalls, 2u) << "the mode was restored before the message";
    ASSERT_EQ(watch.Calls().size(), 2u);
    EXPECT_TRUE(watch.Calls()[1].restore);
    EXPECT_EQ(state.cursorCount, cursorBefore_) << "the cursor was shown before the message";
    ExpectNoDemoHandles();
    EXPECT_FALSE(DemoFullscreen);
}

// Every release that fails is reported in order and the handle is
// forgotten all the same, so a second teardown has nothing left to do.
TEST_F(DemoWindowTest, TeardownReportsFailedReleasesAndForgetsEveryHandle)
{
    DisplayModeWatch watch(DisplayModeWatch::Grant);
    MessageBoxAnswerer answerer;
    ASSERT_TRUE(Create());
    const HGLRC realContext = DemoRenderingContext;
    const HWND realWindow = DemoWindow;
    // A context the system never made, a device context that is not one,
    // and a window that is already gone.
    DemoRenderingContext = reinterpret_cast<HGLRC>(static_cast<INT_PTR>(0x7ffe));
    DemoDeviceContext = reinterpret_cast<HDC>(static_cast<INT_PTR>(0x1234));
    ASSERT_TRUE(wglMakeCurrent(nullptr, nullptr));
    ASSERT_TRUE(wglDeleteContext(realContext));
    ASSERT_TRUE(DestroyWindow(realWindow));
    // Whether unbinding with nothing current is refused is the system's
    // choice; the teardown reports it when it is.
    const bool unbindRefused = !wglMakeCurrent(nullptr, nullptr);

    DestroyDemoWindow();
    const std::vector<ShownMessageBox> &boxes = answerer.Boxes();
    size_t next = 0;
    if (unbindRefused) {
        ASSERT_GE(boxes.size(), 1u);
        ExpectBox(boxes[next++], "SHUTDOWN ERROR", "Release Of DC And RC Failed.", InformationIcon());
    }
    ASSERT_EQ(boxes.size(), next + 3);
    ExpectBox(boxes[next], "SHUTDOWN ERROR", "Release Rendering Context Failed.", InformationIcon());
    ExpectBox(boxes[next + 1], "SHUTDOWN ERROR", "Release Device Context Failed.", InformationIcon());
    ExpectBox(boxes[next + 2], "SHUTDOWN ERROR", "Could Not Release hWnd.", InformationIcon());
    EXPECT_EQ(DemoWindow, nullptr);
    EXPECT_EQ(DemoDeviceContext, nullptr);
    EXPECT_EQ(DemoRenderingContext, nullptr);
    // The display and cursor come back even after failed releases.
    ASSERT_EQ(watch.Calls().size(), 2u);
    EXPECT_TRUE(watch.Calls()[1].restore);
    EXPECT_EQ(CursorShowCount(), cursorBefore_);

    const size_t reported = boxes.size();
    DestroyDemoWindow();
    EXPECT_EQ(answerer.Boxes().size(), reported) << "nothing is released twice";
    EXPECT_EQ(watch.Calls().size(), 2u);
    EXPECT_FALSE(answerer.TimedOut());
}

} // namespace
