// CreatePreview: a saver's live preview of itself inside a window of its
// choosing, usually the screen of an MS_PREVIEW monitor control on the
// saver's own configuration page.
#include <cstring>

#include "dusklit.h"
#include "library/startup.h"
#include "saver/debug_output.h"
#include "saver/host_dpi_context.h"
#include "saver/run_state.h"

namespace {

constexpr int ClassNameBufferSize = 50;

bool IsMonitorControl(HWND window)
{
    char name[ClassNameBufferSize] = "";
    GetClassNameA(window, name, ClassNameBufferSize - 1);
    // Exact: the class was registered under this spelling, and a window of a
    // class that merely looks alike has no screen window inside it.
    return std::strcmp(name, DUSKLIT_MONITOR_CLASS) == 0;
}

// The screen window of a monitor control, or null (with a word to the
// saver's author in debug mode) when the control cannot take a preview.
HWND ScreenWindowOf(HWND control)
{
    if ((GetWindowLongA(control, GWL_STYLE) & MS_TYPEMASK) != MS_PREVIEW) {
        const char text[] = "CreatePreview: Cannot, because monitor has wrong style! Give it the MS_PREVIEW style.";
        ScrTrace(text);
        ScrDebugMessageBox(control, text, "Programming error");
        return nullptr;
    }
    // Only a control that had MS_PREVIEW when it was created has one.
    HWND screen = GetWindow(control, GW_CHILD);
    if (!screen) {
        ScrTrace("CreatePreview: Internal error. No monitor-window window could be found.");
        ScrDebugMessageBox(control, "CreatePreview: No monitor-window window could be found.", "Internal error");
    }
    return screen;
}

} // namespace

HWND WINAPI CreatePreview(HWND window)
{
    ScrEnsureStarted();
    if (!window)
        return nullptr;
    HWND target = window;
    if (IsMonitorControl(window)) {
        target = ScreenWindowOf(window);
        if (!target)
            return nullptr;
    }
    // The creator comes with the entry the saver ran; without one there is
    // nothing to create the preview with.
    if (!HookTable.CreatePreviewWindow)
        return nullptr;
    HostDpiContext hostContext(target);
    return HookTable.CreatePreviewWindow(target, TRUE);
}
