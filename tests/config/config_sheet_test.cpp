// The configuration sheet as DoConfigDialog opens it: the hidden host, the
// pages, the relay of change notices to the owner and to previews inside
// monitor controls, and "&About" in the sheet's system menu. Every sheet is
// the real property sheet, answered by a second thread.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstring>

#include "config/config_dialog.h"
#include "config/config_host.h"
#include "resource_ids.h"
#include "saver/run_state.h"
#include "tests/config/sheet_harness.h"
#include "tests/config/test_saver_ids.h"
#include "tests/support/layout_check.h"
#include "tests/support/message_box_watch.h"
#include "tests/support/trace_capture.h"

namespace {

constexpr LONG TagLive = 7001;
constexpr WPARAM LiveCode = 0xD001;
constexpr WPARAM AppliedCode = 0xE001;
// The sheet's Apply button.
constexpr int ApplyButtonId = 0x3021;

void ExpectOneNotice(HWND window, WPARAM code, LONG tag, const char *who)
{
    std::vector<ReceivedNotice> got = NoticesFor(window);
    ASSERT_EQ(got.size(), 1u) << who;
    EXPECT_EQ(got[0].code, code) << who;
    ASSERT_TRUE(got[0].hadData) << who;
    const ScrGeneralSettings expected = ExpectedBlock(tag);
    EXPECT_EQ(std::memcmp(&got[0].block, &expected, sizeof expected), 0) << who;
}

// Which notices (by their tag) a window received, in order.
std::vector<LONG> TagsFor(HWND window)
{
    std::vector<LONG> tags;
    for (const ReceivedNotice &notice : NoticesFor(window))
        tags.push_back(notice.hadData ? notice.block.passwordDelay : -1);
    return tags;
}

class ConfigSheet : public SheetTest {};

// From the command line: the saver's page first, previews hear of a change,
// the owner does not.
TEST_F(ConfigSheet, CommandLineConfigurationRelaysOnlyToPreviews)
{
    EntryArgs.ConfigDialogProc = TestConfigDialogProc;
    struct {
        std::string hostClass, hostCaption, hostChild;
        bool hostVisible = true;
        HICON hostIcon = nullptr, sheetIcon = nullptr;
        int pages = 0;
        bool onSaverPage = false, okHidden = false, okDisabled = false, cancelHidden = false,
             cancelDisabled = false, applyShown = true, sheetOkShown = false;
        std::string caption;
        std::wstring label, sheetCaption;
    } seen;
    ShownDialogs shown;
    INT_PTR result = RunSheet(owner_, FALSE, [&](DialogAnswerer &user, HWND sheet) {
        HWND host = SheetHost(sheet);
        seen.hostClass = ClassOf(host);
        seen.hostCaption = WindowText(host);
        seen.hostChild = WindowText(GetDlgItem(host, IDC_HOST_CHILD));
        seen.hostVisible = IsWindowVisible(host) != 0;
        seen.hostIcon = reinterpret_cast<HICON>(SendMessageA(host, WM_GETICON, ICON_BIG, 0));
        seen.sheetIcon = reinterpret_cast<HICON>(SendMessageA(sheet, WM_GETICON, ICON_SMALL, 0));
        seen.pages = SheetPageCount(sheet);
        HWND page = SheetCurrentPage(sheet);
        seen.onSaverPage = page && page == TestPage.page;
        seen.okHidden = !IsWindowVisible(GetDlgItem(page, IDOK));
        seen.okDisabled = !IsWindowEnabled(GetDlgItem(page, IDOK));
        seen.cancelHidden = !IsWindowVisible(GetDlgItem(page, IDCANCEL));
        seen.cancelDisabled = !IsWindowEnabled(GetDlgItem(page, IDCANCEL));
        seen.applyShown = IsWindowVisible(GetDlgItem(sheet, ApplyButtonId)) != 0;
        seen.sheetOkShown = IsWindowVisible(GetDlgItem(sheet, IDOK)) && IsWindowVisible(GetDlgItem(sheet, IDCANCEL));
        seen.caption = WindowText(page);
        wchar_t text[64] = L"";
        GetWindowTextW(GetDlgItem(page, IDC_TEST_LABEL), text, 64);
        seen.label = text;
        GetWindowTextW(sheet, text, 64);
        seen.sheetCaption = text;
        RequestPageChange(page, 0, TagLive);
        user.Press(sheet, IDCANCEL);
    });
    ASSERT_TRUE(sheetSeen_);
    EXPECT_EQ(result, 0) << "Cancel";

    EXPECT_EQ(seen.hostClass, "#32770");
    EXPECT_EQ(seen.hostCaption, "Only used to call main dialog - never displayed");
    EXPECT_EQ(seen.hostChild, "ctrlchild");
    EXPECT_FALSE(seen.hostVisible);
    EXPECT_EQ(shown.Captions(), std::vector<std::string>{SheetCaption}) << "the host is never shown";
    // The saver's icon 100 comes before the library's 199.
    EXPECT_EQ(seen.hostIcon, LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_SAVER)));
    EXPECT_NE(seen.sheetIcon, nullptr);

    EXPECT_EQ(seen.pages, 2);
    EXPECT_TRUE(seen.onSaverPage);
    // UTF-8 is the code page under the programs' manifest, and the sheet's
    // and page's Cyrillic and CJK reach the screen whole.
    EXPECT_EQ(GetACP(), UINT(CP_UTF8));
    EXPECT_EQ(seen.caption, TEST_SAVER_PAGE_CAPTION);
    EXPECT_EQ(seen.label, L"Настройки заставки 設定");
    EXPECT_EQ(seen.sheetCaption, L"Свойства заставки 屏幕保護") << "the saver's own, through the ANSI calls";
    EXPECT_TRUE(seen.okHidden && seen.okDisabled);
    EXPECT_TRUE(seen.cancelHidden && seen.cancelDisabled);
    EXPECT_FALSE(seen.applyShown);
    EXPECT_TRUE(seen.sheetOkShown);

    EXPECT_TRUE(NoticesFor(owner_).empty());
    ExpectOneNotice(TestPage.preview, LiveCode, TagLive, "preview in a monitor control");
    // Seen through the nested dialog once, not once per level.
    ExpectOneNotice(TestPage.nestedPreview, LiveCode, TagLive, "preview inside a nested dialog");
    EXPECT_TRUE(NoticesFor(TestPage.emptyScreen).empty()) << "a screen window is no preview";
    EXPECT_TRUE(NoticesFor(TestPage.strayParent).empty());
    EXPECT_TRUE(NoticesFor(TestPage.strayChild).empty()) << "not inside a monitor control";
}

// Over a running saver: the owner hears each change and the apply.
TEST_F(ConfigSheet, ActiveConfigurationRelaysChangesAndOkToTheOwner)
{
    EntryArgs.ConfigDialogProc = TestConfigDialogProc;
    INT_PTR result = RunSheet(owner_, TRUE, [&](DialogAnswerer &user, HWND sheet) {
        RequestPageChange(SheetCurrentPage(sheet), 0, TagLive);
        user.Press(sheet, IDOK);
    });
    ASSERT_TRUE(sheetSeen_);
    EXPECT_EQ(result, 1) << "OK";

    std::vector<ReceivedNotice> owner = NoticesFor(owner_);
    ASSERT_EQ(owner.size(), 2u);
    EXPECT_EQ(owner[0].code, LiveCode);
    EXPECT_EQ(owner[0].block.passwordDelay, TagLive);
    EXPECT_EQ(owner[1].code, AppliedCode);
    const ScrGeneralSettings applied = ExpectedBlock(TagApplied);
    EXPECT_EQ(std::memcmp(&owner[1].block, &applied, sizeof applied), 0);
    EXPECT_EQ(TagsFor(TestPage.preview), (std::vector<LONG>{TagLive, TagApplied}));
    EXPECT_EQ(TagsFor(TestPage.nestedPreview), (std::vector<LONG>{TagLive, TagApplied}));
    // The owner hears first.
    ASSERT_GE(NoticeLog().size(), 1u);
    EXPECT_EQ(NoticeLog()[0].window, owner_);
}

// The route bits of a notice, the NoPreviewRelay preference, and notices
// that name no sheet, another process's window (the desktop, above every
// window of the sheet), or are no notice at all.
TEST_F(ConfigSheet, RouteBitsChooseWhoHears)
{
    EntryArgs.ConfigDialogProc = TestConfigDialogProc;
    RunSheet(owner_, TRUE, [&](DialogAnswerer &user, HWND sheet) {
        HWND page = SheetCurrentPage(sheet);
        SendNotice(sheet, sheet, SCRCHANGE_GENERAL, 1);                        // neither bit: both
        SendNotice(sheet, sheet, SCRCHANGE_TOOWNER | SCRCHANGE_GENERAL, 2);    // owner only
        SendNotice(sheet, sheet, SCRCHANGE_TOPREVIEWS | SCRCHANGE_GENERAL, 3); // previews only
        SendNotice(sheet, nullptr, SCRCHANGE_GENERAL, 4);                      // no sheet to walk
        SendNotice(sheet, GetDesktopWindow(), SCRCHANGE_GENERAL, 5);           // another process's window
        SendMessageA(SheetHost(sheet), SCRM_SETTINGSCHANGED, 0, 0);
        RequestPreviewRelay(page, 1);
        SendNotice(sheet, sheet, SCRCHANGE_GENERAL, 6); // previews switched off
        RequestPreviewRelay(page, 0);
        user.Press(sheet, IDCANCEL);
    });
    ASSERT_TRUE(sheetSeen_);
    EXPECT_EQ(TagsFor(owner_), (std::vector<LONG>{1, 2, 4, 5, 6}));
    EXPECT_EQ(TagsFor(TestPage.preview), (std::vector<LONG>{1, 3}));
    EXPECT_EQ(TagsFor(TestPage.nestedPreview), (std::vector<LONG>{1, 3}));
    ASSERT_FALSE(NoticesFor(owner_).empty());
    EXPECT_EQ(NoticesFor(owner_)[0].code, static_cast<WPARAM>(SCRCHANGE_GENERAL));
}

// What another thread (for these windows, the same as another program)
// can send and post the host, the sheet and its pages, and write into
// their slots: pointers the framework did not issue, or that the system
// did not hand over, are not read; WM_INITDIALOG comes once; the sheet's
// own procedure and the settings are taken from the slots only as issued.
// The sheet stays up and works, and the owner hears only real changes.
TEST_F(ConfigSheet, ForeignMessagesAndSlotsNeitherCrashNorFoolTheSheet)
{
    EntryArgs.ConfigDialogProc = TestConfigDialogProc;
    const auto bogus = static_cast<LPARAM>(0xFFFF0010u); // no process can read it
    struct {
        bool sheetUp = false;
        std::string caption;
        HWND preview = nullptr;
        LRESULT range = 0;
        LRESULT rangeAfter = 0;
    } seen;
    RunSheet(owner_, TRUE, [&](DialogAnswerer &user, HWND sheet) {
        HWND host = SheetHost(sheet);
        SendMessageA(sheet, PSM_SETCURSEL, 0, 0); // the General page, made when first shown
        HWND general = SheetCurrentPage(sheet);
        HWND saverPage = TestPage.page; // PSM_INDEXTOHWND takes its index from this thread only
        seen.preview = TestPage.preview;

        ScrGeneralSettings block = ExpectedBlock(5);
        ScrChangeNotice unissued = {sheet, SCRCHANGE_GENERAL, &block};
        SendMessageA(host, SCRM_SETTINGSCHANGED, 0, reinterpret_cast<LPARAM>(&unissued));
        for (LPARAM number : {LPARAM(0x10), bogus}) {
            SendMessageA(host, SCRM_SETTINGSCHANGED, 0, number);
            SendMessageA(host, WM_INITDIALOG, 0, number);
            SendMessageA(host, WM_WINDOWPOSCHANGING, 0, number);
            SendMessageA(general, WM_INITDIALOG, 0, number);
            SendMessageA(general, WM_NOTIFY, 0, number);
            SendMessageA(general, WM_HELP, 0, number);
            SendMessageA(saverPage, WM_INITDIALOG, 0, number);
            SendMessageA(sheet, PSM_SETTITLEA, 0, number);
            SendMessageA(sheet, PSM_ADDPAGE, 0, number);
            PostMessageA(general, WM_NOTIFY, 0, number);
            PostMessageA(general, WM_INITDIALOG, 0, number);
            PostMessageA(host, WM_INITDIALOG, 0, number);
            PostMessageA(sheet, PSM_SETTITLEA, 0, number);
            PostMessageA(GetDlgItem(general, IDC_PASSWORD_DELAY_ARROWS), UDM_GETRANGE32, number, number);
        }
        // Requests that would have the Wait arrows or the sheet write
        // through a number, and a destruction that would take the host's
        // mark, and the filter of posted messages with it.
        HWND arrows = GetDlgItem(general, IDC_PASSWORD_DELAY_ARROWS);
        seen.range = SendMessageA(arrows, UDM_GETRANGE, 0, 0);
        SendMessageA(arrows, UDM_GETRANGE32, bogus, bogus);
        SendMessageA(arrows, UDM_SETRANGE32, 1, 2);
        SendMessageA(sheet, WM_NOTIFY, 0, 0x10);
        SendMessageA(host, WM_NCDESTROY, 0, 0);
        PostMessageA(sheet, PSM_SETTITLEA, 0, bogus);
        SendMessageA(sheet, WM_NULL, 0, 0);
        seen.rangeAfter = SendMessageA(arrows, UDM_GETRANGE, 0, 0);
        const LONG_PTR ownProc = SetWindowLongPtrA(host, DWLP_USER, bogus);
        const LONG_PTR record = SetWindowLongPtrA(host, GWLP_USERDATA, bogus);
        const LONG_PTR settings = SetWindowLongPtrA(general, DWLP_USER, bogus);
        SendMessageA(sheet, WM_NULL, 0, 0);
        HWND mute = GetDlgItem(general, IDC_MUTE_SOUND);
        SendMessageA(general, WM_COMMAND, MAKEWPARAM(IDC_MUTE_SOUND, BN_CLICKED), reinterpret_cast<LPARAM>(mute));
        RequestPageChange(saverPage, 0, 11); // to the previews only: the record is not the host's
        SetWindowLongPtrA(host, DWLP_USER, ownProc);
        SetWindowLongPtrA(host, GWLP_USERDATA, record);
        SetWindowLongPtrA(general, DWLP_USER, settings);
        RequestPageChange(saverPage, 0, 12);

        seen.sheetUp = IsWindowVisible(sheet) != FALSE;
        seen.caption = WindowText(sheet);
        user.Press(sheet, IDCANCEL);
    });
    ASSERT_TRUE(sheetSeen_);
    EXPECT_TRUE(seen.sheetUp);
    EXPECT_EQ(seen.caption, SheetCaption);
    EXPECT_EQ(seen.rangeAfter, seen.range) << "the Wait arrows keep their range";
    EXPECT_EQ(TestPage.preview, seen.preview) << "the saver's page was set up once";
    EXPECT_EQ(TagsFor(owner_), (std::vector<LONG>{12}));
    EXPECT_EQ(TagsFor(TestPage.preview), (std::vector<LONG>{11, 12}));
}

// Without a page of the saver's the sheet has the General page alone;
// "&About" sits in its system menu and opens the library's About box. At
// the DPI this runs at, the sheet, its page and the box show every text
// whole, with nothing clipped or overlapping.
TEST_F(ConfigSheet, AboutItemOpensTheAboutBox)
{
    struct {
        std::string sheetLayout = "unread", pageLayout = "unread", aboutLayout = "unread";
        int pages = 0;
        std::string item, separatorText;
        UINT separatorState = 0;
        bool subclassed = false, ownProcKept = false;
        HWND about = nullptr, aboutOwner = nullptr;
        std::string aboutGroup;
        bool aboutClosed = false;
    } seen;
    HWND sheetSeen = nullptr;
    RunSheet(owner_, FALSE, [&](DialogAnswerer &user, HWND sheet) {
        sheetSeen = sheet;
        seen.pages = SheetPageCount(sheet);
        HMENU menu = GetSystemMenu(sheet, FALSE);
        seen.item = MenuItemText(menu, IDM_ABOUT);
        const int count = GetMenuItemCount(menu);
        seen.separatorState = GetMenuState(menu, count - 2, MF_BYPOSITION);
        seen.separatorText = MenuItemText(menu, 1);
        seen.subclassed = GetWindowLongPtrA(sheet, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(SheetSubclassProc);
        seen.ownProcKept = GetWindowLongPtrA(SheetHost(sheet), DWLP_USER) != 0;
        seen.sheetLayout = LayoutFaults(sheet);
        seen.pageLayout = LayoutFaults(SheetCurrentPage(sheet));

        PostMessageA(sheet, WM_SYSCOMMAND, IDM_ABOUT, 0);
        seen.about = user.WaitForDialog("About Dusklit", IDC_ABOUT_GROUP);
        seen.aboutOwner = GetWindow(seen.about, GW_OWNER);
        seen.aboutGroup = WindowText(GetDlgItem(seen.about, IDC_ABOUT_GROUP));
        seen.aboutLayout = LayoutFaults(seen.about);
        user.Press(seen.about, IDOK);
        seen.aboutClosed = user.WaitFor([&] { return !IsWindow(seen.about); });
        user.Press(sheet, IDCANCEL);
    });
    ASSERT_TRUE(sheetSeen_);
    EXPECT_EQ(seen.pages, 1);
    EXPECT_EQ(seen.item, "&About");
    EXPECT_TRUE(seen.separatorState & MF_SEPARATOR);
    EXPECT_TRUE(seen.subclassed);
    EXPECT_TRUE(seen.ownProcKept);
    ASSERT_NE(seen.about, nullptr);
    EXPECT_EQ(seen.aboutOwner, sheetSeen);
    EXPECT_EQ(seen.aboutGroup, "Dusklit v1.5s");
    EXPECT_TRUE(seen.aboutClosed);
    EXPECT_EQ(seen.sheetLayout, "");
    EXPECT_EQ(seen.pageLayout, "");
    EXPECT_EQ(seen.aboutLayout, "");
}

// A page procedure but no template 2003, as when a script used
// IDD_SAVER_PAGE without resource_ids.h: the sheet opens without the page,
// and with Debug on the trace and a debug box say why, before the sheet.
TEST_F(ConfigSheet, MissingSaverPageIsLeftOutAndReported)
{
    EntryArgs.ConfigDialogProc = TestConfigDialogProc;
    ModuleInstance = GetModuleHandleA("kernel32.dll"); // holds no dialog 2003
    int pages = 0;
    RunSheet(owner_, FALSE, [&](DialogAnswerer &user, HWND sheet) {
        pages = SheetPageCount(sheet);
        user.Press(sheet, IDCANCEL);
    });
    EXPECT_TRUE(sheetSeen_);
    EXPECT_EQ(pages, 1);

    SetPref(&ScrPrefs::Debug, 1);
    TraceCapture traces;
    std::vector<SeenMessageBox> seen;
    {
        MessageBoxWatch boxes(IDCANCEL);
        DoConfigDialog(owner_, FALSE);
        seen = boxes.Seen();
    }
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].caption, "Programming error");
    EXPECT_NE(seen[0].text.find("no dialog 2003 (IDD_SAVER_PAGE)"), std::string::npos) << seen[0].text;
    EXPECT_EQ(seen[1].caption, SheetCaption);
    EXPECT_TRUE(traces.Contains("no dialog 2003 (IDD_SAVER_PAGE)"));
}

TEST_F(ConfigSheet, NoAboutLeavesMenuAndProcedureAlone)
{
    SetPref(&ScrPrefs::NoAbout, 1);
    struct {
        std::string item = "unread";
        LONG_PTR procedure = 0, hostSlot = -1;
    } seen;
    RunSheet(owner_, FALSE, [&](DialogAnswerer &user, HWND sheet) {
        seen.item = MenuItemText(GetSystemMenu(sheet, FALSE), IDM_ABOUT);
        seen.procedure = GetWindowLongPtrA(sheet, GWLP_WNDPROC);
        seen.hostSlot = GetWindowLongPtrA(SheetHost(sheet), DWLP_USER);
        user.Press(sheet, IDCANCEL);
    });
    ASSERT_TRUE(sheetSeen_);
    EXPECT_EQ(seen.item, "(none)");
    EXPECT_NE(seen.procedure, reinterpret_cast<LONG_PTR>(SheetSubclassProc));
    EXPECT_NE(seen.procedure, 0);
    EXPECT_EQ(seen.hostSlot, 0);
}

} // namespace
