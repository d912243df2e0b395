// brix.scr: an OpenGL demo that runs at every start, whatever the command
// line says, and then hands the process over to the Dusklit framework,
// which reads the command line and runs the screen-saver mode it names.
#include <windows.h>

#include "dusklit.h"
#include "demo_loop.h"
#include "demo_texts.h"
#include "gl_window.h"

namespace {

constexpr int DemoWidth = 800;
constexpr int DemoHeight = 600;
constexpr int DemoBits = 16;

// The framework's saver window: the demo adds nothing of its own.
LRESULT CALLBACK DemoSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefSaverProc(window, message, wParam, lParam);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    DemoFullscreen = true;
    // The user has already been told why when this fails; the framework is
    // then not entered at all.
    if (!CreateDemoWindow(DEMO_TITLE, DemoWidth, DemoHeight, DemoBits, DemoFullscreen))
        return 0;
    RunDemoLoop();
    DestroyDemoWindow();
    return ScrMain(instance, DemoSaverProc, nullptr, nullptr, 0);
}
