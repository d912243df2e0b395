#include "saver/saver_windows.h"

#include "dusklit.h"
#include "library/startup.h"
#include "saver/create_params.h"
#include "saver/monitors.h"
#include "saver/prefs.h"
#include "saver/run_state.h"
#include "saver/timer.h"
#include "saver/window_kinds.h"

namespace {

const char OwnClassName[] = "ZoScreenSaverClass";
const char DummyClassName[] = "DummyScreenSaverClass";
const char PreviewTitle[] = "SaverPreview";
const char SaverTitle[] = "SaverWindow";

enum SaverMode : LONG { FullScreenMode = 0, MonitorPreviewMode = 1, SystemPreviewMode = 2 };

// Everything a saver window is created with; the creation record becomes
// the window's once DefSaverProc has seen WM_CREATE. The record is kept
// apart from the structure, which a hook may change.
struct WindowRequest {
    CREATESTRUCTA create = {};
    LONG mode = FullScreenMode;
    SaverWindowKind kind = SaverWindowKind::FullScreen; // what the window is, whoever makes it
    SaverCreateParams *record = nullptr;
};

// A preview fills its parent's outer rectangle, border included.
WindowRequest PreviewRequest(HWND parent, BOOL insideMonitor, const char *className)
{
    WindowRequest request;
    request.mode = insideMonitor ? MonitorPreviewMode : SystemPreviewMode;
    request.kind = insideMonitor ? SaverWindowKind::MonitorPreview : SaverWindowKind::SystemPreview;
    RECT outer = {};
    GetWindowRect(parent, &outer);
    CREATESTRUCTA &c = request.create;
    request.record = NewSaverCreateParams(request.mode);
    c.lpCreateParams = request.record;
    c.hInstance = ModuleInstance;
    c.hwndParent = parent;
    c.cx = outer.right - outer.left;
    c.cy = outer.bottom - outer.top;
    c.style = WS_CHILD | WS_VISIBLE;
    c.lpszName = PreviewTitle;
    c.lpszClass = className;
    return request;
}

// The full-screen window covers every monitor (the virtual screen), so no
// part of the desktop stays open under a locked saver. With DebugWindow it
// is a small ordinary window, a sixth of the primary monitor at its
// top-left corner, that leaves the rest of the screen to the debugger.
WindowRequest SaverRequest(const char *className)
{
    WindowRequest request;
    CREATESTRUCTA &c = request.create;
    request.record = NewSaverCreateParams(FullScreenMode);
    c.lpCreateParams = request.record;
    c.hInstance = ModuleInstance;
    if (CurrentPrefs.DebugWindow) {
        request.kind = SaverWindowKind::DebugWindow;
        c.cx = GetSystemMetrics(SM_CXSCREEN) / 6;
        c.cy = GetSystemMetrics(SM_CYSCREEN) / 6;
        c.style = WS_OVERLAPPEDWINDOW | WS_VISIBLE;
        c.dwExStyle = 0;
    } else {
        const RECT screen = VirtualScreenRect();
        c.x = screen.left;
        c.y = screen.top;
        c.cx = screen.right - screen.left;
        c.cy = screen.bottom - screen.top;
        c.style = static_cast<LONG>(WS_POPUP | WS_VISIBLE);
        c.dwExStyle = WS_EX_TOPMOST;
    }
    c.lpszName = SaverTitle;
    c.lpszClass = className;
    return request;
}

HWND CreateFromRequest(const WindowRequest &request)
{
    AnnouncedSaverWindow announced(request.kind);
    const CREATESTRUCTA &c = request.create;
    HWND window = CreateWindowExA(c.dwExStyle, c.lpszClass, c.lpszName, static_cast<DWORD>(c.style), c.x, c.y, c.cx,
                                  c.cy, c.hwndParent, c.hMenu, c.hInstance, c.lpCreateParams);
    ReleaseSaverCreateParams(request.record, window ? CreationOutcome::Created : CreationOutcome::Failed);
    return window;
}

// Whatever the hook or host returns, the record is ours no longer.
HWND HandedOver(const WindowRequest &request, HWND window)
{
    ReleaseSaverCreateParams(request.record, CreationOutcome::HandedOver);
    return window;
}

HWND CreateThroughCallback(WindowRequest request)
{
    if (!EntryArgs.CreateWindowHook)
        return CreateFromRequest(request);
    AnnouncedSaverWindow announced(request.kind);
    return HandedOver(request, EntryArgs.CreateWindowHook(request.mode, &request.create));
}

// Asks the host with each message in turn; the first nonzero answer is the
// window. When every answer is 0 the framework creates the window itself.
HWND CreateThroughHost(WindowRequest request, const UINT *messages, int count)
{
    for (int i = 0; i < count; ++i) {
        AnnouncedSaverWindow announced(request.kind);
        LRESULT answer = SendMessageA(EntryArgs.HostWindow, messages[i], static_cast<WPARAM>(request.mode),
                                      reinterpret_cast<LPARAM>(&request.create));
        if (answer)
            return HandedOver(request, reinterpret_cast<HWND>(answer));
    }
    return CreateFromRequest(request);
}

} // namespace

HWND OwnClassCreatePreview(HWND parent, BOOL insideMonitor)
{
    return CreateFromRequest(PreviewRequest(parent, insideMonitor, OwnClassName));
}

HWND OwnClassCreateSaver()
{
    return CreateFromRequest(SaverRequest(OwnClassName));
}

HWND CallbackCreatePreview(HWND parent, BOOL insideMonitor)
{
    return CreateThroughCallback(PreviewRequest(parent, insideMonitor, DummyClassName));
}

HWND CallbackCreateSaver()
{
    return CreateThroughCallback(SaverRequest(DummyClassName));
}

HWND HostCreatePreview(HWND parent, BOOL insideMonitor)
{
    const UINT messages[] = {static_cast<UINT>(insideMonitor ? SCRHOST_CREATECONFIGPREVIEW : SCRHOST_CREATESYSPREVIEW),
                             SCRHOST_CREATEPREVIEW, SCRHOST_CREATEWINDOW};
    return CreateThroughHost(PreviewRequest(parent, insideMonitor, DummyClassName), messages, 3);
}

HWND HostCreateSaver()
{
    const UINT messages[] = {SCRHOST_CREATEFULL, SCRHOST_CREATEWINDOW};
    return CreateThroughHost(SaverRequest(DummyClassName), messages, 2);
}

LRESULT CALLBACK DefHostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    ScrEnsureStarted();
    if (message >= SCRHOST_CREATECONFIGPREVIEW && message <= SCRHOST_CREATECONFIGPREVIEW + 9)
        return 0;
    return DefWindowProcA(window, message, wParam, lParam);
}

// A saver window is one that DefSaverProc gave its timer block at WM_CREATE
// and has not taken it back at WM_DESTROY. The property that shows the
// block can be set on any window; the framework's own record of the
// blocks cannot.
BOOL WINAPI ScrIsSaverWindow(HWND window)
{
    ScrEnsureStarted();
    return window && IsWindow(window) && HasTimerProp(window) ? TRUE : FALSE;
}
