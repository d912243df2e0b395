// How fast the demo draws, beside how fast the same window can merely be
// cleared and swapped: the ratio says how much of the frame time the scene
// itself costs. Run by scripts/bench.sh.
//
//   brix_bench [seconds per phase] [rounds]
#include <windows.h>
#include <GL/gl.h>

#include <cstdio>
#include <cstdlib>

#include "demo_texts.h"
#include "gl_window.h"
#include "scene_gl.h"
#include "tests/support/clock.h"
#include "tests/support/message_pump.h"

namespace {

// A full trail is the heaviest frame: 100 rows after frame 505.
constexpr int WarmUpFrames = 510;

// Where the display refuses the full-screen mode, take the window it offers.
LRESULT CALLBACK AcceptWindowedMode(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_ACTIVATE) {
        char name[16] = {};
        GetClassNameA(reinterpret_cast<HWND>(wParam), name, sizeof name);
        if (lstrcmpA(name, "#32770") == 0)
            PostMessageA(reinterpret_cast<HWND>(wParam), WM_COMMAND, IDYES, 0);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void DemoFrame()
{
    DrawFrame();
    SwapBuffers(DemoDeviceContext);
}

void EmptyFrame()
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    SwapBuffers(DemoDeviceContext);
}

struct Tally {
    long frames = 0;
    double seconds = 0;
    double Rate() const { return seconds > 0 ? frames / seconds : 0; }
};

// Draws frames for about this long, handling messages between them as the
// demo loop does.
void RunPhase(void (*frame)(), double seconds, Tally &tally)
{
    const double start = NowSeconds();
    double elapsed = 0;
    long frames = 0;
    while (elapsed < seconds) {
        PumpMessages();
        frame();
        ++frames;
        elapsed = NowSeconds() - start;
    }
    glFinish();
    tally.frames += frames;
    tally.seconds += NowSeconds() - start;
}

double Argument(int argc, char **argv, int index, double fallback)
{
    if (argc <= index)
        return fallback;
    const double value = std::atof(argv[index]);
    return value > 0 ? value : fallback;
}

} // namespace

int main(int argc, char **argv)
{
    const double seconds = Argument(argc, argv, 1, 2.0);
    const int rounds = static_cast<int>(Argument(argc, argv, 2, 3));

    HHOOK hook = SetWindowsHookExA(WH_CBT, AcceptWindowedMode, nullptr, GetCurrentThreadId());
    const bool created = CreateDemoWindow(DEMO_TITLE, 800, 600, 16, true);
    UnhookWindowsHookEx(hook);
    if (!created) {
        std::fprintf(stderr, "brix_bench: the demo window could not be created\n");
        return 1;
    }
    std::printf("renderer: %s (%s)\n", reinterpret_cast<const char *>(glGetString(GL_RENDERER)),
                DemoFullscreen ? "full screen" : "windowed");

    for (int i = 0; i < WarmUpFrames; ++i) {
        PumpMessages();
        DemoFrame();
    }

    // Alternating phases, so a change in the machine's load hits both.
    Tally demo, empty;
    for (int round = 0; round < rounds; ++round) {
        RunPhase(DemoFrame, seconds, demo);
        RunPhase(EmptyFrame, seconds, empty);
    }
    DestroyDemoWindow();

    const double ratio = empty.Rate() > 0 ? demo.Rate() / empty.Rate() : 0;
    std::printf("demo (DrawFrame + SwapBuffers): %8.1f frames/s (%ld frames, full trail)\n", demo.Rate(),
                demo.frames);
    std::printf("clear + SwapBuffers only:       %8.1f frames/s (%ld frames)\n", empty.Rate(),
                empty.frames);
    std::printf("ratio: %.3f (goal: at least 0.9)\n", ratio);
    return 0;
}
