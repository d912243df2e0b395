#include "tests/config/sheet_harness.h"

#include <commctrl.h>

#include <cstring>
#include <functional>

#include "config/config_dialog.h"
#include "config/general_dialog.h"
#include "library/library.h"
#include "saver/issued.h"
#include "saver/run_state.h"
#include "tests/config/test_saver_ids.h"

TestPageWindows TestPage;

namespace {

const char LoggingClass[] = "ConfigTestLoggingWindow";
// The class of a nested dialog that the host's relay must see through.
const char NestedDialogClass[] = "Dialog";

std::vector<ReceivedNotice> Log;

LRESULT CALLBACK LoggingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == SCRM_SETTINGSCHANGED) {
        // As a saver reads it: only a block the framework issued.
        const ScrGeneralSettings *block = ScrChangedSettings(wParam, lParam);
        ReceivedNotice notice = {window, wParam, block != nullptr, {}};
        if (block)
            notice.block = *block;
        Log.push_back(notice);
        return 1;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void RegisterTestClasses()
{
    static const bool registered = [] {
        WNDCLASSA logging = {};
        logging.lpfnWndProc = LoggingProc;
        logging.hInstance = GetModuleHandleA(nullptr);
        logging.lpszClassName = LoggingClass;
        WNDCLASSA nested = logging;
        nested.lpfnWndProc = DefWindowProcA;
        nested.lpszClassName = NestedDialogClass;
        return RegisterClassA(&logging) && RegisterClassA(&nested);
    }();
    (void)registered;
}

HWND MakeChild(const char *className, HWND parent)
{
    return CreateWindowExA(0, className, "", WS_CHILD | WS_VISIBLE, 0, 0, 40, 30, parent, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
}

void BuildPageWindows(HWND page)
{
    TestPage = TestPageWindows();
    TestPage.page = page;
    HWND screen = MakeLoggingWindow(GetDlgItem(page, IDC_TEST_PREVIEW_MONITOR));
    TestPage.preview = MakeLoggingWindow(screen);
    TestPage.emptyScreen = MakeLoggingWindow(GetDlgItem(page, IDC_TEST_EMPTY_MONITOR));
    HWND nestedDialog = MakeChild(NestedDialogClass, page);
    HWND nestedMonitor = MakeChild(DUSKLIT_MONITOR_CLASS, nestedDialog);
    TestPage.nestedPreview = MakeLoggingWindow(MakeChild("Static", nestedMonitor));
    TestPage.strayParent = MakeLoggingWindow(page);
    TestPage.strayChild = MakeLoggingWindow(TestPage.strayParent);
}

void ReportChange(HWND page, int applied, LONG tag)
{
    GeneralDialog settings;
    const ScrGeneralSettings block = ExpectedBlock(tag);
    std::memcpy(settings.corners, block.corners, sizeof settings.corners);
    settings.muteSound = block.muteSound;
    settings.mouseThreshold = block.mouseThreshold;
    settings.passwordDelay = block.passwordDelay;
    settings.allowActiveConfig = block.allowActiveConfig;
    settings.NotifyChanges(page, applied);
}

// The answering thread's request, while its command is under way.
const std::function<void()> *PendingWork = nullptr;
constexpr WORD RunWorkCommand = 0x7A01;

void OnSheetThread(HWND page, const std::function<void()> &work)
{
    PendingWork = &work;
    SendMessageA(page, WM_COMMAND, MAKEWPARAM(RunWorkCommand, 0), 0);
    PendingWork = nullptr;
}

BOOL OnNotify(HWND page, const NMHDR *header)
{
    if (header->code != static_cast<UINT>(PSN_APPLY))
        return FALSE;
    ReportChange(page, 1, TagApplied);
    SetWindowLongPtrA(page, DWLP_MSGRESULT, PSNRET_NOERROR);
    return TRUE;
}

} // namespace

std::vector<ReceivedNotice> &NoticeLog()
{
    return Log;
}

std::vector<ReceivedNotice> NoticesFor(HWND window)
{
    std::vector<ReceivedNotice> found;
    for (const ReceivedNotice &notice : Log)
        if (notice.window == window)
            found.push_back(notice);
    return found;
}

HWND MakeLoggingWindow(HWND parent)
{
    RegisterTestClasses();
    if (!parent)
        return CreateWindowExA(0, LoggingClass, "logging owner", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
    return MakeChild(LoggingClass, parent);
}

ScrGeneralSettings ExpectedBlock(LONG tag)
{
    ScrGeneralSettings block = {};
    block.size = sizeof block;
    block.corners[0] = SCR_CORNER_NOW;
    block.corners[1] = SCR_CORNER_NEVER;
    block.corners[2] = SCR_CORNER_DEFAULT;
    block.corners[3] = SCR_CORNER_NOW;
    block.muteSound = 1;
    block.mouseThreshold = 400;
    block.passwordDelay = tag;
    block.allowActiveConfig = 1;
    return block;
}

INT_PTR CALLBACK TestConfigDialogProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        BuildPageWindows(page);
        return TRUE;
    case WM_NOTIFY:
        return OnNotify(page, reinterpret_cast<const NMHDR *>(lParam));
    case WM_COMMAND:
        if (LOWORD(wParam) != RunWorkCommand || !PendingWork)
            return FALSE;
        (*PendingWork)();
        return TRUE;
    }
    return FALSE;
}

void SheetTest::SetUp()
{
    ScrEnsureStarted();
    SetPref(&ScrPrefs::NoAbout, 0);
    SetPref(&ScrPrefs::NoPreviewRelay, 0);
    ModuleInstance = GetModuleHandleA(nullptr);
    HookTable = RunHooks();
    HookTable.ExecuteUserDialog = OwnClassExecuteUserDialog;
    HookTable.ExecuteAboutDialog = OwnClassExecuteAboutDialog;
    EntryArgs = EntryArguments();
    OwnAboutDialog = false;
    Log.clear();
    TestPage = TestPageWindows();
    owner_ = MakeLoggingWindow(nullptr);
    ASSERT_NE(owner_, nullptr);
}

void SheetTest::TearDown()
{
    DestroyWindow(owner_);
    HookTable = RunHooks();
    EntryArgs = EntryArguments();
    SetPref(&ScrPrefs::NoAbout, 0);
    SetPref(&ScrPrefs::NoPreviewRelay, 0);
    SetPref(&ScrPrefs::Debug, 0);
}

INT_PTR SheetTest::RunSheet(HWND owner, BOOL notifyOwner, const Script &script)
{
    sheetSeen_ = false;
    DialogAnswerer answerer([&](DialogAnswerer &user) {
        HWND sheet = user.WaitForDialog(SheetCaption, IDOK);
        if (!sheet)
            return;
        sheetSeen_ = true;
        script(user, sheet);
    });
    return DoConfigDialog(owner, notifyOwner);
}

namespace {
ShownDialogs *ActiveWatch = nullptr;
}

ShownDialogs::ShownDialogs()
{
    ActiveWatch = this;
    hook_ = SetWindowsHookExA(WH_CALLWNDPROCRET, Watch, nullptr, GetCurrentThreadId());
}

ShownDialogs::~ShownDialogs()
{
    UnhookWindowsHookEx(hook_);
    ActiveWatch = nullptr;
}

LRESULT CALLBACK ShownDialogs::Watch(int code, WPARAM wParam, LPARAM lParam)
{
    const auto *sent = reinterpret_cast<const CWPRETSTRUCT *>(lParam);
    if (code == HC_ACTION && ActiveWatch && sent->message == WM_WINDOWPOSCHANGED &&
        (reinterpret_cast<const WINDOWPOS *>(sent->lParam)->flags & SWP_SHOWWINDOW) &&
        !(GetWindowLongA(sent->hwnd, GWL_STYLE) & WS_CHILD) && ClassOf(sent->hwnd) == "#32770")
        ActiveWatch->captions_.push_back(WindowText(sent->hwnd));
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

HWND SheetHost(HWND sheet)
{
    return GetParent(sheet);
}

int SheetPageCount(HWND sheet)
{
    HWND tabs = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETTABCONTROL, 0, 0));
    return tabs ? static_cast<int>(SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0)) : -1;
}

HWND SheetCurrentPage(HWND sheet)
{
    return reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
}

std::string MenuItemText(HMENU menu, UINT id)
{
    char text[64] = "";
    if (GetMenuStringA(menu, id, text, sizeof text, MF_BYCOMMAND) <= 0 && GetMenuState(menu, id, MF_BYCOMMAND) == ~0u)
        return "(none)";
    return text;
}

void RequestPageChange(HWND page, int applied, LONG tag)
{
    OnSheetThread(page, [=] { ReportChange(page, applied, tag); });
}

void RequestPreviewRelay(HWND page, LONG noPreviewRelay)
{
    OnSheetThread(page, [=] { SetPref(&ScrPrefs::NoPreviewRelay, noPreviewRelay); });
}

LRESULT SendNotice(HWND sheet, HWND noticeSheet, LONG code, LONG tag)
{
    LRESULT result = 0;
    OnSheetThread(TestPage.page, [&] {
        ScrGeneralSettings block = ExpectedBlock(tag);
        ScrChangeNotice notice = {noticeSheet, code, &block};
        IssuedScope issuedBlock(&block, Issued::SettingsBlock);
        IssuedScope issuedNotice(&notice, Issued::ChangeNotice);
        result = SendMessageA(SheetHost(sheet), SCRM_SETTINGSCHANGED, 0, reinterpret_cast<LPARAM>(&notice));
    });
    return result;
}
