// A small saver on the SDK: green through the OpenGL helper; closing and
// configuring are the framework's.
#include "dusklit.h"
#include "dusklit_gl.h"

static LRESULT CALLBACK ConsumerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == SCRM_TIMER) {
        glClear(GL_COLOR_BUFFER_BIT);
        ScrGLSwap(window);
        return ScrGLPeriod(window);
    }
    const LRESULT result = DefSaverProc(window, message, wParam, lParam);
    if (message == WM_CREATE && ScrGLAttach(window, nullptr))
        glClearColor(0, 1, 0, 1);
    return result;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    return ScrMain(instance, ConsumerProc, nullptr, nullptr, 0);
}
