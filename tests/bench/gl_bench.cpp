// How evenly the OpenGL helper paces a saver's frames: the prism example's
// picture drawn on one full-screen saver window, its frame periods (start
// to start of SCRM_TIMER) measured in alternating phases of the same run
//  - through the helper: ScrGLSwap, answering ScrGLPeriod;
//  - by hand, as a saver without the helper paces itself: plain
//    SwapBuffers with the driver's swap interval 1, answering SCRM_TIMER
//    with the refresh period in whole milliseconds;
//  - and the driver alone: a loop of the same frames and SwapBuffers with
//    swap interval 1, which shows whether the driver's swaps wait at all;
// beside the display's refresh period. Run by scripts/bench.sh.
//
//   gl_bench [seconds per phase] [rounds]
#include <windows.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "dusklit.h"
#include "dusklit_gl.h"
#include "tests/support/clock.h"
#include "tests/support/message_pump.h"

namespace {

constexpr char BenchClass[] = "GlBenchSaverClass";

enum class Phase { Idle, Helper, ByHand };

Phase Current = Phase::Idle;
TickLog HelperFrames, HandFrames, DriverFrames;
HDC HandDc = nullptr;
UINT HandPeriodMs = 17;

double RefreshHz()
{
    DEVMODEA mode = {};
    mode.dmSize = sizeof mode;
    if (EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &mode) && mode.dmDisplayFrequency > 1)
        return mode.dmDisplayFrequency;
    return 0; // the system does not say
}

// The prism example's picture, about the middle of the current viewport.
void DrawPrism(double angle)
{
    GLint box[4];
    glGetIntegerv(GL_VIEWPORT, box);
    const double aspect = box[3] > 0 ? static_cast<double>(box[2]) / box[3] : 1;
    glClearColor(0.02f, 0.02f, 0.1f, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-aspect, aspect, -1, 1, -2, 2);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glRotated(angle, 0.3, 1, 0.2);
    glBegin(GL_QUAD_STRIP);
    for (int side = 0; side <= 6; ++side) {
        const double turn = side * 3.14159265 / 3;
        glColor3d(0.6 + 0.4 * std::cos(turn), 0.6 + 0.4 * std::sin(turn), 1 - 0.4 * std::cos(turn));
        glVertex3d(0.4 * std::cos(turn), -0.6, 0.4 * std::sin(turn));
        glVertex3d(0.4 * std::cos(turn), 0.6, 0.4 * std::sin(turn));
    }
    glEnd();
}

LRESULT HelperFrame(HWND window)
{
    HelperFrames.Tick();
    for (int i = 0; i < ScrGLMonitorCount(window); ++i) {
        ScrGLUseMonitor(window, i);
        DrawPrism(NowSeconds() * 60 + i * 45);
    }
    ScrGLSwap(window);
    return ScrGLPeriod(window);
}

void HandDrawnFrame(HWND window)
{
    RECT client;
    GetClientRect(window, &client);
    glViewport(0, 0, client.right, client.bottom);
    DrawPrism(NowSeconds() * 60);
    SwapBuffers(HandDc);
}

LRESULT CALLBACK BenchSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == SCRM_TIMER) {
        switch (Current) {
        case Phase::Helper:
            return HelperFrame(window);
        case Phase::ByHand:
            HandFrames.Tick();
            HandDrawnFrame(window);
            return HandPeriodMs;
        case Phase::Idle:
            return 50;
        }
    }
    return DefSaverProc(window, message, wParam, lParam);
}

// The context a saver without the helper makes itself, on the pixel
// format the helper left on the window, with the driver's swap interval 1.
HGLRC HandContext(HWND window)
{
    HandDc = GetDC(window);
    HGLRC context = wglCreateContext(HandDc);
    if (!context || !wglMakeCurrent(HandDc, context))
        return nullptr;
    using SwapInterval = BOOL(WINAPI *)(int);
    if (auto set = reinterpret_cast<SwapInterval>(reinterpret_cast<void *>(wglGetProcAddress("wglSwapIntervalEXT"))))
        set(1);
    glEnable(GL_DEPTH_TEST);
    return context;
}

void ReleaseHandContext(HWND window, HGLRC context)
{
    wglMakeCurrent(nullptr, nullptr);
    wglDeleteContext(context);
    ReleaseDC(window, HandDc);
}

// The driver alone: frames as fast as the swaps return.
void DriverLoop(HWND window, double seconds)
{
    const double end = NowSeconds() + seconds;
    while (NowSeconds() < end) {
        PumpMessages();
        DriverFrames.Tick();
        HandDrawnFrame(window);
    }
    DriverFrames.EndPhase();
}

double Argument(int argc, char **argv, int index, double fallback)
{
    if (argc <= index)
        return fallback;
    const double value = std::atof(argv[index]);
    return value > 0 ? value : fallback;
}

double Ratio(double value, double baseline)
{
    return baseline > 0 ? value / baseline : 0;
}

void Report(const char *what, const TickLog &log)
{
    std::printf("  %-46s median %6.2f ms, 99th percentile %6.2f ms (%zu periods)\n", what,
                Percentile(log.intervals, 0.5), Percentile(log.intervals, 0.99), log.intervals.size());
}

} // namespace

int main(int argc, char **argv)
{
    const double seconds = Argument(argc, argv, 1, 2.0);
    const int rounds = static_cast<int>(Argument(argc, argv, 2, 3));
    const double hz = RefreshHz();
    const double refreshMs = 1000.0 / (hz > 0 ? hz : 60);
    HandPeriodMs = static_cast<UINT>(refreshMs + 0.5);

    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = BenchSaverProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = BenchClass;
    RegisterClassA(&windowClass);
    // Full screen, as a saver runs, on the primary monitor.
    HWND window = CreateWindowExA(0, BenchClass, "GL bench", WS_POPUP | WS_VISIBLE, 0, 0,
                                  GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr,
                                  windowClass.hInstance, nullptr);
    PumpFor(0.3); // the framework starts the window's ticks
    if (!window || !ScrGLAttach(window, nullptr)) {
        std::fprintf(stderr, "gl_bench: no OpenGL saver window\n");
        return 1;
    }
    ScrGLDetach(window);

    // Alternating phases, so a change in the machine's load hits all.
    for (int round = 0; round < rounds; ++round) {
        ScrGLAttach(window, nullptr);
        glEnable(GL_DEPTH_TEST);
        Current = Phase::Helper;
        PumpFor(seconds);
        Current = Phase::Idle;
        HelperFrames.EndPhase();
        ScrGLDetach(window);

        HGLRC context = HandContext(window);
        if (!context) {
            std::fprintf(stderr, "gl_bench: no context of its own on the window\n");
            return 1;
        }
        Current = Phase::ByHand;
        PumpFor(seconds);
        Current = Phase::Idle;
        HandFrames.EndPhase();
        DriverLoop(window, seconds);
        ReleaseHandContext(window, context);
    }
    DestroyWindow(window);
    PumpFor(0.2);

    std::printf("OpenGL frame periods, the prism's picture full screen, start to start:\n");
    if (hz > 0)
        std::printf("  display refresh: %.0f Hz, period %.2f ms\n", hz, refreshMs);
    else
        std::printf("  display refresh: not said by the system, taken as 60 Hz, period %.2f ms\n", refreshMs);
    Report("helper (ScrGLSwap, SCRM_TIMER answered 0):", HelperFrames);
    char byHand[64];
    std::snprintf(byHand, sizeof byHand, "by hand (SwapBuffers, SCRM_TIMER answered %u):", HandPeriodMs);
    Report(byHand, HandFrames);
    Report("driver alone (SwapBuffers in a loop):", DriverFrames);
    std::printf("  ratio helper / refresh period: median %.3f (goal: 0.98 to 1.02)\n",
                Ratio(Percentile(HelperFrames.intervals, 0.5), refreshMs));
    std::printf("  ratio helper / by hand: 99th percentile %.3f (goal: at most 1)\n",
                Ratio(Percentile(HelperFrames.intervals, 0.99), Percentile(HandFrames.intervals, 0.99)));
    return 0;
}
