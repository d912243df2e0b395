// The running demo on a real window and real OpenGL (Mesa under Wine):
// what its window procedure does with each message, how the loop draws and
// ends, and the pixels that reach the window.
#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "demo/demo_loop.h"
#include "demo/gl_window.h"
#include "demo/scene.h"
#include "demo/scene_gl.h"
#include "demo_test_support.h"

namespace {

using DemoLoopTest = OpenDemoTest;

LRESULT Send(UINT message, WPARAM wParam, LPARAM lParam = 0)
{
    return SendMessageA(DemoWindow, message, wParam, lParam);
}

TEST_F(DemoLoopTest, KeysAreTrackedByCodeAndCodesPastTheTableIgnored)
{
    EXPECT_EQ(Send(WM_KEYDOWN, 'A'), 0);
    EXPECT_EQ(Send(WM_KEYDOWN, VK_ESCAPE), 0);
    EXPECT_EQ(Send(WM_KEYUP, 'A'), 0);
    EXPECT_TRUE(!KeyDown['A'] && KeyDown[VK_ESCAPE]);
    EXPECT_EQ(Send(WM_KEYDOWN, 255), 0);
    EXPECT_TRUE(KeyDown[255]);
    // No keyboard sends these; the last ones would be written outside the
    // process's memory.
    for (WPARAM code : {WPARAM(256), WPARAM(0x1000), WPARAM(0x7FFFFFFF), WPARAM(0xFFFFFFFF)}) {
        EXPECT_EQ(Send(WM_KEYDOWN, code), 0);
        EXPECT_EQ(Send(WM_KEYUP, code), 0);
    }
    int held = 0;
    for (bool down : KeyDown)
        held += down;
    EXPECT_EQ(held, 2);
}

// Only the minimised flag in the high word stops the drawing; losing the
// activation alone does not.
TEST_F(DemoLoopTest, ActivationFollowsTheMinimisedFlag)
{
    EXPECT_EQ(Send(WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 1)), 0);
    EXPECT_FALSE(DemoActive);
    Send(WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, 0));
    EXPECT_TRUE(DemoActive);
    Send(WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 0));
    EXPECT_TRUE(DemoActive);
}

// DefWindowProc tells WH_CBT hooks of each system command it carries out;
// this one notes them and lets only SC_CLOSE through.
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

TEST_F(DemoLoopTest, ScreenSaverAndMonitorPowerAreSwallowed)
{
    DefaultSysCommands.clear();
    HHOOK hook = SetWindowsHookExA(WH_CBT, NoteSysCommands, nullptr, GetCurrentThreadId());
    EXPECT_EQ(Send(WM_SYSCOMMAND, SC_SCREENSAVE), 0);
    EXPECT_EQ(Send(WM_SYSCOMMAND, SC_MONITORPOWER, 2), 0);
    // The whole wParam is compared: other low bits are other commands.
    Send(WM_SYSCOMMAND, SC_SCREENSAVE | 1);
    Send(WM_SYSCOMMAND, SC_MAXIMIZE);
    MSG quit;
    EXPECT_FALSE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    Send(WM_SYSCOMMAND, SC_CLOSE);
    UnhookWindowsHookEx(hook);
    const std::vector<WPARAM> passedOn = {SC_SCREENSAVE | 1, SC_MAXIMIZE, SC_CLOSE};
    EXPECT_EQ(DefaultSysCommands, passedOn);
    // SC_CLOSE became WM_CLOSE, which asks the loop to end.
    EXPECT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_TRUE(IsWindow(DemoWindow));
}

int CloseAtFrame = 0;
bool GuardFired = false;

void CALLBACK CloseWhenDrawn(HWND, UINT, UINT_PTR timer, DWORD)
{
    if (TheScene.FrameCounter >= CloseAtFrame && KillTimer(nullptr, timer))
        PostMessageA(DemoWindow, WM_CLOSE, 0, 0);
}

void CALLBACK EndRunawayLoop(HWND, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(nullptr, timer);
    GuardFired = true;
    PostQuitMessage(0);
}

// Runs the loop with a close posted once CloseAtFrame frames are drawn,
// and a guard that ends it after a minute whatever happens.
void RunLoopUntilClosed()
{
    GuardFired = false;
    const UINT_PTR close = SetTimer(nullptr, 0, 20, CloseWhenDrawn);
    const UINT_PTR guard = SetTimer(nullptr, 0, 60000, EndRunawayLoop);
    RunDemoLoop();
    KillTimer(nullptr, close);
    KillTimer(nullptr, guard);
}

// The loop never waits: it draws frame after frame, handling the timer's
// messages in between, until the window is closed.
TEST_F(DemoLoopTest, LoopDrawsUntilClosed)
{
    CloseAtFrame = TheScene.FrameCounter + 5;
    RunLoopUntilClosed();
    EXPECT_FALSE(GuardFired) << "the loop did not end on WM_CLOSE";
    EXPECT_GE(TheScene.FrameCounter, CloseAtFrame);
    EXPECT_TRUE(IsWindow(DemoWindow)) << "the teardown is left to the caller";
}

// Waiting messages are all handled before anything is drawn, so a close
// already queued ends the loop without a frame.
TEST_F(DemoLoopTest, QueuedCloseEndsTheLoopBeforeAnyFrame)
{
    const int frames = TheScene.FrameCounter;
    PostMessageA(DemoWindow, WM_KEYDOWN, 'X', 0);
    PostMessageA(DemoWindow, WM_CLOSE, 0, 0);
    CloseAtFrame = frames;
    RunLoopUntilClosed();
    EXPECT_FALSE(GuardFired);
    EXPECT_EQ(TheScene.FrameCounter, frames);
    EXPECT_TRUE(KeyDown['X']);
}

TEST_F(DemoLoopTest, SizeSetsViewportAndPerspective)
{
    auto expectPerspective = [](double aspect) {
        GLdouble m[16];
        glGetDoublev(GL_PROJECTION_MATRIX, m);
        const double f = 1.0 / std::tan(22.5 * 3.14159265358979 / 180.0); // 45 degrees
        EXPECT_NEAR(m[0], f / aspect, 1e-6);
        EXPECT_NEAR(m[5], f, 1e-6);
        EXPECT_NEAR(m[10], -100.1 / 99.9, 1e-6); // near 0.1, far 100
        EXPECT_NEAR(m[14], -20.0 / 99.9, 1e-6);
    };
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_TRUE(viewport[2] == 800 && viewport[3] == 600) << "set for the requested size";
    expectPerspective(800.0 / 600.0);

    Send(WM_SIZE, SIZE_RESTORED, MAKELPARAM(300, 200));
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_TRUE(viewport[2] == 300 && viewport[3] == 200);
    expectPerspective(1.5);
    // No height at all still gives a viewport, of height 1.
    Send(WM_SIZE, SIZE_RESTORED, MAKELPARAM(640, 0));
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_TRUE(viewport[0] == 0 && viewport[1] == 0 && viewport[2] == 640 && viewport[3] == 1);
    expectPerspective(640.0);
    GLint mode;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
}

struct Pixel {
    float r, g, b;
};

// The client area bottom row first, as OpenGL counts: what the window
// shows (read through GDI, as any program sees it) or the back buffer.
struct Picture {
    int width, height;
    std::vector<Pixel> pixels;
    const Pixel &At(int x, int y) const { return pixels[size_t(y) * width + x]; }
    int Lit() const
    {
        int lit = 0;
        for (const Pixel &p : pixels)
            lit += p.r + p.g + p.b > 0;
        return lit;
    }
    bool operator==(const Picture &o) const
    {
        return std::equal(pixels.begin(), pixels.end(), o.pixels.begin(), o.pixels.end(),
                          [](const Pixel &a, const Pixel &b) { return a.r == b.r && a.g == b.g && a.b == b.b; });
    }
};

Picture Shown(int width, int height)
{
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof info.bmiHeader, width, height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void *bits = nullptr;
    HDC window = GetDC(DemoWindow), memory = CreateCompatibleDC(window);
    HBITMAP bitmap = CreateDIBSection(window, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    EXPECT_TRUE(BitBlt(memory, 0, 0, width, height, window, 0, 0, SRCCOPY));
    GdiFlush();
    Picture picture{width, height, std::vector<Pixel>(size_t(width) * height)};
    const auto *bgrx = static_cast<const uint8_t *>(bits);
    for (size_t i = 0; i < picture.pixels.size(); ++i)
        picture.pixels[i] = {bgrx[4 * i + 2] / 255.0f, bgrx[4 * i + 1] / 255.0f, bgrx[4 * i] / 255.0f};
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(DemoWindow, window);
    return picture;
}

Picture BackBuffer(int width, int height)
{
    std::vector<uint8_t> rgba(size_t(width) * height * 4);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    Picture picture{width, height, std::vector<Pixel>(size_t(width) * height)};
    for (size_t i = 0; i < picture.pixels.size(); ++i)
        picture.pixels[i] = {rgba[4 * i] / 255.0f, rgba[4 * i + 1] / 255.0f, rgba[4 * i + 2] / 255.0f};
    return picture;
}

bool Near(const Pixel &a, const Pixel &b, float tolerance)
{
    return std::fabs(a.r - b.r) <= tolerance && std::fabs(a.g - b.g) <= tolerance &&
           std::fabs(a.b - b.b) <= tolerance;
}

// Before the trail starts (frames 1 to 5) only the live loop is drawn: thin
// lines on black, and next to each point the colour of that point.
TEST_F(DemoLoopTest, WindowShowsTheLiveLoopOnBlack)
{
    for (int frame = 0; frame < 3; ++frame) {
        ASSERT_TRUE(DrawFrame());
        SwapBuffers(DemoDeviceContext);
    }
    glFinish();
    const Picture shown = Shown(width_, height_);
    EXPECT_GT(shown.Lit(), 100);
    EXPECT_LT(shown.Lit(), width_ * height_ / 20);
    EXPECT_TRUE(Near(shown.At(0, 0), {0, 0, 0}, 0));

    GLdouble modelView[16], projection[16];
    GLint viewport[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, modelView);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    // OpenGL clamps the bright channel, which often exceeds 1, to full.
    const ScenePoint &last = TheScene.Positions[14];
    auto bright = [](float coordinate) { return std::fmin(std::fabs(0.2f * coordinate) + 0.5f, 1.0f); };
    const Pixel colours[3] = {{bright(last.x), 0.1f, 0.1f}, {0.1f, bright(last.y), 0.1f}, {0.1f, 0.1f, bright(last.z)}};
    // Point 0 is left out: the closing segment ends there in point 14's
    // colour. Two pixels of slack, as line ends are rounded; where two
    // segments cover the same pixels the additive blend doubles the colour.
    int checked = 0;
    for (int i = 1; i < ScenePointCount; ++i) {
        const ScenePoint &p = TheScene.Positions[i];
        GLdouble wx, wy, wz;
        gluProject(p.x, p.y, p.z - 90.0, modelView, projection, viewport, &wx, &wy, &wz);
        const int x = int(wx), y = int(wy);
        if (x < 2 || y < 2 || x >= width_ - 2 || y >= height_ - 2)
            continue; // outside the client area
        ++checked;
        const Pixel &c = colours[i % 3];
        const Pixel twice = {std::fmin(2 * c.r, 1.0f), std::fmin(2 * c.g, 1.0f), std::fmin(2 * c.b, 1.0f)};
        bool found = false;
        for (int d = 0; d < 25 && !found; ++d) {
            const Pixel &seen = shown.At(x + d % 5 - 2, y + d / 5 - 2);
            found = Near(seen, c, 0.08f) || Near(seen, twice, 0.08f);
        }
        EXPECT_TRUE(found) << "point " << i << " at " << x << ", " << y;
    }
    EXPECT_GE(checked, 10);
}

// While minimised nothing is drawn and the scene stands still, yet the loop
// swaps: whatever the back buffer held reaches the window.
TEST_F(DemoLoopTest, MinimisedPassSwapsWithoutDrawing)
{
    glClearColor(0, 1, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glClearColor(0, 0, 0, 0.5f);
    const int frames = TheScene.FrameCounter;
    Send(WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 1));
    EXPECT_TRUE(RunDemoIdlePass());
    glFinish();
    EXPECT_EQ(TheScene.FrameCounter, frames);
    EXPECT_TRUE(Near(Shown(width_, height_).At(width_ / 2, height_ / 2), {0, 1, 0}, 0.01f));

    Send(WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, 0));
    EXPECT_TRUE(RunDemoIdlePass());
    glFinish();
    EXPECT_EQ(TheScene.FrameCounter, frames + 1);
    const Picture drawn = Shown(width_, height_);
    EXPECT_TRUE(Near(drawn.At(3, 3), {0, 0, 0}, 0));
    EXPECT_GT(drawn.Lit(), 100);
}

// The pass that sees Escape has drawn its frame already, and never shows it.
TEST_F(DemoLoopTest, FrameOfTheEscapePassIsNeverShown)
{
    ASSERT_TRUE(RunDemoIdlePass());
    glFinish();
    const Picture before = Shown(width_, height_);
    const int frames = TheScene.FrameCounter;
    Send(WM_KEYDOWN, VK_ESCAPE);
    EXPECT_FALSE(RunDemoIdlePass());
    glFinish();
    EXPECT_EQ(TheScene.FrameCounter, frames + 1);
    EXPECT_TRUE(Shown(width_, height_) == before) << "the window still shows the previous frame";
    EXPECT_FALSE(BackBuffer(width_, height_) == before) << "the new one stayed behind";
}

} // namespace
