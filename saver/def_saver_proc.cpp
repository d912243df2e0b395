// The default saver procedure. This first form keeps a saver window's
// basic contract: it owns its creation record, and destroying the window
// ends the run mode's message loop with 2 (except for a preview inside a
// monitor control, whose dialog keeps running). Closing on user input,
// timers and the password come with the saver runtime.
#include <cstring>

#include "dusklit.h"
#include "monitor/library.h"

namespace {

void ReleaseCreateParams(LPARAM lParam)
{
    auto *create = reinterpret_cast<CREATESTRUCTA *>(lParam);
    if (!create)
        return;
    delete static_cast<SaverCreateParams *>(create->lpCreateParams);
    create->lpCreateParams = nullptr;
}

bool InsideMonitorControl(HWND window)
{
    char className[64] = "";
    HWND parent = GetParent(window);
    return parent && GetClassNameA(parent, className, sizeof className) &&
           std::strcmp(className, DUSKLIT_MONITOR_WINDOW_CLASS) == 0;
}

} // namespace

LRESULT CALLBACK DefSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    ScrEnsureStarted();
    switch (message) {
    case WM_CREATE:
        ReleaseCreateParams(lParam);
        return 0;
    case WM_DESTROY:
        if (!InsideMonitorControl(window))
            PostQuitMessage(2);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}
