// The property-sheet and About runners of the callback and host-window
// entries: a hook answering 9, or a host window answering 0, gets the
// framework's own sheet or About box; any other answer is the result and
// nothing is shown.
#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <vector>

#include "config/config_dialog.h"
#include "config/config_host.h"
#include "config/general_page.h"
#include "config/general_dialog.h"
#include "library/library.h"
#include "resource_ids.h"
#include "saver/run_state.h"
#include "tests/config/sheet_harness.h"
#include "tests/support/message_box_watch.h"
#include "tests/support/process_windows.h"
#include "tests/support/trace_capture.h"

namespace {

// What the sheet hook was handed.
struct SheetHookCall {
    int calls = 0;
    HWND host = nullptr;
    bool hostVisible = true;
    LONG notifyOwner = -1;
    PROPSHEETHEADERA header = {};
    PROPSHEETPAGEA_V1 firstPage = {};
    std::string caption;
    LONG passwordDelay = 0; // of the GeneralDialog behind the General page
};
SheetHookCall HookCall;
INT_PTR HookAnswer = SCR_NOT_HANDLED;

INT_PTR CALLBACK SheetHook(HWND configHost, PROPSHEETHEADERA *header, LONG notifyOwner)
{
    ++HookCall.calls;
    HookCall.host = configHost;
    HookCall.hostVisible = IsWindowVisible(configHost) != 0;
    HookCall.notifyOwner = notifyOwner;
    HookCall.header = *header;
    HookCall.firstPage = *reinterpret_cast<const PROPSHEETPAGEA_V1 *>(header->ppsp);
    HookCall.caption = header->pszCaption ? header->pszCaption : "";
    HookCall.passwordDelay = reinterpret_cast<const GeneralDialog *>(HookCall.firstPage.lParam)->passwordDelay;
    return HookAnswer;
}

int AboutHookCalls = 0;
HWND AboutHookOwner = nullptr;

INT_PTR CALLBACK AboutHook(HWND owner)
{
    ++AboutHookCalls;
    AboutHookOwner = owner;
    return HookAnswer;
}

// A host window of the host-window entry, answering every request with
// HostAnswer and noting what it was asked.
LRESULT HostAnswer = 0;
UINT HostMessage = 0;
WPARAM HostWParam = 0;
HWND HostWParamOwner = nullptr; // whose dialog wParam was, while it lived
LPARAM HostLParam = 0;
DWORD HostHeaderSize = 0;
// The records' first forms as the system's headers size them: 40 bytes in
// a 32-bit program, 72 in a 64-bit one.
const DWORD FirstHeaderSize = PROPSHEETHEADERA_V1_SIZE;
const DWORD FirstPageSize = PROPSHEETPAGEA_V1_SIZE;
static_assert(sizeof(void *) == 8 || sizeof(PROPSHEETPAGEA_V1) == 40, "40 bytes in a 32-bit program");

LRESULT CALLBACK HostWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == SCRHOST_PROPERTYSHEET || message == SCRHOST_ABOUT) {
        HostMessage = message;
        HostWParam = wParam;
        HostLParam = lParam;
        HostWParamOwner = GetParent(reinterpret_cast<HWND>(wParam));
        if (message == SCRHOST_PROPERTYSHEET)
            HostHeaderSize = reinterpret_cast<const PROPSHEETHEADERA *>(lParam)->dwSize;
        return HostAnswer;
    }
    return DefHostProc(window, message, wParam, lParam);
}

class Runners : public SheetTest {
protected:
    void SetUp() override
    {
        SheetTest::SetUp();
        HookCall = SheetHookCall();
        AboutHookCalls = 0;
        AboutHookOwner = nullptr;
        HostMessage = 0;
        HostWParam = 0;
        HostWParamOwner = nullptr;
        HostLParam = 0;
        HostHeaderSize = 0;
    }

    void UseCallbackEntry()
    {
        HookTable.ExecuteUserDialog = CallbackExecuteUserDialog;
        HookTable.ExecuteAboutDialog = CallbackExecuteAboutDialog;
        EntryArgs.PropertySheetHook = SheetHook;
        EntryArgs.AboutHook = AboutHook;
    }

    void UseHostEntry(HWND host)
    {
        HookTable.ExecuteUserDialog = HostExecuteUserDialog;
        HookTable.ExecuteAboutDialog = HostExecuteAboutDialog;
        EntryArgs.HostWindow = host;
    }

    // Runs the library's About box through runner while a second thread
    // answers it with OK; whether it was shown.
    bool AboutBoxShownBy(INT_PTR (*runner)(HWND), INT_PTR &result)
    {
        bool shown = false;
        DialogAnswerer answerer([&](DialogAnswerer &user) {
            HWND about = user.WaitForDialog("About Dusklit", IDC_ABOUT_GROUP);
            shown = about != nullptr;
            if (about)
                user.Press(about, IDOK);
        });
        result = runner(owner_);
        return shown;
    }
};

// The hook sees the header the host built, and its answer is the result.
TEST_F(Runners, SheetHookAnsweringZeroOrAValueShowsNothing)
{
    WriteDword(ScreenSaversKey, "Password Delay", 777);
    UseCallbackEntry();
    MessageBoxWatch safetyNet(IDCANCEL); // closes a sheet shown in error
    ShownDialogs shown;
    HookAnswer = 0;
    EXPECT_EQ(DoConfigDialog(owner_, TRUE), 0);
    HookAnswer = 5;
    EXPECT_EQ(DoConfigDialog(owner_, FALSE), 5);
    EXPECT_EQ(shown.Captions(), std::vector<std::string>()) << "not even the host, for a moment";
    EXPECT_EQ(HookCall.calls, 2);

    EXPECT_FALSE(HookCall.hostVisible);
    EXPECT_EQ(HookCall.notifyOwner, 0) << "of the second call";
    const PROPSHEETHEADERA &header = HookCall.header;
    EXPECT_EQ(header.dwSize, FirstHeaderSize);
    EXPECT_EQ(header.dwFlags, 0x18Au);
    EXPECT_EQ(header.hwndParent, HookCall.host);
    EXPECT_EQ(header.hInstance, ModuleInstance);
    EXPECT_NE(header.hIcon, nullptr);
    EXPECT_EQ(HookCall.caption, SheetCaption);
    EXPECT_EQ(header.nPages, 1u);
    EXPECT_EQ(header.nStartPage, 0u);
    EXPECT_EQ(header.pfnCallback, SheetCallback);
    const PROPSHEETPAGEA_V1 &page = HookCall.firstPage;
    EXPECT_EQ(page.dwSize, FirstPageSize);
    EXPECT_EQ(page.dwFlags, 0u);
    EXPECT_EQ(page.hInstance, ScrLibraryInstance);
    EXPECT_EQ(page.pszTemplate, MAKEINTRESOURCEA(IDD_GENERAL_PAGE));
    EXPECT_EQ(page.hIcon, nullptr);
    EXPECT_EQ(page.pszTitle, nullptr);
    EXPECT_EQ(page.pfnDlgProc, GeneralDlgProc);
    EXPECT_EQ(HookCall.passwordDelay, 777) << "the General page edits the stored settings";
}

// With debug output on, the steps of a configuration run are traced in
// order, the runner's call in between.
TEST_F(Runners, ConfigurationRunIsTraced)
{
    UseCallbackEntry();
    HookAnswer = 0;
    SetPref(&ScrPrefs::Debug, 1);
    std::vector<std::string> lines;
    {
        TraceCapture traces;
        DoConfigDialog(owner_, FALSE);
        lines = traces.Lines();
    }
    SetPref(&ScrPrefs::Debug, 0);
    const char *const steps[] = {"Dusklit: DoConfigDialog: starting...",
                                 "Dusklit: DoConfigDialog: about to ExecuteUserDialog",
                                 "Dusklit: DoConfigDialog: completed ExecuteUserDialog... cleaning up",
                                 "Dusklit: ~DoConfigDialog."};
    size_t next = 0;
    for (const std::string &line : lines)
        if (next < std::size(steps) && line.rfind(steps[next], 0) == 0)
            ++next;
    EXPECT_EQ(next, std::size(steps)) << "steps traced in order";
    EXPECT_EQ(HookCall.calls, 1);
}

TEST_F(Runners, SheetHookAnsweringNineGetsTheSheet)
{
    UseCallbackEntry();
    HookAnswer = SCR_NOT_HANDLED;
    RunSheet(owner_, TRUE, [](DialogAnswerer &user, HWND sheet) { user.Press(sheet, IDCANCEL); });
    EXPECT_TRUE(sheetSeen_);
    EXPECT_EQ(HookCall.calls, 1);
    EXPECT_EQ(HookCall.notifyOwner, 1);
}

TEST_F(Runners, HostWindowAnsweringNonzeroTakesTheSheet)
{
    HWND host = MakeHostWindow("ConfigTestHostWindow", HostWindowProc);
    UseHostEntry(host);
    MessageBoxWatch safetyNet(IDCANCEL);
    ShownDialogs shown;
    HostAnswer = 0x77;
    EXPECT_EQ(DoConfigDialog(owner_, FALSE), 1);
    EXPECT_EQ(shown.Captions(), std::vector<std::string>());
    EXPECT_EQ(HostMessage, static_cast<UINT>(SCRHOST_PROPERTYSHEET));
    EXPECT_EQ(HostWParamOwner, owner_) << "wParam: the hidden host dialog";
    EXPECT_NE(HostLParam, 0);
    EXPECT_EQ(HostHeaderSize, FirstHeaderSize);
    DestroyWindow(host);
}

TEST_F(Runners, HostWindowAnsweringZeroGetsTheSheet)
{
    HWND host = MakeHostWindow("ConfigTestHostWindow", HostWindowProc);
    UseHostEntry(host);
    HostAnswer = 0;
    INT_PTR result = RunSheet(owner_, FALSE, [](DialogAnswerer &user, HWND sheet) { user.Press(sheet, IDOK); });
    EXPECT_TRUE(sheetSeen_);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(HostMessage, static_cast<UINT>(SCRHOST_PROPERTYSHEET));
    DestroyWindow(host);
}

TEST_F(Runners, AboutHookAndHostWindow)
{
    UseCallbackEntry();
    INT_PTR result = -1;
    {
        MessageBoxWatch safetyNet(IDCANCEL);
        ShownDialogs shown;
        HookAnswer = 0;
        EXPECT_EQ(CallbackExecuteAboutDialog(owner_), 0);
        HookAnswer = 7;
        EXPECT_EQ(CallbackExecuteAboutDialog(owner_), 7);
        EXPECT_EQ(shown.Captions(), std::vector<std::string>());
    }
    EXPECT_EQ(AboutHookOwner, owner_);
    HookAnswer = SCR_NOT_HANDLED;
    EXPECT_TRUE(AboutBoxShownBy(CallbackExecuteAboutDialog, result));
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(AboutHookCalls, 3);

    HWND host = MakeHostWindow("ConfigTestHostWindow", HostWindowProc);
    UseHostEntry(host);
    {
        MessageBoxWatch safetyNet(IDCANCEL);
        ShownDialogs shown;
        HostAnswer = 3;
        EXPECT_EQ(HostExecuteAboutDialog(owner_), 1);
        EXPECT_EQ(shown.Captions(), std::vector<std::string>());
    }
    EXPECT_EQ(HostMessage, static_cast<UINT>(SCRHOST_ABOUT));
    EXPECT_EQ(HostWParam, reinterpret_cast<WPARAM>(owner_));
    EXPECT_EQ(HostLParam, 0);
    HostAnswer = 0;
    EXPECT_TRUE(AboutBoxShownBy(HostExecuteAboutDialog, result));
    EXPECT_EQ(result, IDOK);
    DestroyWindow(host);
}

} // namespace
