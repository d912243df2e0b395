// The OpenGL helper (dusklit_gl.h) on real saver windows under Wine and
// Mesa: what it refuses and leaves untouched, the contexts it makes, one
// viewport per monitor (pixels on the screen, on two monitors when the
// display has them), a preview and the debug window as one monitor, swaps
// paced to the refresh, the context going with the window, and a saver
// that still closes and asks for the password when no format fits.
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "dusklit_gl.h"
#include "tests/saver/saver_harness.h"
#include "tests/support/clock.h"
#include "tests/support/preview_host.h"

using namespace harness;

namespace {

constexpr DWORD ShowLimitMs = 10000;

ScrGLConfig Config(LONG depthBits, LONG samples, LONG swapInterval, LONG size = sizeof(ScrGLConfig))
{
    return ScrGLConfig{size, depthBits, samples, swapInterval};
}

// The refresh period ScrGLPeriod stands for: the primary monitor's, or
// 60 Hz where the system does not say.
UINT RefreshMs()
{
    DEVMODEA mode = {};
    mode.dmSize = sizeof mode;
    DWORD hz = 60;
    if (EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &mode) && mode.dmDisplayFrequency > 1)
        hz = mode.dmDisplayFrequency;
    return (1000 + hz / 2) / hz;
}

GLint Integer(GLenum name)
{
    GLint value = 0;
    glGetIntegerv(name, &value);
    return value;
}

std::vector<GLint> Box(GLenum name)
{
    std::vector<GLint> box(4);
    glGetIntegerv(name, box.data());
    return box;
}

constexpr GLenum GlSamples = 0x80A9; // OpenGL 1.3, past what gl.h declares

// The driver lists multisampled pixel formats (the current context's WGL
// extensions name WGL_ARB_multisample).
bool OffersMultisampling()
{
    using ExtensionsString = const char *(WINAPI *)(HDC);
    auto extensions = reinterpret_cast<ExtensionsString>(
        reinterpret_cast<void *>(wglGetProcAddress("wglGetExtensionsStringARB")));
    const char *list = extensions ? extensions(wglGetCurrentDC()) : nullptr;
    return list && std::string(" ").append(list).append(" ").find(" WGL_ARB_multisample ") != std::string::npos;
}

// Each monitor its own clear colour, so a picture tells them apart.
constexpr COLORREF MonitorColours[] = {RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255), RGB(255, 255, 0)};

void ClearTo(COLORREF colour)
{
    glClearColor(GetRValue(colour) / 255.0f, GetGValue(colour) / 255.0f, GetBValue(colour) / 255.0f, 1);
    glClear(GL_COLOR_BUFFER_BIT);
}

// What the screen shows at a point of the window's client area.
COLORREF ScreenColour(HWND window, POINT point)
{
    ClientToScreen(window, &point);
    HDC screen = GetDC(nullptr);
    const COLORREF colour = GetPixel(screen, point.x, point.y);
    ReleaseDC(nullptr, screen);
    return colour;
}

// The middle and the four corners (a few pixels in) of a rectangle.
std::vector<POINT> Probes(const RECT &r)
{
    return {{(r.left + r.right) / 2, (r.top + r.bottom) / 2}, {r.left + 3, r.top + 3}, {r.right - 4, r.top + 3},
            {r.right - 4, r.bottom - 4}, {r.left + 3, r.bottom - 4}};
}

// Most cases use previews: destroying a visible top-level window costs
// Wine about two seconds on a display without a window manager, and a
// preview is as much a saver window as the full-screen one.
class GLHelper : public ::testing::Test {
protected:
    static void SetUpTestSuite() { host_ = new PreviewHost; }
    static void TearDownTestSuite()
    {
        delete host_;
        host_ = nullptr;
    }

    // A saver window the way the framework makes its full-screen one:
    // covering every monitor.
    HWND FullSaver(SaverHook hook = {})
    {
        savers_.push_back(std::make_unique<TestSaver>(std::move(hook)));
        HWND window = savers_.back()->Handle();
        SetWindowPos(window, nullptr, GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                     GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN), SWP_NOZORDER);
        return window;
    }
    HWND Preview(SaverHook hook = {})
    {
        savers_.push_back(std::make_unique<TestSaver>(std::move(hook), host_->Handle()));
        return savers_.back()->Handle();
    }

    static inline PreviewHost *host_ = nullptr;
    PrefsScope prefs_{PrefsChange{0, 0, 1, 0, 1}};
    std::vector<std::unique_ptr<TestSaver>> savers_;
};

// Nothing but this thread's saver windows, once each, with a config it
// reads as written: anything else is FALSE, and the window keeps no
// pixel format and gets nothing from the other calls.
TEST_F(GLHelper, RefusesWhatItCannotServeAndLeavesItUntouched)
{
    HWND gone = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    DestroyWindow(gone);
    HWND plain = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 64, 64, nullptr, nullptr, nullptr, nullptr);
    const ScrGLConfig shortConfig = Config(24, 0, 1, sizeof(ScrGLConfig) - 4);
    const ScrGLConfig longConfig = Config(24, 0, 1, sizeof(ScrGLConfig) + 4);
    const ScrGLConfig badConfigs[] = {shortConfig,         longConfig,          Config(-1, 0, 1), Config(33, 0, 1),
                                      Config(24, -1, 1),   Config(24, 17, 1),   Config(24, 0, -1), Config(24, 0, 5)};
    struct Case {
        const char *what;
        HWND window;
        const ScrGLConfig *config;
    };
    std::vector<Case> cases = {{"null", nullptr, nullptr},
                               {"not a window", reinterpret_cast<HWND>(0x1234), nullptr},
                               {"destroyed", gone, nullptr},
                               {"a plain window", plain, nullptr}};
    HWND saver = Preview(); // every bad config on it leaves it as it was
    for (const ScrGLConfig &config : badConfigs)
        cases.push_back({"a config out of range", saver, &config});
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_FALSE(ScrGLAttach(c.window, c.config));
        EXPECT_EQ(ScrGLMonitorCount(c.window), 0);
        EXPECT_FALSE(ScrGLUseMonitor(c.window, 0));
        EXPECT_FALSE(ScrGLSwap(c.window));
        EXPECT_EQ(ScrGLPeriod(c.window), RefreshMs()) << "nothing waits for a swap";
        ScrGLDetach(c.window);
        if (IsWindow(c.window)) {
            HDC dc = GetDC(c.window);
            EXPECT_EQ(GetPixelFormat(dc), 0) << "a refused window keeps no pixel format";
            ReleaseDC(c.window, dc);
        }
    }
    DestroyWindow(plain);

    // Another thread can neither attach this thread's window nor draw on
    // an attached one; a second attach is refused and the first goes on.
    std::thread([saver] { EXPECT_FALSE(ScrGLAttach(saver, nullptr)); }).join();
    ASSERT_TRUE(ScrGLAttach(saver, nullptr));
    const HGLRC context = wglGetCurrentContext();
    EXPECT_FALSE(ScrGLAttach(saver, nullptr));
    std::thread([saver] {
        EXPECT_FALSE(ScrGLSwap(saver));
        EXPECT_FALSE(ScrGLUseMonitor(saver, 0));
        ScrGLDetach(saver);
    }).join();
    EXPECT_EQ(wglGetCurrentContext(), context);
    EXPECT_TRUE(ScrGLUseMonitor(saver, 0));
    EXPECT_TRUE(ScrGLSwap(saver));
    EXPECT_FALSE(ScrGLUseMonitor(saver, -1));
    EXPECT_FALSE(ScrGLUseMonitor(saver, ScrGLMonitorCount(saver)));
}

// Each config gives a double-buffered RGBA context, current at once, with
// a depth buffer when one was asked for (fewer bits where the driver has
// no more), multisampling where the driver offers it, and the period
// that goes with its swap interval.
TEST_F(GLHelper, ConfigsGiveTheContextsTheyAskFor)
{
    const ScrGLConfig configs[] = {Config(0, 0, 0), Config(16, 4, 1), Config(32, 16, 2)};
    for (const ScrGLConfig *config :
         {static_cast<const ScrGLConfig *>(nullptr), &configs[0], &configs[1], &configs[2]}) {
        const ScrGLConfig asked = config ? *config : Config(24, 0, 1);
        SCOPED_TRACE("depth " + std::to_string(asked.DepthBits) + ", samples " + std::to_string(asked.Samples) +
                     ", interval " + std::to_string(asked.SwapInterval));
        HWND saver = Preview();
        ASSERT_TRUE(ScrGLAttach(saver, config));
        ASSERT_TRUE(wglGetCurrentContext());
        EXPECT_EQ(Integer(GL_DOUBLEBUFFER), GL_TRUE);
        EXPECT_EQ(Integer(GL_RGBA_MODE), GL_TRUE);
        EXPECT_GE(Integer(GL_RED_BITS), 5);
        if (asked.Samples == 0) {
            EXPECT_EQ(Integer(GlSamples), 0);
        } else if (OffersMultisampling()) {
            EXPECT_GE(Integer(GlSamples), 2) << "fewer samples than asked, but some";
        }
        if (asked.DepthBits > 0) {
            EXPECT_GE(Integer(GL_DEPTH_BITS), 16);
        }
        EXPECT_EQ(ScrGLPeriod(saver), asked.SwapInterval > 0 ? 0u : RefreshMs());
        ScrGLDetach(saver);
        EXPECT_FALSE(wglGetCurrentContext());
    }
}

// With a swap interval each swap returns only when the display is due for
// the next picture, on the clock where the driver does not wait, so a
// saver that answers ScrGLPeriod's 0 is paced to the display.
TEST_F(GLHelper, SwapsWithAnIntervalArePacedToTheRefresh)
{
    constexpr int Swaps = 8;
    for (LONG interval : {1, 2}) {
        SCOPED_TRACE("interval " + std::to_string(interval));
        const ScrGLConfig config = Config(0, 0, interval);
        HWND saver = Preview();
        ASSERT_TRUE(ScrGLAttach(saver, &config));
        ASSERT_EQ(ScrGLPeriod(saver), 0u);
        ASSERT_TRUE(ScrGLSwap(saver));
        const double start = NowMs();
        for (int i = 1; i < Swaps; ++i) {
            ClearTo(MonitorColours[i % 2]);
            ASSERT_TRUE(ScrGLSwap(saver));
        }
        const double least = 0.9 * (Swaps - 1) * interval * RefreshMs();
        EXPECT_GE(NowMs() - start, least);
    }
}

// ScrGLUseMonitor puts the viewport and the scissor box on one monitor:
// each monitor cleared in its own colour shows that colour from its
// middle to its corners. When the window moves or changes size, the next
// call follows without the saver doing anything.
TEST_F(GLHelper, EachMonitorGetsItsOwnViewport)
{
    HWND saver = FullSaver();
    ASSERT_TRUE(ScrGLAttach(saver, nullptr));
    const int count = ScrGLMonitorCount(saver);
    ASSERT_EQ(count, GetSystemMetrics(SM_CMONITORS));
    ASSERT_LE(count, 4);
    std::vector<ScrMonitor> monitors(static_cast<size_t>(count));
    ASSERT_EQ(ScrGetMonitors(saver, monitors.data(), count), count);
    RECT client = {};
    GetClientRect(saver, &client);
    for (int i = 0; i < count; ++i) {
        const RECT &r = monitors[static_cast<size_t>(i)].rect;
        ASSERT_TRUE(ScrGLUseMonitor(saver, i));
        const std::vector<GLint> expected = {r.left, client.bottom - r.bottom, r.right - r.left, r.bottom - r.top};
        EXPECT_EQ(Box(GL_VIEWPORT), expected) << "monitor " << i;
        EXPECT_EQ(Box(GL_SCISSOR_BOX), expected) << "monitor " << i;
        EXPECT_TRUE(glIsEnabled(GL_SCISSOR_TEST));
        ClearTo(MonitorColours[i]);
    }
    ASSERT_TRUE(ScrGLSwap(saver));
    for (int i = 0; i < count; ++i) {
        for (POINT probe : Probes(monitors[static_cast<size_t>(i)].rect)) {
            EXPECT_TRUE(PumpingWaitUntil([&] { return ScreenColour(saver, probe) == MonitorColours[i]; }, ShowLimitMs))
                << "monitor " << i << " at " << probe.x << "," << probe.y << ": 0x" << std::hex
                << ScreenColour(saver, probe);
        }
    }

    RECT window = {};
    GetWindowRect(saver, &window);
    ASSERT_TRUE(SetWindowPos(saver, nullptr, window.left + 50, window.top + 40, 300, 200, SWP_NOZORDER));
    ASSERT_EQ(ScrGetMonitors(saver, monitors.data(), count), count);
    ASSERT_TRUE(ScrGLUseMonitor(saver, 0));
    const RECT &first = monitors[0].rect;
    EXPECT_EQ(Box(GL_VIEWPORT), (std::vector<GLint>{first.left, 200 - first.bottom, first.right - first.left,
                                                    first.bottom - first.top}));
}

// A preview, and the small debug window, are one monitor: their whole
// client area, seen here in the frame the context drew.
TEST_F(GLHelper, APreviewAndTheDebugWindowAreOneMonitor)
{
    PrefsChange debug{0, 1, 1, 0, 1};
    for (bool preview : {true, false}) {
        SCOPED_TRACE(preview ? "a preview" : "the debug window");
        std::optional<PrefsScope> debugWindow;
        if (!preview)
            debugWindow.emplace(debug);
        if (!preview)
            savers_.push_back(std::make_unique<TestSaver>());
        HWND saver = preview ? Preview() : savers_.back()->Handle();
        ASSERT_TRUE(ScrGLAttach(saver, nullptr));
        EXPECT_EQ(ScrGLMonitorCount(saver), 1);
        ASSERT_TRUE(ScrGLUseMonitor(saver, 0));
        RECT client = {};
        GetClientRect(saver, &client);
        EXPECT_EQ(Box(GL_VIEWPORT), (std::vector<GLint>{0, 0, client.right, client.bottom}));
        ClearTo(MonitorColours[2]);
        unsigned char pixel[4] = {};
        glReadPixels(client.right / 2, client.bottom / 2, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
        EXPECT_EQ(RGB(pixel[0], pixel[1], pixel[2]), MonitorColours[2]);
        EXPECT_TRUE(ScrGLSwap(saver));
    }
}

// The context lives as long as the window: still current in the saver's
// own WM_DESTROY, released after it without ScrGLDetach. A window that
// was detached can be attached again: it keeps its pixel format.
TEST_F(GLHelper, TheContextGoesWithTheWindow)
{
    HGLRC inDestroy = nullptr;
    HWND saver = Preview([&inDestroy](HWND, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (message == WM_DESTROY)
            inDestroy = wglGetCurrentContext();
        return std::nullopt;
    });
    ASSERT_TRUE(ScrGLAttach(saver, nullptr));
    ScrGLDetach(saver);
    EXPECT_FALSE(wglGetCurrentContext());
    EXPECT_EQ(ScrGLMonitorCount(saver), 0);
    ASSERT_TRUE(ScrGLAttach(saver, nullptr)) << "attached again on the pixel format it kept";
    const HGLRC context = wglGetCurrentContext();
    ASSERT_TRUE(context);

    DestroyWindow(saver);
    EXPECT_EQ(inDestroy, context);
    EXPECT_FALSE(wglGetCurrentContext());
    EXPECT_FALSE(wglDeleteContext(context)) << "the context was deleted with the window";
}

// Where no pixel format fits (one the window already has, single-buffered)
// the attach fails, and the saver is still a lock: a key closes it, after
// the password.
TEST_F(GLHelper, WithoutAFitFormatTheSaverStillClosesAfterThePassword)
{
    RegistryValueScope delay(SettingsKey, "Password Delay", std::nullopt);
    RegistryValueScope usePassword(DesktopKey, UsePasswordValue, 1);
    int asked = 0;
    savers_.push_back(std::make_unique<TestSaver>([&asked](HWND, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (message != SCRM_VERIFYPW)
            return std::nullopt;
        ++asked;
        return TRUE;
    }));
    TestSaver &saver = *savers_.back();
    HDC dc = GetDC(saver.Handle());
    PIXELFORMATDESCRIPTOR single = {};
    int format = 0;
    for (int i = 1, n = DescribePixelFormat(dc, 1, sizeof single, &single); i <= n && !format; ++i) {
        DescribePixelFormat(dc, i, sizeof single, &single);
        if ((single.dwFlags & PFD_SUPPORT_OPENGL) && (single.dwFlags & PFD_DRAW_TO_WINDOW) &&
            !(single.dwFlags & PFD_DOUBLEBUFFER))
            format = i;
    }
    ASSERT_TRUE(format) << "the driver lists no single-buffered format";
    ASSERT_TRUE(SetPixelFormat(dc, format, &single));
    ReleaseDC(saver.Handle(), dc);

    EXPECT_FALSE(ScrGLAttach(saver.Handle(), nullptr));
    EXPECT_FALSE(wglGetCurrentContext());
    SendGeneralSettings(saver.Handle(), 50, 0, 0);
    EXPECT_TRUE(saver.ClosesAfter(WM_KEYDOWN, 'A', 1));
    EXPECT_EQ(asked, 1);
}

} // namespace
