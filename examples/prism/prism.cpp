// Prism: an OpenGL saver in a page of code. A prism of light turns in the
// middle of every monitor, and live on the saver's own configuration page.
// dusklit_gl.h gives it the context, a viewport per monitor and frames
// paced to the display; dusklit.h does the rest, as for any saver.
#include <cmath>
#include "dusklit.h"
#include "dusklit_gl.h"
#include "prism_ids.h"

namespace {

double Seconds()
{
    LARGE_INTEGER now, rate;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&rate);
    return static_cast<double>(now.QuadPart) / static_cast<double>(rate.QuadPart);
}

// Six coloured sides about the middle of the monitor's viewport.
void DrawPrism(double angle)
{
    GLint box[4];
    glGetIntegerv(GL_VIEWPORT, box);
    const double aspect = box[3] > 0 ? static_cast<double>(box[2]) / box[3] : 1;
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

LRESULT CALLBACK PrismProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE: { // once DefSaverProc has taken the window on, the helper can
        const LRESULT created = DefSaverProc(window, message, wParam, lParam);
        if (ScrGLAttach(window, nullptr)) // FALSE without OpenGL: black, and still a lock
            glEnable(GL_DEPTH_TEST);
        return created;
    }
    case SCRM_TIMER:
        for (int i = 0; i < ScrGLMonitorCount(window); ++i) {
            ScrGLUseMonitor(window, i);
            glClearColor(0.02f, 0.02f, 0.1f, 1);
            glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
            DrawPrism(Seconds() * 60 + i * 45); // a turn in six seconds
        }
        ScrGLSwap(window);
        return ScrGLPeriod(window); // 0 while each swap waits for the display
    }
    return DefSaverProc(window, message, wParam, lParam);
}

// The saver's own page of the configuration sheet: the prism, live.
INT_PTR CALLBACK PrismPageProc(HWND page, UINT message, WPARAM, LPARAM)
{
    if (message == WM_INITDIALOG)
        CreatePreview(GetDlgItem(page, IDC_PRISM_MONITOR));
    return message == WM_INITDIALOG;
}
} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    return ScrMain(instance, PrismProc, PrismPageProc, nullptr, 0);
}
