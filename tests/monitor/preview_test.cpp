// CreatePreview on real windows: which targets take a preview and where it
// lands, and how a preview inside a dialog's monitor control ends with the
// dialog. The previews are windows of the own-class entry, made by its
// creator as a run would install it, with a saver procedure that counts
// its ticks and notes what it sees when it is destroyed.
#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <vector>

#include "dusklit.h"
#include "library/library.h"
#include "monitor/monitor_resources.h"
#include "saver/host_dpi_context.h"
#include "saver/run_state.h"
#include "saver/saver_windows.h"
#include "saver/timer.h"
#include "tests/support/boxes_shown.h"
#include "tests/support/message_pump.h"
#include "tests/support/process_windows.h"
#include "tests/support/thread_awareness.h"

namespace {

constexpr DWORD ChildVisible = WS_CHILD | WS_VISIBLE;
constexpr int TickPeriodMs = 20;
constexpr DWORD WaitLimitMs = 20000; // a generous limit for the emulated platform

// What the test saver saw, per preview window.
struct PreviewRecord {
    HWND window = nullptr;
    LONG mode = -1;               // from its creation record
    int ticks = 0;
    bool destroyed = false;
    bool timerGoneAtDestroy = false; // its timer was stopped before its own WM_DESTROY
};
std::vector<PreviewRecord> Previews;

PreviewRecord *RecordOf(HWND window)
{
    for (auto &record : Previews)
        if (record.window == window)
            return &record;
    return nullptr;
}

LRESULT CALLBACK CountingSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE: {
        PreviewRecord record;
        record.window = window;
        auto *create = reinterpret_cast<CREATESTRUCTA *>(lParam);
        if (auto *params = static_cast<SaverCreateParams *>(create->lpCreateParams))
            record.mode = params->mode;
        Previews.push_back(record);
        break;
    }
    case SCRM_TIMER:
        if (PreviewRecord *record = RecordOf(window))
            ++record->ticks;
        return TickPeriodMs;
    case WM_DESTROY:
        if (PreviewRecord *record = RecordOf(window)) {
            record->destroyed = true;
            record->timerGoneAtDestroy = GetTimerProp(window) == nullptr;
        }
        break;
    }
    return DefSaverProc(window, message, wParam, lParam);
}

const char PaneClass[] = "PreviewTestPane";
// Differs from the monitor control's class only in case.
const char LookAlikeClass[] = "dusklitMonitorClass";

HWND Parent = nullptr;

// Installs the own-class creators as ScrMain's run would, with the test
// saver as the procedure of "ZoScreenSaverClass".
class PreviewEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        ScrEnsureStarted();
        ASSERT_TRUE(LibraryStarted);
        HINSTANCE instance = GetModuleHandleA(nullptr);
        ModuleInstance = instance;
        HookTable.CreatePreviewWindow = OwnClassCreatePreview;
        HookTable.CreateSaverWindow = OwnClassCreateSaver;

        WNDCLASSA saverClass = {};
        saverClass.lpfnWndProc = CountingSaverProc;
        saverClass.hInstance = instance;
        saverClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
        saverClass.lpszClassName = "ZoScreenSaverClass";
        ASSERT_NE(0, RegisterClassA(&saverClass));

        WNDCLASSA pane = {};
        pane.lpfnWndProc = DefWindowProcA;
        pane.hInstance = instance;
        pane.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
        pane.lpszClassName = PaneClass;
        ASSERT_NE(0, RegisterClassA(&pane));

        Parent = CreateWindowExA(0, PaneClass, "Preview tests", WS_POPUP | WS_VISIBLE, 20, 20, 600, 400,
                                 nullptr, nullptr, instance, nullptr);
        ASSERT_NE(nullptr, Parent);
    }

    void TearDown() override { DestroyWindow(Parent); }
};

::testing::Environment *const Registered = ::testing::AddGlobalTestEnvironment(new PreviewEnvironment);

int ChildCount(HWND window)
{
    int count = 0;
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        ++count;
    return count;
}

HWND MakeMonitor(HWND parent, DWORD style, int id = 2100)
{
    return CreateWindowExA(0, DUSKLIT_MONITOR_CLASS, "", style, 10, 10, 184, 170, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
}

// Pumps until the preview has been ticked `count` times (or the limit).
bool WaitForTicks(HWND preview, int count)
{
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < WaitLimitMs) {
        Drain();
        const PreviewRecord *record = RecordOf(preview);
        if (record && record->ticks >= count)
            return true;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    }
    return false;
}

// The newest timer thread of the process: the preview's, once it ticks.
HANDLE NewestTimerThread()
{
    EnterCriticalSection(&ThreadListLock);
    HANDLE thread = ThreadHandleList ? ThreadHandleList->Thread : nullptr;
    LeaveCriticalSection(&ThreadListLock);
    return thread;
}

TEST(PreviewTargets, MonitorsOfOtherTypesTakeNoPreview)
{
    struct {
        DWORD type;
        const char *what;
    } cases[] = {
        {MS_CORNERS, "MS_CORNERS"},
        {MS_NOTHING, "MS_NOTHING"},
        {MS_CORNERS | MS_CBOTRIGHTNEV, "MS_CORNERS with a corner set"},
        {0x3, "the unnamed type 3"},
    };
    const size_t previewsBefore = Previews.size();
    for (const auto &c : cases) {
        HWND monitor = MakeMonitor(Parent, ChildVisible | c.type);
        ASSERT_NE(nullptr, monitor) << c.what;
        EXPECT_EQ(nullptr, CreatePreview(monitor)) << c.what;
        EXPECT_EQ(0, ChildCount(monitor)) << c.what;
        DestroyWindow(monitor);
    }
    // Made MS_PREVIEW only after creation: no screen window to put it in.
    HWND late = MakeMonitor(Parent, ChildVisible | MS_NOTHING);
    SetWindowLongA(late, GWL_STYLE, static_cast<LONG>(ChildVisible | MS_PREVIEW));
    EXPECT_EQ(nullptr, CreatePreview(late));
    EXPECT_EQ(0, ChildCount(late));
    DestroyWindow(late);

    EXPECT_EQ(nullptr, CreatePreview(nullptr));
    EXPECT_EQ(previewsBefore, Previews.size()) << "the creator was never called";
    EXPECT_FALSE(Drain().quit);
}

TEST(PreviewTargets, DebugModeNamesTheProgrammingErrors)
{
    ScrPrefs *prefs = ScrGetPrefs();
    prefs->Debug = 1;
    ScrSetPrefs(prefs);
    BoxesShown boxes;
    HWND corners = MakeMonitor(Parent, ChildVisible | MS_CORNERS);
    EXPECT_EQ(nullptr, CreatePreview(corners));
    HWND late = MakeMonitor(Parent, ChildVisible | MS_NOTHING);
    SetWindowLongA(late, GWL_STYLE, static_cast<LONG>(ChildVisible | MS_PREVIEW));
    EXPECT_EQ(nullptr, CreatePreview(late));
    const ShownBoxes expected = {
        {"Programming error", "CreatePreview: Cannot, because monitor has wrong style! Give it the MS_PREVIEW style."},
        {"Internal error", "CreatePreview: No monitor-window window could be found."},
    };
    EXPECT_EQ(expected, boxes.List());
    DestroyWindow(corners);
    DestroyWindow(late);
    prefs = ScrGetPrefs();
    prefs->Debug = 0;
    ScrSetPrefs(prefs);
}

TEST(PreviewTargets, PreviewMonitorTakesItInsideItsScreen)
{
    HWND monitor = MakeMonitor(Parent, ChildVisible | MS_PREVIEW);
    ASSERT_NE(nullptr, monitor);
    HWND screen = GetWindow(monitor, GW_CHILD);
    ASSERT_NE(nullptr, screen);

    HWND preview = CreatePreview(monitor);
    ASSERT_NE(nullptr, preview);
    EXPECT_EQ(screen, GetParent(preview)) << "inside the screen, not over the whole picture";
    EXPECT_EQ(DUSKLIT_MONITOR_WINDOW_CLASS, ClassOf(screen));
    EXPECT_EQ("Monitor window", WindowText(screen));
    EXPECT_EQ(preview, GetWindow(screen, GW_CHILD));
    EXPECT_EQ(1, ChildCount(monitor));
    EXPECT_EQ("ZoScreenSaverClass", ClassOf(preview));
    EXPECT_EQ("SaverPreview", WindowText(preview));
    EXPECT_EQ(ChildVisible, static_cast<DWORD>(GetWindowLongA(preview, GWL_STYLE)) & 0xFFFF0000u);

    RECT previewRect, screenRect;
    GetWindowRect(preview, &previewRect);
    GetWindowRect(screen, &screenRect);
    EXPECT_EQ(153, previewRect.right - previewRect.left);
    EXPECT_EQ(113, previewRect.bottom - previewRect.top);
    EXPECT_EQ(screenRect.left, previewRect.left);
    EXPECT_EQ(screenRect.top, previewRect.top);

    const PreviewRecord *record = RecordOf(preview);
    ASSERT_NE(nullptr, record);
    EXPECT_EQ(1, record->mode);
    EXPECT_TRUE(WaitForTicks(preview, 2)) << "a live preview is ticked";

    DestroyWindow(monitor);
    EXPECT_FALSE(Drain().quit);
    EXPECT_FALSE(IsWindow(preview));
}

// Made in the screen window's DPI awareness, as the callback entry's hook
// sees (a window procedure runs in its window's own); then the thread has
// its own back.
int AwarenessAtCreation = -1;
HWND CALLBACK NotingCreateHook(int, CREATESTRUCTA *create)
{
    AwarenessAtCreation = ThreadDpiAwareness();
    delete static_cast<SaverCreateParams *>(create->lpCreateParams);
    return nullptr;
}

TEST(PreviewTargets, PreviewIsMadeInItsHostsDpiAwareness)
{
    HookTable.CreatePreviewWindow = CallbackCreatePreview;
    EntryArgs.CreateWindowHook = NotingCreateHook;
    const int own = ThreadDpiAwareness();
    HWND monitor = MakeMonitor(Parent, ChildVisible | MS_PREVIEW);
    for (int said : {1, 0}) { // system aware, unaware
        SaidHostAwareness = said ? DPI_AWARENESS_CONTEXT_SYSTEM_AWARE : DPI_AWARENESS_CONTEXT_UNAWARE;
        EXPECT_EQ(nullptr, CreatePreview(monitor));
        EXPECT_EQ(said, AwarenessAtCreation);
        EXPECT_EQ(own, ThreadDpiAwareness());
    }
    SaidHostAwareness = nullptr;
    DestroyWindow(monitor);
    HookTable.CreatePreviewWindow = OwnClassCreatePreview;
    EntryArgs.CreateWindowHook = nullptr;
}

// A window of another class is the target itself; the preview covers its
// outer rectangle, border included. Such a preview ends the loop it runs
// in when it is destroyed, as a command-line preview does.
TEST(PreviewTargets, OtherWindowIsFilled)
{
    HWND pane = CreateWindowExA(0, PaneClass, "pane", ChildVisible | WS_BORDER, 200, 30, 120, 90, Parent, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(nullptr, pane);
    HWND preview = CreatePreview(pane);
    ASSERT_NE(nullptr, preview);
    EXPECT_EQ(pane, GetParent(preview));
    RECT rect;
    GetWindowRect(preview, &rect);
    EXPECT_EQ(120, rect.right - rect.left);
    EXPECT_EQ(90, rect.bottom - rect.top);
    POINT topLeft = {0, 0};
    MapWindowPoints(preview, pane, &topLeft, 1);
    EXPECT_EQ(0, topLeft.x);
    EXPECT_EQ(0, topLeft.y);
    ASSERT_NE(nullptr, RecordOf(preview));
    EXPECT_EQ(1, RecordOf(preview)->mode);

    DestroyWindow(pane);
    const PumpResult pumped = Drain();
    EXPECT_TRUE(pumped.quit);
    EXPECT_EQ(2, pumped.quitCode);
}

// Class names are atoms, which keep the spelling they were first made
// with; a class differing only in case shows its own spelling only while
// the monitor classes are not registered.
TEST(PreviewTargets, ClassNameMustMatchInCase)
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    ASSERT_TRUE(ScrUnregisterControls());
    WNDCLASSA lookAlike = {};
    lookAlike.lpfnWndProc = DefWindowProcA;
    lookAlike.hInstance = instance;
    lookAlike.lpszClassName = LookAlikeClass;
    ASSERT_NE(0, RegisterClassA(&lookAlike));
    // Looks like a preview monitor: the style, and a first child.
    HWND window = CreateWindowExA(0, LookAlikeClass, "", ChildVisible | MS_PREVIEW, 340, 30, 184, 170, Parent,
                                  nullptr, instance, nullptr);
    HWND inner = CreateWindowExA(0, PaneClass, "Monitor window", ChildVisible, 16, 17, 153, 113, window, nullptr,
                                 instance, nullptr);
    const std::string seen = ClassOf(window);
    HWND preview = CreatePreview(window);

    RECT rect = {};
    GetWindowRect(preview, &rect);
    const HWND previewParent = GetParent(preview);
    DestroyWindow(window);
    const bool quit = Drain().quit;
    UnregisterClassA(LookAlikeClass, instance);
    ASSERT_TRUE(ScrRegisterControls());

    ASSERT_NE(nullptr, inner);
    ASSERT_EQ(LookAlikeClass, seen);
    ASSERT_NE(nullptr, preview);
    EXPECT_EQ(window, previewParent) << "a look-alike is filled like any other window";
    EXPECT_EQ(184, rect.right - rect.left);
    EXPECT_EQ(170, rect.bottom - rect.top);
    EXPECT_TRUE(quit) << "a preview outside a monitor's screen ends its loop";
}

// A dialog template in memory: one monitor control of the preview type.
// The item follows the three empty words at offset 24, on the DWORD
// boundary items need.
struct alignas(4) MonitorDialogTemplate {
    DLGTEMPLATE dialog;
    WORD menu, windowClass, title;
    DLGITEMTEMPLATE item;
    WCHAR itemClass[20];
    WORD itemTitle, itemExtra;
};

static_assert(offsetof(MonitorDialogTemplate, item) == 24, "items start on a DWORD boundary");

constexpr int MonitorId = 2100;

INT_PTR CALLBACK PreviewDialogProc(HWND dialog, UINT message, WPARAM, LPARAM)
{
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrA(dialog, DWLP_USER,
                          reinterpret_cast<LONG_PTR>(CreatePreview(GetDlgItem(dialog, MonitorId))));
        return TRUE;
    }
    return FALSE;
}

TEST(PreviewLifetime, DialogDestructionStopsTheTimerFirstAndKeepsTheLoop)
{
    static MonitorDialogTemplate tpl = {};
    tpl.dialog.style = WS_POPUP | WS_VISIBLE | WS_CAPTION | DS_MODALFRAME;
    tpl.dialog.cdit = 1;
    tpl.dialog.cx = 160;
    tpl.dialog.cy = 130;
    tpl.item.style = ChildVisible | MS_PREVIEW;
    tpl.item.x = 20;
    tpl.item.y = 20;
    tpl.item.cx = 20;
    tpl.item.cy = 20;
    tpl.item.id = MonitorId;
    const char *name = DUSKLIT_MONITOR_CLASS;
    for (size_t i = 0; name[i]; ++i)
        tpl.itemClass[i] = static_cast<WCHAR>(name[i]);

    HWND dialog = CreateDialogIndirectParamA(GetModuleHandleA(nullptr), &tpl.dialog, nullptr, PreviewDialogProc, 0);
    ASSERT_NE(nullptr, dialog);
    HWND preview = reinterpret_cast<HWND>(GetWindowLongPtrA(dialog, DWLP_USER));
    ASSERT_NE(nullptr, preview);
    HWND screen = GetWindow(GetDlgItem(dialog, MonitorId), GW_CHILD);
    EXPECT_EQ(screen, GetParent(preview));

    ASSERT_TRUE(WaitForTicks(preview, 3));
    HANDLE timerThread = NewestTimerThread();
    ASSERT_NE(nullptr, timerThread);
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), WaitForSingleObject(timerThread, 0));

    DestroyWindow(dialog);
    const PreviewRecord *record = RecordOf(preview);
    ASSERT_NE(nullptr, record);
    EXPECT_TRUE(record->destroyed);
    EXPECT_TRUE(record->timerGoneAtDestroy) << "the screen window stops the timer before the preview goes";
    EXPECT_EQ(static_cast<DWORD>(WAIT_OBJECT_0), WaitForSingleObject(timerThread, WaitLimitMs));
    EXPECT_FALSE(Drain().quit) << "the dialog's loop goes on";
}

} // namespace
