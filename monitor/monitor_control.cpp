#include "monitor/monitor_control.h"

#include <windowsx.h>

#include "dusklit.h"
#include "library/module.h"
#include "monitor/monitor_resources.h"
#include "monitor/corner_style.h"
#include "monitor/geometry.h"

// The monitor control and its inner screen window. The control has no
// memory of its own: its state is its style, and what it draws with
// belongs to the library. It takes the picture's size once, at creation.

static_assert(MS_TYPEMASK == MonitorTypeMask && MS_PREVIEW == MonitorTypePreview &&
                  MS_CORNERS == MonitorTypeCorners && MS_CORNERMASK == CornerFieldsMask,
              "the public style names and the control's decoding agree");

#ifndef WM_DPICHANGED_AFTERPARENT
#define WM_DPICHANGED_AFTERPARENT 0x02E3 // for headers older than Windows 10 1703
#endif

namespace {

const char ScreenWindowTitle[] = "Monitor window";

// A dialog template places the control with a size in dialog units; the
// picture has a size in pixels. The control keeps the template's centre
// and takes the picture's size at its scale.
//
// The picture grows only by whole multiples, from 192 DPI on: its bitmaps
// are 16-colour pixel art with one-pixel edges that any other scale would
// smear or step unevenly (144 DPI is 150 %). Below 192 it keeps its size in
// pixels, and the corner squares, the screen area and a preview's window
// inside it stay exactly where clicks and savers have always found them;
// from 192 on, all of them grow alike, so the picture keeps its proportion
// to the texts that grew around it.
void FitToPicture(HWND control)
{
    RECT bounds;
    if (!GetWindowRect(control, &bounds))
        return;
    const int scale = PictureScaleOf(control);
    const int width = PictureSize.cx * scale;
    const int height = PictureSize.cy * scale;
    const MonitorRect rect = {bounds.left, bounds.top, bounds.right, bounds.bottom};
    if (HasSize(rect, width, height))
        return;
    const MonitorPoint centre = RectCentre(rect);
    POINT at = {centre.x, centre.y};
    // A child is placed in its parent's client area; a top-level control
    // (whose GetParent is its owner, if any) stays in screen coordinates.
    if (GetWindowLongA(control, GWL_STYLE) & WS_CHILD)
        ScreenToClient(GetParent(control), &at);
    const MonitorPoint topLeft = PlaceAboutCentre({at.x, at.y}, width, height);
    MoveWindow(control, topLeft.x, topLeft.y, width, height, FALSE);
}

// The window a preview goes into lies exactly over the picture's screen
// and carries the control's identifier.
void CreateScreenWindow(HWND control)
{
    const LONG id = GetWindowLongA(control, GWL_ID);
    const RECT area = ScaledPictureRect(ScreenArea, PictureScaleOf(control));
    CreateWindowExA(0, DUSKLIT_MONITOR_WINDOW_CLASS, ScreenWindowTitle, WS_CHILD | WS_VISIBLE, area.left,
                    area.top, area.right - area.left, area.bottom - area.top, control,
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ScrLibraryInstance, nullptr);
}

// After a move to a monitor of another DPI the screen window, and the
// preview that fills it, follow the picture's new scale.
void FitScreenWindow(HWND control)
{
    HWND screen = GetWindow(control, GW_CHILD);
    if (!screen)
        return;
    const RECT area = ScaledPictureRect(ScreenArea, PictureScaleOf(control));
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    MoveWindow(screen, area.left, area.top, width, height, TRUE);
    if (HWND preview = GetWindow(screen, GW_CHILD))
        MoveWindow(preview, 0, 0, width, height, TRUE);
}

// Any program can send the control another WM_CREATE later: it gets no
// second screen window.
void OnCreate(HWND control)
{
    FitToPicture(control);
    if (HasScreenWindow(static_cast<std::uint32_t>(GetWindowLongA(control, GWL_STYLE))) &&
        !GetWindow(control, GW_CHILD))
        CreateScreenWindow(control);
}

// Until a preview covers it, the screen shows the desktop's colour.
void FillWithDesktopColour(HWND screen, HDC dc)
{
    RECT client;
    GetClientRect(screen, &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_BACKGROUND));
}

// A parent hears WM_DESTROY before its children, so the preview's timer
// thread stops while the preview still exists and can still be ticked.
void StopPreviewTimer(HWND screen)
{
    if (HWND preview = GetWindow(screen, GW_CHILD))
        ScrStopTimer(preview);
}

} // namespace

LRESULT CALLBACK MonitorControlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        OnCreate(window);
        return 0;
    case WM_PAINT:
        PaintMonitorControl(window);
        return 0;
    case WM_COMMAND:
        RunCornerCommand(window, LOWORD(wParam));
        return 0;
    case WM_LBUTTONDOWN:
        OpenCornerMenuAt(window, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        return 0;
    case WM_DPICHANGED_AFTERPARENT:
        // A per-monitor aware dialog that moves to a monitor of another DPI
        // has just rescaled its controls, this one among them: it takes
        // the picture's size at the new scale about its new centre.
        FitToPicture(window);
        FitScreenWindow(window);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CALLBACK MonitorWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_ERASEBKGND:
        FillWithDesktopColour(window, reinterpret_cast<HDC>(wParam));
        return 1;
    case WM_DESTROY:
        StopPreviewTimer(window);
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
