#include "demo_test_support.h"

#include <cstring>

#include "demo/demo_loop.h"
#include "demo/gl_window.h"

namespace {
DisplayModeWatch *CurrentWatch = nullptr;
}

DisplayModeWatch::DisplayModeWatch(Behaviour behaviour) : behaviour_(behaviour)
{
    CurrentWatch = this;
    ChangeDisplayMode = Change;
}

DisplayModeWatch::~DisplayModeWatch()
{
    ChangeDisplayMode = ChangeDisplaySettingsA;
    CurrentWatch = nullptr;
}

LONG WINAPI DisplayModeWatch::Change(DEVMODEA *mode, DWORD flags)
{
    DisplayModeCall call;
    call.restore = mode == nullptr;
    if (mode)
        std::memcpy(&call.request, mode, sizeof call.request);
    call.flags = flags;
    if (CurrentWatch->behaviour_ == Grant)
        call.result = DISP_CHANGE_SUCCESSFUL;
    else
        call.result = ChangeDisplaySettingsA(mode, flags);
    CurrentWatch->calls_.push_back(call);
    return call.result;
}

int CursorShowCount()
{
    ShowCursor(TRUE);
    return ShowCursor(FALSE);
}

void DrainMessages()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message != WM_QUIT) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
}

void PumpMessagesFor(DWORD milliseconds)
{
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < milliseconds) {
        DrainMessages();
        Sleep(10);
    }
}

void ResetDemo()
{
    // Without a window nothing was hidden or switched (a refusal leaves the
    // flag set), so the teardown must not restore anything.
    if (!DemoWindow && !DemoDeviceContext && !DemoRenderingContext)
        DemoFullscreen = false;
    DestroyDemoWindow();
    UnregisterClassA("OpenGL", GetModuleHandleA(nullptr));
    for (bool &key : KeyDown)
        key = false;
    DemoActive = true;
    ChangeDisplayMode = ChangeDisplaySettingsA;
    DrainMessages();
}
