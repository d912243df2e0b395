#include "library/library.h"

#include "library/install_check.h"
#include "monitor/geometry.h"
#include "resource_ids.h"
#include "saver/debug_output.h"
#include "saver/prefs.h"
#include "saver/strings.h"

// Library-wide state. Stopped until the first framework call (or the
// loader) starts it.
BOOL LibraryStarted = FALSE;
HBITMAP MonitorPicture = nullptr;
SIZE PictureSize = {0, 0};
HBITMAP CornerMarks[3] = {nullptr, nullptr, nullptr};
SIZE MarkSize = {0, 0};
HMENU CornerMenus[4] = {nullptr, nullptr, nullptr, nullptr};
RECT CornerSquares[4] = {};
RECT ScreenArea = {0, 0, 0, 0};
BOOL AgentPresent = FALSE;
BOOL AgentWarningShown = FALSE;

namespace {

static_assert(CornerCount == sizeof CornerMenus / sizeof CornerMenus[0], "one menu per corner");

const char MonitorClassName[] = DUSKLIT_MONITOR_CLASS;
const char MonitorWindowClassName[] = DUSKLIT_MONITOR_WINDOW_CLASS;

// Item ids of corner menu i start here; an item's position (its
// CornerAction) is added to them.
const UINT CornerMenuBase[CornerCount] = {
    IDM_CORNER_BASE, IDM_CORNER_BASE + 0x100, IDM_CORNER_BASE + 0x200, IDM_CORNER_BASE + 0x300};
// Menu texts in item order, which is CornerAction order.
const UINT CornerItemText[3] = {IDS_CORNER_DEFAULT, IDS_CORNER_NOW, IDS_CORNER_NEVER};
const UINT CornerMarkBitmap[3] = {IDB_MARK_DEFAULT, IDB_MARK_NOW, IDB_MARK_NEVER};

// Outside the loadable library the check has nothing to refuse: the
// program that carries the framework may live anywhere. In the library a
// wrong place is reported and start-up refused.
bool InstallDirectoryAccepted()
{
    char file[InstallPathSize] = {};
    char directory[InstallPathSize] = {};
    GetModuleFileNameA(ScrLibraryInstance, file, InstallPathSize - 1);
    GetWindowsDirectoryA(directory, InstallPathSize - 1);
    char expected[InstallPathSize];
    if (InstallPathMatches(file, directory, expected))
        return true;
    char text[InstallMessageSize];
    FormatInstallMessage(ScrLibraryInstance, expected, text);
    if (!LoadedAsLibrary)
        return true;
    MessageBoxA(nullptr, text, "Dusklit", MB_OK);
    return false;
}

void CreateCornerMenus()
{
    for (int corner = 0; corner < CornerCount; ++corner) {
        CornerMenus[corner] = CreatePopupMenu();
        for (UINT action = 0; action < 3; ++action) {
            TextBuffer text;
            if (LoadLibraryText(CornerItemText[action], text))
                AppendMenuA(CornerMenus[corner], MF_STRING, CornerMenuBase[corner] + action, text);
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
    for (int action = 0; action < 3; ++action)
        CornerMarks[action] =
            LoadBitmapA(ScrLibraryInstance, MAKEINTRESOURCEA(CornerMarkBitmap[action]));
    SIZE picture = BitmapSize(MonitorPicture);
    // The picture and its mask lie side by side; the control shows one half.
    PictureSize = {picture.cx / 2, picture.cy};
    MarkSize = BitmapSize(CornerMarks[0]);
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

void FreeResources()
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

void ReportClassFailure(const char *trace, const char *text, const char *caption)
{
    ScrTrace(trace);
    ScrDebugMessageBox(nullptr, text, caption);
}

// Both classes are global so that dialog templates of any module in the
// process can name them; the null brush leaves the parent's drawing in
// place under the control.
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

void ScrEnsureStarted()
{
    if (LibraryStarted || LoadedAsLibrary || ScrLibraryInstance)
        return;
    ScrLibraryInstance = GetModuleHandleA(nullptr);
    ScrLibraryStartup();
}

BOOL WINAPI ScrLibraryEntry(HINSTANCE instance, DWORD reason, LPVOID)
{
    LoadedAsLibrary = TRUE;
    switch (reason) {
    case DLL_PROCESS_ATTACH:
        ScrLibraryInstance = instance;
        return ScrLibraryStartup();
    case DLL_PROCESS_DETACH:
        return ScrLibraryShutdown();
    }
    return FALSE;
}

BOOL ScrLibraryStartup()
{
    // Set first, so a start-up refused half-way still counts as started
    // and the shutdown frees whatever was made.
    LibraryStarted = TRUE;
    if (!InstallDirectoryAccepted())
        return FALSE;
    AgentPresent = FALSE;
    AgentWarningShown = FALSE;
    ScrDefaultPrefs();
    for (int corner = 0; corner < CornerCount; ++corner) {
        SetRect(&CornerSquares[corner], 0, 0, 0, 0);
        CornerMenus[corner] = nullptr;
    }
    CreateCornerMenus();
    LoadBitmaps();
    ReadGeometry();
    return ScrRegisterControls();
}

BOOL ScrLibraryShutdown()
{
    ScrTrace("Dusklit: closing process...");
    if (!LibraryStarted) {
        ScrTrace("nothing to close!");
        return TRUE;
    }
    FreeResources();
    LibraryStarted = FALSE;
    return ScrUnregisterControls();
}

void ScrStopIfStarted()
{
    if (LibraryStarted)
        ScrLibraryShutdown();
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
