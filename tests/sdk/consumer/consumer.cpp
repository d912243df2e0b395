// A small saver on the SDK: green through the OpenGL helper, with a page
// of its own (template 2003 in consumer.rc); closing and the rest of the
// configuration are the framework's.
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

static INT_PTR CALLBACK ConsumerPageProc(HWND, UINT message, WPARAM, LPARAM)
{
    return message == WM_INITDIALOG;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    return ScrMain(instance, ConsumerProc, ConsumerPageProc, nullptr, 0);
}
