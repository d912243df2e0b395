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
    // Before the demo loads its libraries or shows anything.
    ScrSecureDllSearch();
    // Started as the screen saver, the program is the desktop's lock from
    // its first moment, and the demo is the lock's first face.
    DemoIsLock = ScrSaverModeRequested() != FALSE;
    DemoFullscreen = true;
    // The user has already been told why when this fails; the framework is
    // then not entered at all, except by the lock, which must not leave the
    // desktop open because its demo could not run.
    if (!CreateDemoWindow(DEMO_TITLE, DemoWidth, DemoHeight, DemoBits, DemoFullscreen))
        return DemoIsLock ? ScrMain(instance, DemoSaverProc, nullptr, nullptr, 0) : 0;
    RunDemoLoop();
    DestroyDemoWindow();
    return ScrMain(instance, DemoSaverProc, nullptr, nullptr, 0);
}
