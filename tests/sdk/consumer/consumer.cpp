// A small saver an author could write on the SDK: it clears each monitor
// to green with the OpenGL helper and leaves closing and configuring to
// the framework.
#include "dusklit.h"
#include "dusklit_gl.h"

static LRESULT CALLBACK ConsumerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CREATE) {
        const LRESULT created = DefSaverProc(window, message, wParam, lParam);
        if (ScrGLAttach(window, nullptr))
            glClearColor(0, 1, 0, 1);
        return created;
    }
    if (message != SCRM_TIMER)
        return DefSaverProc(window, message, wParam, lParam);
    for (int i = 0; i < ScrGLMonitorCount(window); ++i) {
        ScrGLUseMonitor(window, i);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    ScrGLSwap(window);
    return ScrGLPeriod(window);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    return ScrMain(instance, ConsumerProc, nullptr, nullptr, 0);
}
