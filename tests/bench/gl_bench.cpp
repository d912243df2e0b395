// How evenly the OpenGL helper paces the prism example (compiled in whole)
// full screen: its frame periods, swap to swap as the display gets them,
// beside the refresh period and, in alternating phases, by hand: a loop of
// plain SwapBuffers with the driver's swap interval 1 and, for a driver
// whose swaps do not wait (the loop is then unpaced), the framework's ticks
// answered with the refresh period in whole ms. Run by scripts/bench.sh.
//
//   gl_bench [seconds per phase] [rounds]
#include "examples/prism/prism.cpp"

#include <cstdio>
#include <cstdlib>

#include "tests/support/clock.h"
#include "tests/support/message_pump.h"

namespace {

enum class Phase { Idle, Helper, ByHand } Current = Phase::Idle;
TickLog HelperFrames, HandFrames, LoopFrames;
HDC HandDc = nullptr;
UINT HandPeriodMs = 17;

void HandFrame(HWND window)
{
    RECT client;
    GetClientRect(window, &client);
    glViewport(0, 0, client.right, client.bottom);
    glClearColor(0.02f, 0.02f, 0.1f, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    DrawPrism(Seconds() * 60);
    SwapBuffers(HandDc);
    (Current == Phase::ByHand ? HandFrames : LoopFrames).Tick();
}

LRESULT CALLBACK BenchProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != SCRM_TIMER || Current == Phase::Helper) {
        const LRESULT result = PrismProc(window, message, wParam, lParam);
        if (message == SCRM_TIMER)
            HelperFrames.Tick();
        return result;
    }
    if (Current == Phase::Idle)
        return 50;
    HandFrame(window);
    return HandPeriodMs;
}

void Report(const char *what, const TickLog &log)
{
    std::printf("  %-44s median %6.2f ms, 99th percentile %6.2f ms (%zu periods)\n", what,
                Percentile(log.intervals, 0.5), Percentile(log.intervals, 0.99), log.intervals.size());
}

} // namespace

int main(int argc, char **argv)
{
    const double seconds = argc > 1 && std::atof(argv[1]) > 0 ? std::atof(argv[1]) : 2.0;
    const int rounds = argc > 2 && std::atoi(argv[2]) > 0 ? std::atoi(argv[2]) : 3;
    DEVMODEA mode = {};
    mode.dmSize = sizeof mode;
    const bool said = EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &mode) && mode.dmDisplayFrequency > 1;
    const double refreshMs = 1000.0 / (said ? mode.dmDisplayFrequency : 60);
    HandPeriodMs = static_cast<UINT>(refreshMs + 0.5);

    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = BenchProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "GlBenchSaverClass";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowExA(0, windowClass.lpszClassName, "GL bench", WS_POPUP | WS_VISIBLE, 0, 0,
                                  GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr,
                                  windowClass.hInstance, nullptr);
    PumpFor(0.3); // the framework starts the window's ticks
    if (!ScrGLMonitorCount(window)) {
        std::fprintf(stderr, "gl_bench: the prism has no OpenGL context\n");
        return 1;
    }

    // Alternating phases, so a change in the machine's load hits all; the
    // first round is not counted: the renderer compiles for the picture.
    for (int round = -1; round < rounds; ++round) {
        if (round > -1 && ScrGLAttach(window, nullptr))
            glEnable(GL_DEPTH_TEST); // as the prism's WM_CREATE does
        Current = Phase::Helper;
        PumpFor(seconds);
        Current = Phase::Idle;
        HelperFrames.EndPhase();
        ScrGLDetach(window);

        // The context a saver without the helper makes itself, on the
        // pixel format the helper left, with the driver's swap interval 1.
        HandDc = GetDC(window);
        HGLRC context = wglCreateContext(HandDc);
        wglMakeCurrent(HandDc, context);
        using SwapInterval = BOOL(WINAPI *)(int);
        if (auto set = reinterpret_cast<SwapInterval>(reinterpret_cast<void *>(wglGetProcAddress("wglSwapIntervalEXT"))))
            set(1);
        glEnable(GL_DEPTH_TEST);
        Current = Phase::ByHand;
        PumpFor(seconds);
        Current = Phase::Idle;
        HandFrames.EndPhase();
        for (const double end = NowSeconds() + seconds; NowSeconds() < end; HandFrame(window))
            PumpMessages();
        LoopFrames.EndPhase();
        wglMakeCurrent(nullptr, nullptr);
        wglDeleteContext(context);
        ReleaseDC(window, HandDc);
        if (round < 0)
            HelperFrames = HandFrames = LoopFrames = TickLog();
    }
    DestroyWindow(window);

    std::printf("OpenGL frame periods of the prism example, full screen, swap to swap:\n");
    std::printf("  display refresh: %s, period %.2f ms (by hand: %u ms)\n",
                said ? "as the system says" : "unsaid, taken as 60 Hz", refreshMs, HandPeriodMs);
    Report("helper (ScrGLSwap, SCRM_TIMER answered 0):", HelperFrames);
    Report("hand-written loop (SwapBuffers, interval 1):", LoopFrames);
    Report("by hand (SwapBuffers, SCRM_TIMER: the period):", HandFrames);
    // The loop is the baseline where the driver paces it; where it runs
    // faster (unpaced) or slower (the picture takes longer than a refresh
    // here), the ticks paced by hand are.
    const double loopShare = Percentile(LoopFrames.intervals, 0.5) / refreshMs;
    const bool loopPaced = loopShare > 0.9 && loopShare < 1.1;
    const double handP99 = Percentile((loopPaced ? LoopFrames : HandFrames).intervals, 0.99);
    std::printf("  ratio helper / refresh period: median %.3f (goal: 0.98 to 1.02)\n",
                Percentile(HelperFrames.intervals, 0.5) / refreshMs);
    std::printf("  ratio helper / %s: 99th percentile %.3f (goal: at most 1)\n",
                loopPaced ? "the loop, paced by the driver"
                          : loopShare < 1 ? "by hand, the loop being unpaced here" : "by hand, the loop being slower",
                handP99 > 0 ? Percentile(HelperFrames.intervals, 0.99) / handP99 : 0);
    return 0;
}
