// What the configuration-sheet tests share: windows that log the change
// notices they receive, the test saver's own page (template 2003) with the
// monitor controls and previews the host relays to, and a fixture that
// sets the run state up the way an entry would and runs the sheet with an
// answering thread.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "dusklit.h"
#include "tests/support/dialog_answerer.h"
#include "tests/support/prefs.h"
#include "tests/support/process_windows.h"
#include "tests/support/registry_scope.h"
#include "tests/config/test_saver_ids.h"

// The test saver names its sheet (in UTF-8, the programs' code page).
constexpr const char *SheetCaption = TEST_SAVER_SHEET_CAPTION;

// One SCRM_SETTINGSCHANGED as a receiver saw it, the data copied during
// the send (it lives only that long); hadData: ScrChangedSettings gave
// the block.
struct ReceivedNotice {
    HWND window;
    WPARAM code;
    bool hadData;
    ScrGeneralSettings block;
};

// Every notice received by any logging window, in order.
std::vector<ReceivedNotice> &NoticeLog();
// The notices that window received.
std::vector<ReceivedNotice> NoticesFor(HWND window);

// A window that logs the notices it receives: a hidden top-level window
// when parent is null, else a child.
HWND MakeLoggingWindow(HWND parent);

// The windows of the test saver's page, made when the page initialises:
// a preview inside a monitor control of the template; a screen window
// without a preview inside another; a preview inside a monitor control
// inside a window of class "Dialog"; and a window with a child that
// looks like a preview but sits in no monitor control.
struct TestPageWindows {
    HWND page = nullptr;
    HWND preview = nullptr;
    HWND emptyScreen = nullptr;
    HWND nestedPreview = nullptr;
    HWND strayParent = nullptr;
    HWND strayChild = nullptr;
};
extern TestPageWindows TestPage;

// The ConfigDialogProc of the test saver. On OK (PSN_APPLY) it reports an
// applied change with tag TagApplied. It runs the answering thread's
// requests on the sheet's own thread, where a page's changes start (the
// configuration takes requests with arguments from no other thread):
INT_PTR CALLBACK TestConfigDialogProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
constexpr LONG TagApplied = 9002;
// Reports a change through GeneralDialog::NotifyChanges, with
// passwordDelay = tag, live or applied.
void RequestPageChange(HWND page, int applied, LONG tag);
// Sets the NoPreviewRelay preference.
void RequestPreviewRelay(HWND page, LONG noPreviewRelay);

// The block a test page change carries, for a tag.
ScrGeneralSettings ExpectedBlock(LONG tag);

// The run state of an own-class entry for this executable (its own module
// carries the templates), with every preference at its default; the
// library started; an empty log; and a hidden logging window to own the
// sheet.
class SheetTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    using Script = std::function<void(DialogAnswerer &user, HWND sheet)>;
    // DoConfigDialog(owner, notifyOwner) while a second thread waits for
    // the sheet and runs the script on it. The script should end the sheet;
    // whatever stays open is cancelled. sheetSeen tells whether it opened.
    INT_PTR RunSheet(HWND owner, BOOL notifyOwner, const Script &script);

    HWND owner_ = nullptr;
    bool sheetSeen_ = false;
    SavedKey settings_{ScreenSaversKey};
};

// Captions of the top-level dialogs of this thread that were shown while
// it lived, in order, as a hook on the thread's messages sees them: a
// dialog shown only for a moment counts too.
class ShownDialogs {
public:
    ShownDialogs();
    ~ShownDialogs();
    ShownDialogs(const ShownDialogs &) = delete;
    ShownDialogs &operator=(const ShownDialogs &) = delete;

    const std::vector<std::string> &Captions() const { return captions_; }

private:
    static LRESULT CALLBACK Watch(int code, WPARAM wParam, LPARAM lParam);
    HHOOK hook_;
    std::vector<std::string> captions_;
};

// Read on the answering thread while the sheet is open.
HWND SheetHost(HWND sheet);
int SheetPageCount(HWND sheet);
HWND SheetCurrentPage(HWND sheet);
// The text of the item with that command id in menu, or "(none)".
std::string MenuItemText(HMENU menu, UINT id);
// Sends the host a notice as a page would (from the test page, on the
// sheet's thread), with a block tagged tag.
LRESULT SendNotice(HWND sheet, HWND noticeSheet, LONG code, LONG tag);
