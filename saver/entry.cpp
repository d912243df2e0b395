// The framework's front door: the three entries, the common run routine,
// and the run modes the command line selects.
#include <cstdint>

#include "config/config_dialog.h"
#include "dusklit.h"
#include "library/module.h"
#include "library/startup.h"
#include "resource_ids.h"
#include "saver/command_line.h"
#include "saver/debug_output.h"
#include "saver/def_saver_proc.h"
#include "saver/host_dpi_context.h"
#include "saver/message_origin.h"
#include "saver/password.h"
#include "saver/prefs.h"
#include "saver/previewer.h"
#include "saver/run_state.h"
#include "saver/saver_windows.h"
#include "saver/system_components.h"
#include "saver/thread_list.h"
#include "saver/window_kinds.h"

LONG RunningFlag = 0;
HINSTANCE ModuleInstance = nullptr;
RunHooks HookTable = {};
EntryArguments EntryArgs;
bool OwnAboutDialog = false;
ThreadHandleNode *ThreadHandleList = nullptr;
CRITICAL_SECTION ThreadListLock;
const char *(*CommandLineSource)() = [] { return static_cast<const char *>(GetCommandLineA()); };

// Taken while the program's image is set up, before WinMain: under /s the
// system started the program as the desktop's lock, and whatever the
// program does first (brix.scr's demo, for as long as nobody stops it)
// counts against the password delay. The tick count is this process's own
// clock; no setting of the system's date and time moves it.
const DWORD ProgramStartTick = GetTickCount();

namespace {

constexpr DWORD ThreadWaitMs = 10000;

const RunHooks OwnClassHooks = {OwnClassCreatePreview, OwnClassCreateSaver, OwnClassExecuteUserDialog,
                                OwnClassExecuteAboutDialog, OwnClassChangePassword};
const RunHooks CallbackHooks = {CallbackCreatePreview, CallbackCreateSaver, CallbackExecuteUserDialog,
                                CallbackExecuteAboutDialog, CallbackChangePassword};
const RunHooks HostHooks = {HostCreatePreview, HostCreateSaver, HostExecuteUserDialog,
                            HostExecuteAboutDialog, HostChangePassword};

// The own-class entry's window procedure: the saver's own, behind a guard.
// A creation or destruction that another thread or program sends is no
// event in the window's life, and the saver never hears of it. A window
// whose only WM_DESTROY was refused so, and that then ends all the same,
// hands the saver its WM_DESTROY before WM_NCDESTROY.
LRESULT CALLBACK GuardedSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (IsForgedLifeEvent(window, message, wParam, lParam))
        return 0;
    WNDPROC saverProc = EntryArgs.SaverProc ? EntryArgs.SaverProc : DefSaverProc;
    const bool endWithoutDestroy = message == WM_NCDESTROY && DestroyNoted(window, DestroyNote::Refused) &&
                                   !DestroyNoted(window, DestroyNote::Delivered);
    if (endWithoutDestroy || message == WM_DESTROY)
        NoteDestroy(window, DestroyNote::Delivered);
    if (endWithoutDestroy)
        CallWindowProcA(saverProc, window, WM_DESTROY, 0, 0);
    return CallWindowProcA(saverProc, window, message, wParam, lParam);
}

// Registration failing because the class exists already is harmless: a
// second entry call in the same process keeps the first registration.
void RegisterSaverClass(HINSTANCE instance, const char *name, WNDPROC procedure, int backgroundBrush)
{
    WNDCLASSEXA saverClass = {};
    saverClass.cbSize = sizeof saverClass;
    saverClass.style = CS_HREDRAW | CS_VREDRAW;
    saverClass.lpfnWndProc = procedure;
    saverClass.hInstance = instance;
    saverClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(backgroundBrush));
    saverClass.lpszClassName = name;
    RegisterClassExA(&saverClass);
}

// The number after a switch names a window only if it fits a handle.
HWND WindowFromNumber(std::int64_t number)
{
    std::intptr_t bits;
    if (!WindowHandleBits(number, bits))
        return nullptr;
    HWND window = reinterpret_cast<HWND>(bits);
    return IsWindow(window) ? window : nullptr;
}

// Runs the message loop of a saver or preview window until WM_QUIT and
// returns its code (2 when the loop cannot go on). With a window to keep,
// a WM_QUIT that comes while that window still exists ends nothing: any
// program can post one to this thread or to the window, and the saver
// window goes only through its own close, which asks for the password.
int RunMessageLoop(HWND keep = nullptr)
{
    MSG message;
    for (;;) {
        const BOOL result = GetMessageA(&message, nullptr, 0, 0);
        if (result == -1)
            return 2;
        if (result == 0) {
            if (keep && IsWindow(keep))
                continue;
            return static_cast<int>(message.wParam);
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

int RunSaver()
{
    HWND window = HookTable.CreateSaverWindow();
    if (!window)
        return 2;
    // The lock began when the program did.
    if (window == SaverRunState.fullWindow)
        SaverRunState.startTick = ProgramStartTick;
    UINT scratch = 0;
    SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, TRUE, &scratch, 0);
    int result = RunMessageLoop(window);
    SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, FALSE, &scratch, 0);
    return result;
}

int RunPreview(HWND parent)
{
    HWND window = nullptr;
    {
        HostDpiContext hostContext(parent);
        window = HookTable.CreatePreviewWindow(parent, FALSE);
    }
    if (!window)
        return 2;
    return RunMessageLoop();
}

int RunChangePassword(HWND parent)
{
    return static_cast<int>(HookTable.ChangePassword(parent));
}

int RunPreviewFromChoice(const CommandLineChoice &choice)
{
    if (HWND previewer = ScrLaunchPreviewer(choice.SwitchText))
        return RunPreview(previewer);
    if (choice.NothingAfterSwitch || !choice.HasNumber)
        return 2;
    HWND parent = WindowFromNumber(choice.Number);
    return parent ? RunPreview(parent) : 2;
}

int RunChangePasswordFromChoice(const CommandLineChoice &choice)
{
    HWND parent = choice.HasNumber ? WindowFromNumber(choice.Number) : nullptr;
    return RunChangePassword(parent ? parent : GetForegroundWindow());
}

int ScrParseCommandLine()
{
    const CommandLineChoice choice = ReadCommandLine(CommandLineSource());
    switch (choice.Mode) {
    case RunMode::Saver:
        return RunSaver();
    case RunMode::Preview:
        return RunPreviewFromChoice(choice);
    case RunMode::Configuration:
        return static_cast<int>(DoConfigDialog(choice.ForegroundParent ? GetForegroundWindow() : nullptr, FALSE));
    case RunMode::ChangePassword:
        return RunChangePasswordFromChoice(choice);
    case RunMode::None:
        break;
    }
    return 2;
}

void StartThreadList()
{
    ThreadHandleList = nullptr;
    if (!CurrentPrefs.NoTimers)
        ThreadListLockInit();
}

// The lock is kept when a timer thread outlived the final wait, because
// that thread may still take it.
void EndThreadList()
{
    if (!ThreadListWaitAndClear(ThreadWaitMs)) {
        ScrTrace("Not all threads have terminated!");
        ScrDebugMessageBox(nullptr, "Not all threads have terminated", "ThreadTimer error");
        return;
    }
    ThreadListLockDelete();
}

int ScrRun(HINSTANCE instance, const RunHooks &hooks)
{
    // Every mode's windows live on this thread; what other threads and
    // programs send them is told from this thread's own from here on.
    MessageOriginWatch watch;
    RunningFlag = 1;
    HookTable = hooks;
    ModuleInstance = instance;
    StartThreadList();
    int result = ScrParseCommandLine();
    RunningFlag = 0;
    if (!LoadedAsLibrary)
        ScrStopIfStarted();
    EndThreadList();
    return result;
}

// What every entry does first. False when an entry is already running:
// entries do not nest. Libraries loaded by name from here on are not
// looked for in the current directory.
bool EntryMayStart()
{
    DropCurrentDirectoryFromDllSearch();
    ScrEnsureStarted();
    return !RunningFlag;
}

} // namespace

int WINAPI ScrMain(HINSTANCE instance, WNDPROC saverProc, DLGPROC configDialogProc, ScrInitCallback initCallback,
                   LPARAM value)
{
    if (!EntryMayStart())
        return 2;
    OwnAboutDialog = FindResourceA(instance, MAKEINTRESOURCEA(IDD_SAVER_ABOUT), RT_DIALOG) != nullptr;
    EntryArgs = EntryArguments();
    EntryArgs.SaverProc = saverProc;
    EntryArgs.ConfigDialogProc = configDialogProc;
    EntryArgs.InitCallback = initCallback;
    EntryArgs.Value = value;
    if (initCallback)
        initCallback(instance);
    RegisterSaverClass(instance, "ZoScreenSaverClass", GuardedSaverProc, NULL_BRUSH);
    return ScrRun(instance, OwnClassHooks);
}

int WINAPI ScrMainCallback(HINSTANCE instance, ScrCreateWindowHook createWindowHook,
                           ScrPropertySheetHook propertySheetHook, ScrAboutHook aboutHook,
                           ScrChangePasswordHook changePasswordHook)
{
    if (!EntryMayStart())
        return 2;
    OwnAboutDialog = false;
    EntryArgs = EntryArguments();
    EntryArgs.CreateWindowHook = createWindowHook;
    EntryArgs.PropertySheetHook = propertySheetHook;
    EntryArgs.AboutHook = aboutHook;
    EntryArgs.ChangePasswordHook = changePasswordHook;
    RegisterSaverClass(instance, "DummyScreenSaverClass", DefSaverProc, NULL_BRUSH);
    return ScrRun(instance, CallbackHooks);
}

int WINAPI ScrMainHost(HINSTANCE instance, HWND hostWindow)
{
    if (!EntryMayStart())
        return 2;
    OwnAboutDialog = false;
    EntryArgs = EntryArguments();
    EntryArgs.HostWindow = hostWindow;
    RegisterSaverClass(instance, "DummyScreenSaverClass", DefSaverProc, GRAY_BRUSH);
    return ScrRun(instance, HostHooks);
}

void WINAPI ScrSecureDllSearch()
{
    DropCurrentDirectoryFromDllSearch();
}

BOOL WINAPI ScrSaverModeRequested()
{
    return ReadCommandLine(CommandLineSource()).Mode == RunMode::Saver ? TRUE : FALSE;
}
