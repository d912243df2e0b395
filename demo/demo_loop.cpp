// The demo loop: it never waits, so the animation runs as fast as frames
// can be drawn.
#include "demo_loop.h"

#include "gl_window.h"
#include "scene_gl.h"

bool KeyDown[DemoKeyCount] = {};
bool DemoActive = true;
bool DemoLostActivation = false;

bool RunDemoIdlePass()
{
    if (DemoActive && !DrawFrame())
        return false;
    // Tested after drawing, so the frame drawn in the pass that sees
    // Escape is never shown.
    if (KeyDown[VK_ESCAPE])
        return false;
    // Swapped even while minimised and nothing was drawn.
    SwapBuffers(DemoDeviceContext);
    return true;
}

bool RunDemoPass()
{
    if (DemoLostActivation)
        return false;
    MSG message;
    // Pending messages are always drained before anything is drawn.
    if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT)
            return false;
        TranslateMessage(&message);
        DispatchMessageA(&message);
        return true;
    }
    return RunDemoIdlePass();
}

void RunDemoLoop()
{
    while (RunDemoPass()) {
    }
}
