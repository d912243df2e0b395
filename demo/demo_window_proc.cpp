// DemoWindowProc: a dispatch table over the few messages the demo cares
// about; everything else gets the default handling.
#include "demo_loop.h"

#include "gl_window.h"

namespace {

// As the lock's first face, the demo ends the moment another window takes
// the activation (Alt+Tab, the Windows key, a window coming up): the saver
// window takes over before anything else can be reached.
void EndLockedDemoOnDeactivation(bool deactivated)
{
    if (DemoIsLock && deactivated)
        PostQuitMessage(0);
}

LRESULT OnActivate(HWND, WPARAM wParam, LPARAM)
{
    // The high word is the minimised flag: no frames while minimised.
    DemoActive = HIWORD(wParam) == 0;
    EndLockedDemoOnDeactivation(LOWORD(wParam) == WA_INACTIVE);
    return 0;
}

LRESULT OnActivateApp(HWND window, WPARAM wParam, LPARAM lParam)
{
    EndLockedDemoOnDeactivation(wParam == FALSE);
    return DefWindowProcA(window, WM_ACTIVATEAPP, wParam, lParam);
}

LRESULT OnSysCommand(HWND window, WPARAM wParam, LPARAM lParam)
{
    // Keeps the system's screen saver and monitor power-down from starting
    // over the demo. The whole wParam is compared, as the system sends it.
    if (wParam == SC_SCREENSAVE || wParam == SC_MONITORPOWER)
        return 0;
    return DefWindowProcA(window, WM_SYSCOMMAND, wParam, lParam);
}

LRESULT OnClose(HWND, WPARAM, LPARAM)
{
    // The loop ends when it takes the WM_QUIT.
    PostQuitMessage(0);
    return 0;
}

// The keyboard never sends a code of 256 or more; such a message is ignored
// rather than written past the table.
void SetKey(WPARAM code, bool down)
{
    if (code < DemoKeyCount)
        KeyDown[code] = down;
}

LRESULT OnKeyDown(HWND, WPARAM wParam, LPARAM)
{
    SetKey(wParam, true);
    return 0;
}

LRESULT OnKeyUp(HWND, WPARAM wParam, LPARAM)
{
    SetKey(wParam, false);
    return 0;
}

LRESULT OnSize(HWND, WPARAM, LPARAM lParam)
{
    ResizeViewport(LOWORD(lParam), HIWORD(lParam));
    return 0;
}

struct MessageHandler {
    UINT message;
    LRESULT (*handle)(HWND window, WPARAM wParam, LPARAM lParam);
};

constexpr MessageHandler Handlers[] = {
    {WM_ACTIVATE, OnActivate}, {WM_ACTIVATEAPP, OnActivateApp}, {WM_SYSCOMMAND, OnSysCommand}, {WM_CLOSE, OnClose},
    {WM_KEYDOWN, OnKeyDown},   {WM_KEYUP, OnKeyUp},           {WM_SIZE, OnSize},
};

} // namespace

LRESULT CALLBACK DemoWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    for (const MessageHandler &handler : Handlers) {
        if (handler.message == message)
            return handler.handle(window, wParam, lParam);
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
