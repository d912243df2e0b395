// The OpenGL helper (dusklit_gl.h) on real saver windows under Wine and
// Mesa; EachMonitorGetsItsOwnViewport runs on two monitors too.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "dusklit_gl.h"
#include "tests/saver/saver_harness.h"
#include "tests/support/clock.h"
#include "tests/support/preview_host.h"

using namespace harness;

namespace {

constexpr GLenum GlSamples = 0x80A9; // OpenGL 1.3, past what gl.h declares
constexpr COLORREF Colours[] = {RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255), RGB(255, 255, 0)};

ScrGLConfig Config(LONG depthBits, LONG samples, LONG swapInterval, LONG size = sizeof(ScrGLConfig))
{
    return ScrGLConfig{size, depthBits, samples, swapInterval};
}

// ScrGLPeriod's refresh period: the primary monitor's, 60 Hz unsaid.
UINT RefreshMs()
{
    DEVMODEA mode = {};
    mode.dmSize = sizeof mode;
    EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &mode);
    const DWORD hz = mode.dmDisplayFrequency > 1 ? mode.dmDisplayFrequency : 60;
    return (1000 + hz / 2) / hz;
}

std::vector<GLint> Get(GLenum name, size_t count = 1)
{
    std::vector<GLint> values(count);
    glGetIntegerv(name, values.data());
    return values;
}

void ClearTo(COLORREF colour)
{
    glClearColor(GetRValue(colour) / 255.0f, GetGValue(colour) / 255.0f, GetBValue(colour) / 255.0f, 1);
    glClear(GL_COLOR_BUFFER_BIT);
}

COLORREF ScreenColour(HWND window, POINT point)
{
    ClientToScreen(window, &point);
    HDC screen = GetDC(nullptr);
    const COLORREF colour = GetPixel(screen, point.x, point.y);
    ReleaseDC(nullptr, screen);
    return colour;
}

// Mostly previews: Wine takes two seconds to destroy a visible top-level
// window without a window manager.
class GLHelper : public ::testing::Test {
protected:
    static void SetUpTestSuite() { host_ = new PreviewHost; }
    static void TearDownTestSuite() { delete host_; }

    HWND Saver(SaverHook hook = {}, HWND parent = host_->Handle())
    {
        savers_.push_back(std::make_unique<TestSaver>(std::move(hook), parent));
        return savers_.back()->Handle();
    }

    static inline PreviewHost *host_ = nullptr;
    PrefsScope prefs_{PrefsChange{0, 0, 1, 0, 1}};
    std::vector<std::unique_ptr<TestSaver>> savers_;
};

// All but this thread's saver windows, attached once, with a valid config,
// is FALSE: no pixel format is left, and the other calls do nothing.
TEST_F(GLHelper, RefusesWhatItCannotServeAndLeavesItUntouched)
{
    HWND gone = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 9, 9, nullptr, nullptr, nullptr, nullptr);
    DestroyWindow(gone);
    HWND plain = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 9, 9, nullptr, nullptr, nullptr, nullptr);
    HWND saver = Saver(); // every bad config leaves it as it was
    const ScrGLConfig bad[] = {Config(24, 0, 1, sizeof(ScrGLConfig) - 4), Config(24, 0, 1, sizeof(ScrGLConfig) + 4),
                               Config(-1, 0, 1), Config(33, 0, 1), Config(24, -1, 1), Config(24, 17, 1),
                               Config(24, 0, -1), Config(24, 0, 5)};
    std::vector<std::pair<HWND, const ScrGLConfig *>> cases = {
        {nullptr, nullptr}, {reinterpret_cast<HWND>(0x1234), nullptr}, {gone, nullptr}, {plain, nullptr}};
    for (const ScrGLConfig &config : bad)
        cases.push_back({saver, &config});
    for (size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE("case " + std::to_string(i));
        HWND window = cases[i].first;
        EXPECT_FALSE(ScrGLAttach(window, cases[i].second));
        EXPECT_EQ(ScrGLMonitorCount(window), 0);
        EXPECT_FALSE(ScrGLUseMonitor(window, 0));
        EXPECT_FALSE(ScrGLSwap(window));
        EXPECT_EQ(ScrGLPeriod(window), RefreshMs()) << "nothing waits for a swap";
        ScrGLDetach(window);
        HDC dc = GetDC(IsWindow(window) ? window : GetDesktopWindow());
        EXPECT_EQ(GetPixelFormat(dc), 0);
        ReleaseDC(window, dc);
    }
    DestroyWindow(plain);

    // Another thread neither attaches nor draws; a second attach is
    // refused and the first goes on.
    std::thread([saver] { EXPECT_FALSE(ScrGLAttach(saver, nullptr)); }).join();
    ASSERT_TRUE(ScrGLAttach(saver, nullptr));
    const HGLRC context = wglGetCurrentContext();
    EXPECT_FALSE(ScrGLAttach(saver, nullptr));
    std::thread([saver] {
        EXPECT_FALSE(ScrGLSwap(saver) || ScrGLUseMonitor(saver, 0));
        ScrGLDetach(saver);
    }).join();
    EXPECT_EQ(wglGetCurrentContext(), context);
    EXPECT_TRUE(ScrGLUseMonitor(saver, 0));
    EXPECT_TRUE(ScrGLSwap(saver));
    EXPECT_FALSE(ScrGLUseMonitor(saver, -1) || ScrGLUseMonitor(saver, 1));
}

// Each config gives a current double-buffered RGBA context, with depth and
// samples when asked (Mesa has both), and its swap interval's period: with
// one, a swap returns when the display is due, by the clock if need be.
TEST_F(GLHelper, ConfigsGiveTheContextsAndThePacingTheyAskFor)
{
    const ScrGLConfig configs[] = {Config(24, 0, 1), Config(0, 0, 0), Config(16, 4, 1), Config(32, 16, 2)};
    for (int i = -1; i < 4; ++i) {
        const ScrGLConfig &asked = configs[i < 0 ? 0 : i];
        SCOPED_TRACE("config " + std::to_string(i));
        HWND saver = Saver();
        ASSERT_TRUE(ScrGLAttach(saver, i < 0 ? nullptr : &asked)) << "-1: no config, the defaults";
        EXPECT_EQ(Get(GL_DOUBLEBUFFER)[0], GL_TRUE);
        EXPECT_EQ(Get(GL_RGBA_MODE)[0], GL_TRUE);
        EXPECT_GE(Get(GL_DEPTH_BITS)[0], asked.DepthBits ? 16 : 0);
        EXPECT_GE(Get(GlSamples)[0], asked.Samples ? 2 : 0);
        EXPECT_LE(Get(GlSamples)[0], asked.Samples);
        EXPECT_EQ(ScrGLPeriod(saver), asked.SwapInterval ? 0u : RefreshMs());
        for (int frame = 0; frame < 8; ++frame) // the first ones find out whether the driver waits
            ASSERT_TRUE(ScrGLSwap(saver));
        const double start = NowMs();
        for (int frame = 1; frame < 8; ++frame) {
            ClearTo(Colours[frame % 2]);
            ASSERT_TRUE(ScrGLSwap(saver));
        }
        // The clock's grid lets a late picture catch up, and the wait
        // before the first timed one may itself have run long: seven
        // pictures may take up to two periods less than seven.
        EXPECT_GE(NowMs() - start, (7.0 * asked.SwapInterval - 2) * RefreshMs());
        ScrGLDetach(saver);
        EXPECT_FALSE(wglGetCurrentContext());
    }
}

// Each monitor cleared in its own colour has it in the frame and on the
// screen, middle to corners (Wine draws GL children off the screen). A
// preview and the debug window are one monitor; resized, a window's too.
TEST_F(GLHelper, EachMonitorGetsItsOwnViewport)
{
    HWND preview = nullptr;
    for (int kind = 0; kind < 3; ++kind) { // the full-screen window, a preview, the debug window
        SCOPED_TRACE("kind " + std::to_string(kind));
        PrefsScope debugWindow(PrefsChange{0, kind == 2, 1, 0, 1});
        HWND saver = Saver({}, kind == 1 ? host_->Handle() : nullptr);
        preview = kind == 1 ? saver : preview;
        if (kind == 0) {
            SetWindowPos(saver, nullptr, GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                         GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN), SWP_NOZORDER);
        }
        ASSERT_TRUE(ScrGLAttach(saver, nullptr));
        const int count = ScrGLMonitorCount(saver);
        ASSERT_EQ(count, kind == 0 ? GetSystemMetrics(SM_CMONITORS) : 1);
        ScrMonitor monitors[4];
        ASSERT_EQ(ScrGetMonitors(saver, monitors, 4), count);
        RECT client;
        GetClientRect(saver, &client);
        for (int i = 0; i < count; ++i) {
            const RECT &r = monitors[i].rect;
            ASSERT_TRUE(ScrGLUseMonitor(saver, i));
            const std::vector<GLint> box = {r.left, client.bottom - r.bottom, r.right - r.left, r.bottom - r.top};
            EXPECT_EQ(Get(GL_VIEWPORT, 4), box) << "monitor " << i;
            EXPECT_EQ(Get(GL_SCISSOR_BOX, 4), box) << "monitor " << i;
            ClearTo(Colours[i]);
            unsigned char pixel[4] = {};
            glReadPixels(box[0] + box[2] / 2, box[1] + box[3] / 2, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
            EXPECT_EQ(RGB(pixel[0], pixel[1], pixel[2]), Colours[i]) << "monitor " << i;
        }
        ASSERT_TRUE(ScrGLSwap(saver));
        for (int i = 0; i < count && kind == 0; ++i) {
            const RECT &r = monitors[i].rect;
            for (POINT at : {POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}, POINT{r.left + 3, r.top + 3},
                             POINT{r.right - 4, r.top + 3}, POINT{r.right - 4, r.bottom - 4},
                             POINT{r.left + 3, r.bottom - 4}})
                EXPECT_TRUE(PumpingWaitUntil([&] { return ScreenColour(saver, at) == Colours[i]; }, 10000))
                    << "monitor " << i << " at " << at.x << "," << at.y << ": 0x" << std::hex
                    << ScreenColour(saver, at);
        }
    }

    SetWindowPos(preview, nullptr, 0, 0, 100, 80, SWP_NOZORDER);
    ASSERT_TRUE(ScrGLUseMonitor(preview, 0));
    EXPECT_EQ(Get(GL_VIEWPORT, 4), (std::vector<GLint>{0, 0, 100, 80}));
}

// The context is current in the saver's own WM_DESTROY and gone after it,
// without ScrGLDetach; a detached window attaches again on its format.
TEST_F(GLHelper, TheContextGoesWithTheWindow)
{
    HGLRC inDestroy = nullptr;
    HWND saver = Saver([&inDestroy](HWND, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (message == WM_DESTROY)
            inDestroy = wglGetCurrentContext();
        return std::nullopt;
    });
    ASSERT_TRUE(ScrGLAttach(saver, nullptr));
    ScrGLDetach(saver);
    EXPECT_FALSE(wglGetCurrentContext());
    EXPECT_EQ(ScrGLMonitorCount(saver), 0);
    ASSERT_TRUE(ScrGLAttach(saver, nullptr));
    const HGLRC context = wglGetCurrentContext();
    ASSERT_TRUE(context);
    DestroyWindow(saver);
    EXPECT_EQ(inDestroy, context);
    EXPECT_FALSE(wglGetCurrentContext());
    EXPECT_FALSE(wglDeleteContext(context)) << "deleted with the window";
}

// No fit pixel format (the window has a single-buffered one): the attach
// fails and a key still closes the saver, after the password.
TEST_F(GLHelper, WithoutAFitFormatTheSaverStillClosesAfterThePassword)
{
    RegistryValueScope delay(SettingsKey, "Password Delay", std::nullopt);
    RegistryValueScope usePassword(DesktopKey, UsePasswordValue, 1);
    int asked = 0;
    HWND saver = Saver([&asked](HWND, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
        asked += message == SCRM_VERIFYPW;
        return message == SCRM_VERIFYPW ? std::optional<LRESULT>(TRUE) : std::nullopt;
    }, nullptr);
    HDC dc = GetDC(saver);
    PIXELFORMATDESCRIPTOR single = {};
    int format = DescribePixelFormat(dc, 1, sizeof single, &single);
    while (format > 0 && (!DescribePixelFormat(dc, format, sizeof single, &single) ||
                          (single.dwFlags & (PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER)) != PFD_SUPPORT_OPENGL))
        --format;
    ASSERT_TRUE(format > 0 && SetPixelFormat(dc, format, &single)) << "no single-buffered format";
    ReleaseDC(saver, dc);

    EXPECT_FALSE(ScrGLAttach(saver, nullptr));
    SendGeneralSettings(saver, 50, 0, 0);
    EXPECT_TRUE(savers_.back()->ClosesAfter(WM_KEYDOWN, 'A', 1));
    EXPECT_EQ(asked, 1);
}

} // namespace
