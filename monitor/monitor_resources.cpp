#include "monitor/monitor_resources.h"

#include "dusklit.h"
#include "library/module.h"
#include "monitor/corner_style.h"
#include "monitor/geometry.h"
#include "monitor/monitor_control.h"
#include "resource_ids.h"
#include "saver/debug_output.h"
#include "saver/resource_texts.h"
#include "saver/system_components.h"

// Empty until the library's start-up loads them.
HBITMAP MonitorPicture = nullptr;
SIZE PictureSize = {0, 0};
HBITMAP CornerMarks[CornerActionCount] = {};
SIZE MarkSize = {0, 0};
HMENU CornerMenus[CornerCount] = {};
RECT CornerSquares[CornerCount] = {};
RECT ScreenArea = {0, 0, 0, 0};
BOOL AgentWarningShown = FALSE;

namespace {

bool AgentPresent = false;

const char MonitorClassName[] = DUSKLIT_MONITOR_CLASS;
const char MonitorWindowClassName[] = DUSKLIT_MONITOR_WINDOW_CLASS;

// Menu texts and mark bitmaps in CornerAction order.
const UINT CornerItemText[CornerActionCount] = {IDS_CORNER_DEFAULT, IDS_CORNER_NOW, IDS_CORNER_NEVER};
const UINT CornerMarkBitmap[CornerActionCount] = {IDB_MARK_DEFAULT, IDB_MARK_NOW, IDB_MARK_NEVER};

void CreateCornerMenus()
{
    for (int corner = 0; corner < CornerCount; ++corner) {
        CornerMenus[corner] = CreatePopupMenu();
        for (int action = 0; action < CornerActionCount; ++action) {
            TextBuffer text;
            if (LoadLibraryText(CornerItemText[action], text))
                AppendMenuA(CornerMenus[corner], MF_STRING,
                            CornerMenuItem(corner, static_cast<CornerAction>(action)), text);
        }
    }
}

// A bitmap that does not load reports a size of 0 x 0.
SIZE BitmapSize(HBITMAP bitmap)
{
    BITMAP info = {};
    GetObjectA(bitmap, sizeof info, &info);
    return {info.bmWidth, info.bmHeight};
}

void LoadBitmaps()
{
    MonitorPicture = LoadBitmapA(ScrLibraryInstance, MAKEINTRESOURCEA(IDB_MONITOR));
    for (int action = 0; action < CornerActionCount; ++action)
        CornerMarks[action] =
            LoadBitmapA(ScrLibraryInstance, MAKEINTRESOURCEA(CornerMarkBitmap[action]));
    SIZE picture = BitmapSize(MonitorPicture);
    // The picture and its mask lie side by side; the control shows one half.
    PictureSize = {picture.cx / 2, picture.cy};
    MarkSize = BitmapSize(CornerMarks[CornerDefault]);
}

RECT ToRect(const MonitorRect &rect)
{
    return {rect.left, rect.top, rect.right, rect.bottom};
}

// Where the marks sit and where a preview goes follow from the corners of
// the picture's screen, kept as text beside the picture they describe.
void ReadGeometry()
{
    TextBuffer text;
    if (!LoadLibraryText(IDS_SCREEN_CORNERS, text))
        return;
    ScreenCorners corners;
    ReadScreenCorners(text, corners);
    MonitorRect squares[CornerCount];
    ComputeCornerSquares(corners, MarkSize.cx, MarkSize.cy, squares);
    for (int corner = 0; corner < CornerCount; ++corner)
        CornerSquares[corner] = ToRect(squares[corner]);
    ScreenArea = ToRect(ComputeScreenArea(corners));
}

void ReportClassFailure(const char *trace, const char *text, const char *caption)
{
    ScrTrace(trace);
    ScrDebugMessageBox(nullptr, text, caption);
}

// The null brush leaves the parent's drawing in place under the control.
ATOM RegisterMonitorClass(const char *name, UINT style, WNDPROC procedure)
{
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.style = style;
    wc.lpfnWndProc = procedure;
    wc.hInstance = ScrLibraryInstance;
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
    wc.lpszClassName = name;
    return RegisterClassExA(&wc);
}

} // namespace

void LoadMonitorResources()
{
    AgentPresent = false;
    AgentWarningShown = FALSE;
    for (int corner = 0; corner < CornerCount; ++corner) {
        SetRect(&CornerSquares[corner], 0, 0, 0, 0);
        CornerMenus[corner] = nullptr;
    }
    CreateCornerMenus();
    LoadBitmaps();
    ReadGeometry();
}

void FreeMonitorResources()
{
    if (MonitorPicture)
        DeleteObject(MonitorPicture);
    MonitorPicture = nullptr;
    for (HBITMAP &mark : CornerMarks) {
        if (mark)
            DeleteObject(mark);
        mark = nullptr;
    }
    for (HMENU &menu : CornerMenus) {
        if (menu)
            DestroyMenu(menu);
        menu = nullptr;
    }
}

BOOL ScrRegisterControls()
{
    if (!RegisterMonitorClass(MonitorClassName, CS_GLOBALCLASS, MonitorControlProc)) {
        ReportClassFailure("Dusklit: failed to register monitor class",
                           "Failed to register monitor class", "Dusklit DLL");
        return FALSE;
    }
    if (!RegisterMonitorClass(MonitorWindowClassName, CS_GLOBALCLASS | CS_VREDRAW | CS_HREDRAW,
                              MonitorWindowProc)) {
        ReportClassFailure("Dusklit: Failed to register monitor window class",
                           "Failed to register monitor window class", "Dusklit DLL");
        return FALSE;
    }
    ScrTrace("Dusklit: succesfully registered controls");
    return TRUE;
}

BOOL ScrUnregisterControls()
{
    BOOL result = TRUE;
    if (!UnregisterClassA(MonitorWindowClassName, ScrLibraryInstance)) {
        ReportClassFailure("Dusklit: failed to unregister monitor window class",
                           "Failed to unregister monitor window class", "Dusklit");
        result = FALSE;
    }
    if (!UnregisterClassA(MonitorClassName, ScrLibraryInstance)) {
        ReportClassFailure("Dusklit: failed to unregister monitor class",
                           "Failed to unregister monitor class", "Dusklit");
        result = FALSE;
    }
    ScrTrace(result ? "Dusklit: successfully unregistered controls"
                    : "Dusklit: error unregistering controls...");
    return result;
}

namespace {

int SystemDpi()
{
    HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 0;
    if (screen)
        ReleaseDC(nullptr, screen);
    return dpi;
}

} // namespace

int PictureScaleOf(HWND control)
{
    // GetDpiForWindow came with Windows 10 1607; before it every window
    // had the system's DPI.
    const auto windowDpi = SystemEntry<UINT(WINAPI *)(HWND)>("user32.dll", "GetDpiForWindow");
    int dpi = windowDpi ? static_cast<int>(windowDpi(control)) : 0;
    return PictureScaleForDpi(dpi > 0 ? dpi : SystemDpi());
}

RECT ScaledPictureRect(const RECT &rect, int scale)
{
    return ToRect(ScaleRect({rect.left, rect.top, rect.right, rect.bottom}, scale));
}

void NoteHotCornerAgent(bool present)
{
    AgentPresent = present;
}

bool HotCornerAgentPresent()
{
    return AgentPresent;
}
