// The General page inside a real property sheet: how it fills its controls
// from the registry and the preferences, what a change of each control
// stores and announces, OK and Cancel, a page without settings, and the
// help it asks WinHelpA for. The sheet is modeless, so the test thread
// plays the user; the providers are the stand-ins, which count their calls.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "config/general_page.h"
#include "config/general_dialog.h"
#include "dusklit.h"
#include "library/library.h"
#include "monitor/monitor_resources.h"
#include "resource_ids.h"
#include "saver/issued.h"
#include "standins/standin_registry.h"
#include "tests/support/help_viewer.h"
#include "tests/support/layout_check.h"
#include "tests/support/message_box_watch.h"
#include "tests/support/registry_scope.h"
#include "tests/support/standins.h"
#include "tests/support/trace_capture.h"

namespace {

const char HostClass[] = "GeneralPageTestHost";
const LONG LiveCode = 0xD001;
const LONG AppliedCode = 0xE001;

const char DelayName[] = "Password Delay";
const char DelayIndexName[] = "Password Delay Index";
const char ThresholdName[] = "Mouse Threshold";
const char ThresholdIndexName[] = "Mouse Threshold Index";
const char CornersName[] = "Mouse Corners";
const char MuteName[] = "Mute Sound";
const char ActiveConfigName[] = "Active Config";

struct Notice {
    LONG code;
    ScrGeneralSettings block;
};

// What the configuration host (the sheet's parent) heard.
struct HostLog {
    std::vector<Notice> notices;
    std::vector<std::string> iniSections;
};
HostLog hostLog;

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == SCRM_SETTINGSCHANGED) {
        // The notice lives only during the send.
        const auto *notice = reinterpret_cast<const ScrChangeNotice *>(lParam);
        Notice copy = {notice->code, {}};
        std::memcpy(&copy.block, notice->data, sizeof copy.block);
        hostLog.notices.push_back(copy);
        return TRUE;
    }
    if (message == WM_WININICHANGE) {
        hostLog.iniSections.push_back(lParam ? reinterpret_cast<const char *>(lParam) : "(null)");
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND MakeHost()
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = HostProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = HostClass;
    RegisterClassA(&windowClass);
    return CreateWindowExA(0, HostClass, "Configuration host", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                           windowClass.hInstance, nullptr);
}

std::optional<DWORD> Stored(const char *name)
{
    return ReadDword(ScreenSaversKey, name);
}

std::string StoredCorners()
{
    std::optional<StoredValue> value = ReadValue(ScreenSaversKey, CornersName);
    return value && value->type == REG_SZ ? value->bytes : std::string("(none)");
}

std::string Corners(const char *four)
{
    return std::string(four, 5); // the characters and the terminating zero
}

// Every test starts with no settings, silent providers and the default
// preferences, and gets all three back as they were.
class GeneralPage : public ::testing::Test {
protected:
    void SetUp() override
    {
        savedPrefs_ = ScrGetPrefs(); // also starts the library
        ASSERT_TRUE(savedPrefs_);
        ASSERT_TRUE(DeleteKey(ScreenSaversKey));
        ASSERT_TRUE(DeleteKey(STANDIN_SAGE_KEY));
        ASSERT_TRUE(DeleteKey(STANDIN_CORNIX_KEY));
        hostLog = HostLog();
        host_ = MakeHost();
        ASSERT_TRUE(host_);
    }

    void TearDown() override
    {
        if (sheet_)
            DestroyWindow(sheet_);
        DestroyWindow(host_);
        ReleaseSettings();
        ScrSetPrefs(savedPrefs_);
    }

    void SetPrefs(const std::function<void(ScrPrefs &)> &change)
    {
        ScrPrefs *prefs = ScrGetPrefs();
        change(*prefs);
        ScrSetPrefs(prefs);
    }

    // Opens the sheet as the configuration host does, with settings read
    // from the registry as it is now (or none at all).
    void Open(bool withSettings = true)
    {
        if (withSettings) {
            ReleaseSettings();
            // Issued, as the configuration host issues the settings it
            // hands the page.
            settings_ = std::make_unique<GeneralDialog>();
            IssuePointer(settings_.get(), Issued::GeneralSettings);
        }
        PROPSHEETPAGEA_V1 page;
        FillGeneralPage(page, settings_.get(), host_, pageTemplate_);
        PROPSHEETHEADERA header = {};
        header.dwSize = PROPSHEETHEADERA_V1_SIZE;
        header.dwFlags = PSH_PROPSHEETPAGE | PSH_NOAPPLYNOW | PSH_MODELESS;
        header.hwndParent = host_;
        header.pszCaption = "General page under test";
        header.nPages = 1;
        header.ppsp = reinterpret_cast<LPCPROPSHEETPAGEA>(&page);
        sheet_ = reinterpret_cast<HWND>(PropertySheetA(&header));
        ASSERT_TRUE(sheet_);
        page_ = PropSheet_GetCurrentPageHwnd(sheet_);
        ASSERT_TRUE(page_);
    }

    void ReleaseSettings()
    {
        WithdrawPointer(settings_.get(), Issued::GeneralSettings);
        settings_.reset();
    }

    // Presses OK or Cancel; the sheet has closed when it has no page left.
    void Press(int button)
    {
        PropSheet_PressButton(sheet_, button);
        Pump();
        EXPECT_EQ(PropSheet_GetCurrentPageHwnd(sheet_), nullptr);
        DestroyWindow(sheet_);
        sheet_ = page_ = nullptr;
    }

    void Pump()
    {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (!sheet_ || !PropSheet_IsDialogMessage(sheet_, &message)) {
                TranslateMessage(&message);
                DispatchMessageA(&message);
            }
        }
    }

    HWND Item(int id) const { return GetDlgItem(page_, id); }

    std::string Text(int id) const
    {
        char text[256] = "";
        GetDlgItemTextA(page_, id, text, sizeof text);
        return text;
    }

    std::vector<std::string> ListTexts(int id) const
    {
        std::vector<std::string> texts;
        const LRESULT count = SendDlgItemMessageA(page_, id, CB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            char text[256] = "";
            SendDlgItemMessageA(page_, id, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
            texts.push_back(text);
        }
        return texts;
    }

    LRESULT Selection(int id) const { return SendDlgItemMessageA(page_, id, CB_GETCURSEL, 0, 0); }

    // What the user's typing leaves in the Wait box: the edit reports the
    // new text to the page.
    void Type(const char *text) { SetDlgItemTextA(page_, IDC_PASSWORD_DELAY, text); }

    // A choice in a drop-down list: the list selects the entry and tells
    // the page.
    void Choose(int id, int index)
    {
        SendDlgItemMessageA(page_, id, CB_SETCURSEL, index, 0);
        SendMessageA(page_, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(Item(id)));
    }

    void Click(int id) { SendDlgItemMessageA(page_, id, BM_CLICK, 0, 0); }

    // A corner chosen from the monitor picture's menu: the control rewrites
    // its corner bits and reports to the page.
    void ChooseCorner(int corner, int action)
    {
        SendMessageA(Item(IDC_CORNERS), WM_COMMAND, IDM_CORNER_BASE + 0x100 * corner + action, 0);
    }

    bool Shown(int id) const { return IsWindowVisible(Item(id)) != FALSE; }
    bool Enabled(int id) const { return IsWindowEnabled(Item(id)) != FALSE; }
    DWORD CornerBits() const { return static_cast<DWORD>(GetWindowLongA(Item(IDC_CORNERS), GWL_STYLE)) & 0xFF0; }

    DWORD ProviderCalls() const
    {
        const DWORD sage = ChangedCount(STANDIN_SAGE_KEY);
        EXPECT_EQ(ChangedCount(STANDIN_CORNIX_KEY), sage) << "both providers are told every time";
        return sage;
    }

    SavedKey savedSettings_{ScreenSaversKey};
    SavedKey savedSage_{STANDIN_SAGE_KEY};
    SavedKey savedCornix_{STANDIN_CORNIX_KEY};
    ScrPrefs *savedPrefs_ = nullptr;
    std::unique_ptr<GeneralDialog> settings_;
    std::vector<unsigned char> pageTemplate_; // the page's own copy, where it has one
    HWND host_ = nullptr;
    HWND sheet_ = nullptr;
    HWND page_ = nullptr;
};

// The page filled from an empty registry with the default preferences
// (Sound on, ActiveConfig off).
TEST_F(GeneralPage, OpensWithTheDefaults)
{
    ASSERT_NO_FATAL_FAILURE(Open());

    // The arrows work on the box just before them.
    EXPECT_EQ(reinterpret_cast<HWND>(SendDlgItemMessageA(page_, IDC_PASSWORD_DELAY_ARROWS, UDM_GETBUDDY, 0, 0)),
              Item(IDC_PASSWORD_DELAY));
    const LRESULT range = SendDlgItemMessageA(page_, IDC_PASSWORD_DELAY_ARROWS, UDM_GETRANGE, 0, 0);
    EXPECT_EQ(LOWORD(range), 99); // upper
    EXPECT_EQ(HIWORD(range), 0);  // lower
    EXPECT_EQ(GetWindowLongA(Item(IDC_CORNERS), GWL_STYLE), 0x50000002);

    EXPECT_EQ(Text(IDC_PASSWORD_DELAY), "60");
    EXPECT_EQ(ListTexts(IDC_PASSWORD_DELAY_UNIT), (std::vector<std::string>{"seconds", "minutes"}));
    EXPECT_EQ(Selection(IDC_PASSWORD_DELAY_UNIT), 0);
    EXPECT_EQ(ListTexts(IDC_SENSITIVITY),
              (std::vector<std::string>{"High", "Normal", "Low", "Keyboard only (ignore mouse movement)"}));
    EXPECT_EQ(Selection(IDC_SENSITIVITY), 0);
    EXPECT_TRUE(Shown(IDC_PASSWORD_DELAY) && Enabled(IDC_PASSWORD_DELAY));
    EXPECT_FALSE(Shown(IDC_PASSWORD_POLICY));
    // No System Agent: the text that asks for it.
    EXPECT_FALSE(HotCornerAgentPresent());
    EXPECT_FALSE(Shown(IDC_AGENT_TEXT));
    EXPECT_TRUE(Shown(IDC_NO_AGENT_TEXT));
    EXPECT_TRUE(Shown(IDC_MUTE_SOUND) && Enabled(IDC_MUTE_SOUND));
    EXPECT_EQ(IsDlgButtonChecked(page_, IDC_MUTE_SOUND), BST_UNCHECKED);
    EXPECT_FALSE(Shown(IDC_ACTIVE_CONFIG) || Enabled(IDC_ACTIVE_CONFIG));

    // Filling the controls is not a change.
    EXPECT_FALSE(KeyExists(ScreenSaversKey));
    EXPECT_EQ(ProviderCalls(), 0u);
    EXPECT_TRUE(hostLog.notices.empty());
}

// Stored 90 seconds in minutes shows as 1, and reading the box back gives
// 60. Any notification of a control counts as a change, the focus that the
// sheet puts into the first control included, so by the time the user
// changes something 60 is stored; the other stored values survive the
// filling of the controls untouched. OK then makes them the saved ones.
TEST_F(GeneralPage, StoredSettingsFillTheControlsAndAChangeRereadsThem)
{
    WriteDword(ScreenSaversKey, DelayName, 90);
    WriteDword(ScreenSaversKey, DelayIndexName, 1);
    WriteDword(ScreenSaversKey, ThresholdName, 400);
    WriteDword(ScreenSaversKey, ThresholdIndexName, 2);
    WriteValue(ScreenSaversKey, CornersName, REG_SZ, Corners("YN-N"));
    WriteDword(ScreenSaversKey, MuteName, 1);
    WriteDword(ScreenSaversKey, ActiveConfigName, 1);
    WriteDword(STANDIN_SAGE_KEY, STANDIN_AGENT_VALUE, 1);
    WriteDword(STANDIN_CORNIX_KEY, STANDIN_AGENT_VALUE, 1);
    SetPrefs([](ScrPrefs &prefs) { prefs.ActiveConfig = 1; });
    ASSERT_NO_FATAL_FAILURE(Open());

    EXPECT_EQ(Text(IDC_PASSWORD_DELAY), "1");
    EXPECT_EQ(Selection(IDC_PASSWORD_DELAY_UNIT), 1);
    EXPECT_EQ(Selection(IDC_SENSITIVITY), 2);
    EXPECT_EQ(CornerBits(), static_cast<DWORD>(MS_CTOPLEFTNOW | MS_CTOPRIGHTNEV | MS_CBOTLEFTNEV));
    EXPECT_EQ(IsDlgButtonChecked(page_, IDC_MUTE_SOUND), BST_CHECKED);
    EXPECT_TRUE(Shown(IDC_ACTIVE_CONFIG) && Enabled(IDC_ACTIVE_CONFIG));
    EXPECT_EQ(IsDlgButtonChecked(page_, IDC_ACTIVE_CONFIG), BST_CHECKED);
    EXPECT_TRUE(HotCornerAgentPresent());
    EXPECT_TRUE(Shown(IDC_AGENT_TEXT));
    EXPECT_FALSE(Shown(IDC_NO_AGENT_TEXT));
    EXPECT_EQ(Stored(MuteName), 1u);
    EXPECT_EQ(Stored(ActiveConfigName), 1u);
    EXPECT_EQ(Stored(ThresholdName), 400u);
    EXPECT_EQ(StoredCorners(), Corners("YN-N"));

    Click(IDC_MUTE_SOUND);
    EXPECT_EQ(Stored(MuteName), 0u);
    EXPECT_EQ(Stored(DelayName), 60u);
    EXPECT_EQ(Stored(DelayIndexName), 1u);
    EXPECT_EQ(Stored(ThresholdName), 400u);
    EXPECT_EQ(StoredCorners(), Corners("YN-N"));
    ASSERT_FALSE(hostLog.notices.empty());
    EXPECT_EQ(hostLog.notices.back().code, LiveCode);
    EXPECT_EQ(hostLog.notices.back().block.passwordDelay, 60);
    EXPECT_EQ(hostLog.notices.back().block.muteSound, 0);
    EXPECT_EQ(ProviderCalls(), hostLog.notices.size());

    const size_t live = hostLog.notices.size();
    Press(PSBTN_OK);
    ASSERT_EQ(hostLog.notices.size(), live + 1);
    EXPECT_EQ(hostLog.notices.back().code, AppliedCode);
    EXPECT_EQ(settings_->savedPasswordDelay, 60);
    EXPECT_EQ(settings_->savedMuteSound, 0);
    EXPECT_EQ(Stored(DelayName), 60u);
    EXPECT_EQ(ProviderCalls(), live);
}

// The number in the box is taken in the unit chosen: 60 seconds become 60
// minutes. Cancel puts the stored 60 seconds back and tells everyone again.
TEST_F(GeneralPage, ChoosingMinutesReinterpretsTheNumberAndCancelRestoresIt)
{
    ASSERT_NO_FATAL_FAILURE(Open());
    ASSERT_EQ(Text(IDC_PASSWORD_DELAY), "60");

    Choose(IDC_PASSWORD_DELAY_UNIT, 1);
    EXPECT_EQ(Stored(DelayName), 3600u);
    EXPECT_EQ(Stored(DelayIndexName), 1u);
    EXPECT_EQ(Text(IDC_PASSWORD_DELAY), "60");
    EXPECT_EQ(ProviderCalls(), 1u);
    ASSERT_EQ(hostLog.notices.size(), 1u);
    EXPECT_EQ(hostLog.notices[0].code, LiveCode);
    EXPECT_EQ(hostLog.notices[0].block.passwordDelay, 3600);

    Press(PSBTN_CANCEL);
    EXPECT_EQ(Stored(DelayName), 60u);
    EXPECT_EQ(Stored(DelayIndexName), 0u);
    EXPECT_EQ(ProviderCalls(), 2u);
    ASSERT_EQ(hostLog.notices.size(), 2u);
    EXPECT_EQ(hostLog.notices[1].code, LiveCode);
    EXPECT_EQ(hostLog.notices[1].block.passwordDelay, 60);
    EXPECT_TRUE(hostLog.iniSections.empty());
}

// Whatever is typed is read the way "%i" reads it; text that is no number
// leaves the delay alone and announces nothing.
TEST_F(GeneralPage, TypedDelaysAreReadSafely)
{
    ASSERT_NO_FATAL_FAILURE(Open());
    const struct {
        const char *typed;
        DWORD stored;
        DWORD providerCalls;
    } steps[] = {
        {"0x1E", 30, 1},
        {"010", 8, 2},
        {"seconds", 8, 2},
        {"", 8, 2},
        {"-5", 8, 2},
        {"-1", 8, 2},
        {"  12 minutes", 12, 3},
        {"99999999999999999999", 0x7FFFFFFF, 4},
    };
    for (const auto &step : steps) {
        Type(step.typed);
        EXPECT_EQ(Stored(DelayName), step.stored) << step.typed;
        EXPECT_EQ(ProviderCalls(), step.providerCalls) << step.typed;
    }
    // Far longer than the 99 characters the page reads at once.
    const std::string longText = "7" + std::string(500, 'x');
    Type(longText.c_str());
    EXPECT_EQ(Stored(DelayName), 7u);
    Type(std::string(500, '1').c_str());
    EXPECT_EQ(Stored(DelayName), 0x7FFFFFFFu);

    Choose(IDC_PASSWORD_DELAY_UNIT, 1);
    Type("0x1E");
    EXPECT_EQ(Stored(DelayName), 1800u);
    EXPECT_EQ(Stored(DelayIndexName), 1u);
    EXPECT_EQ(static_cast<DWORD>(hostLog.notices.size()), ProviderCalls());
}

TEST_F(GeneralPage, SensitivityChoicesCarryTheirThresholds)
{
    ASSERT_NO_FATAL_FAILURE(Open());
    const struct {
        int index;
        DWORD threshold;
    } choices[] = {{2, 400}, {3, 999999}, {1, 200}, {0, 0}};
    DWORD calls = 0;
    for (const auto &choice : choices) {
        Choose(IDC_SENSITIVITY, choice.index);
        EXPECT_EQ(Stored(ThresholdIndexName), static_cast<DWORD>(choice.index));
        EXPECT_EQ(Stored(ThresholdName), choice.threshold) << choice.index;
        EXPECT_EQ(ProviderCalls(), ++calls);
        ASSERT_FALSE(hostLog.notices.empty());
        EXPECT_EQ(hostLog.notices.back().block.mouseThreshold, static_cast<LONG>(choice.threshold));
    }
    // The same entry again is no change.
    Choose(IDC_SENSITIVITY, 0);
    EXPECT_EQ(ProviderCalls(), calls);
}

// A saver that decides about the password itself gets a sentence in place
// of the Wait row, and the stored delay is never touched from the page.
TEST_F(GeneralPage, SaverPasswordPolicyReplacesTheWaitRow)
{
    WriteDword(ScreenSaversKey, DelayName, 90);
    WriteDword(ScreenSaversKey, DelayIndexName, 1);
    const struct {
        LONG always;
        LONG never;
        const char *text;
    } policies[] = {
        {1, 0, "This screensaver always uses a password"},
        {0, 1, "This screensaver never requires a password"},
    };
    for (const auto &policy : policies) {
        SetPrefs([&](ScrPrefs &prefs) {
            prefs.AlwaysRequirePassword = policy.always;
            prefs.NeverRequirePassword = policy.never;
        });
        ASSERT_NO_FATAL_FAILURE(Open());
        EXPECT_TRUE(Shown(IDC_PASSWORD_POLICY));
        EXPECT_EQ(Text(IDC_PASSWORD_POLICY), policy.text);
        for (int id : {IDC_WAIT_LABEL, IDC_PASSWORD_DELAY, IDC_PASSWORD_DELAY_ARROWS, IDC_PASSWORD_DELAY_UNIT,
                       IDC_PASSWORD_DELAY_TAIL})
            EXPECT_FALSE(Shown(id)) << id;
        for (int id : {IDC_PASSWORD_DELAY, IDC_PASSWORD_DELAY_ARROWS, IDC_PASSWORD_DELAY_UNIT})
            EXPECT_FALSE(Enabled(id)) << id;

        Choose(IDC_SENSITIVITY, 2);
        EXPECT_EQ(Stored(ThresholdName), 400u);
        EXPECT_EQ(Stored(DelayName), 90u);
        EXPECT_EQ(Stored(DelayIndexName), 1u);
        Press(PSBTN_OK);
        EXPECT_EQ(Stored(DelayName), 90u);
        ASSERT_TRUE(DeleteKey(ScreenSaversKey));
        WriteDword(ScreenSaversKey, DelayName, 90);
        WriteDword(ScreenSaversKey, DelayIndexName, 1);
    }
}

// Mute Sound and active configuration exist only when the saver offers
// them; a setting that is not offered is neither shown nor stored.
TEST_F(GeneralPage, OptionalSwitchesFollowTheSaversPrefs)
{
    SetPrefs([](ScrPrefs &prefs) {
        prefs.Sound = 0;
        prefs.ActiveConfig = 1;
    });
    ASSERT_NO_FATAL_FAILURE(Open());
    EXPECT_FALSE(Shown(IDC_MUTE_SOUND) || Enabled(IDC_MUTE_SOUND));
    EXPECT_TRUE(Shown(IDC_ACTIVE_CONFIG) && Enabled(IDC_ACTIVE_CONFIG));
    EXPECT_EQ(IsDlgButtonChecked(page_, IDC_ACTIVE_CONFIG), BST_UNCHECKED);

    Click(IDC_ACTIVE_CONFIG);
    EXPECT_EQ(Stored(ActiveConfigName), 1u);
    EXPECT_FALSE(ReadValue(ScreenSaversKey, MuteName));
    ASSERT_EQ(hostLog.notices.size(), 1u);
    EXPECT_EQ(hostLog.notices[0].block.allowActiveConfig, 1);
    Click(IDC_ACTIVE_CONFIG);
    EXPECT_EQ(Stored(ActiveConfigName), 0u);
    EXPECT_EQ(ProviderCalls(), 2u);
}

// At the DPI this runs at, in both of the page's forms (without the System
// Agent, with the Wait row and Mute Sound; with the Agent, the password
// policy and active configuration), every text is shown whole and nothing
// reaches out of the page or into another control. The monitor picture
// keeps its pixel size below 192 DPI and doubles at 192, centred where the
// template puts the control (20 x 20 units at 108, 82).
TEST_F(GeneralPage, LaidOutWithinThePageAtThisDpi)
{
    const int scale = PictureScaleHere();
    for (const bool agent : {false, true}) {
        WriteDword(STANDIN_SAGE_KEY, STANDIN_AGENT_VALUE, agent);
        WriteDword(STANDIN_CORNIX_KEY, STANDIN_AGENT_VALUE, agent);
        SetPrefs([&](ScrPrefs &prefs) {
            prefs.AlwaysRequirePassword = agent;
            prefs.ActiveConfig = agent;
        });
        ASSERT_NO_FATAL_FAILURE(Open());
        EXPECT_EQ(Shown(IDC_AGENT_TEXT), agent);
        EXPECT_EQ(Shown(IDC_PASSWORD_POLICY), agent);
        EXPECT_EQ(LayoutFaults(page_), "") << "agent " << agent;
        EXPECT_EQ(LayoutFaults(sheet_), "") << "agent " << agent;

        RECT placed;
        GetWindowRect(Item(IDC_CORNERS), &placed);
        MapWindowPoints(nullptr, page_, reinterpret_cast<POINT *>(&placed), 2);
        RECT laidOut = {108, 82, 128, 102};
        MapDialogRect(page_, &laidOut);
        EXPECT_EQ(placed.right - placed.left, 184 * scale);
        EXPECT_EQ(placed.bottom - placed.top, 170 * scale);
        EXPECT_LE(std::abs(placed.left + placed.right - laidOut.left - laidOut.right), 2);
        EXPECT_LE(std::abs(placed.top + placed.bottom - laidOut.top - laidOut.bottom), 2);
        Press(PSBTN_CANCEL);
    }
}

// A corner chosen on the monitor picture is stored at once and the
// providers hear of it; Cancel stores the old corners and tells them again.
TEST_F(GeneralPage, CornerChangeIsStoredAtOnceAndCancelUndoesIt)
{
    WriteValue(ScreenSaversKey, CornersName, REG_SZ, Corners("-Y--"));
    // With the System Agent running the control chooses without a warning.
    WriteDword(STANDIN_SAGE_KEY, STANDIN_AGENT_VALUE, 1);
    WriteDword(STANDIN_CORNIX_KEY, STANDIN_AGENT_VALUE, 1);
    ASSERT_NO_FATAL_FAILURE(Open());
    ASSERT_EQ(CornerBits(), static_cast<DWORD>(MS_CTOPRIGHTNOW));

    ChooseCorner(2, SCR_CORNER_NEVER);
    EXPECT_EQ(CornerBits(), static_cast<DWORD>(MS_CTOPRIGHTNOW | MS_CBOTRIGHTNEV));
    EXPECT_EQ(StoredCorners(), Corners("-YN-"));
    EXPECT_EQ(ProviderCalls(), 1u);
    ASSERT_EQ(hostLog.notices.size(), 1u);
    EXPECT_EQ(hostLog.notices[0].code, LiveCode);
    EXPECT_EQ(std::memcmp(hostLog.notices[0].block.corners, "\0\1\2\0", 4), 0);

    // The control reports even an unchanged corner; that is no change.
    ChooseCorner(2, SCR_CORNER_NEVER);
    EXPECT_EQ(ProviderCalls(), 1u);

    Press(PSBTN_CANCEL);
    EXPECT_EQ(StoredCorners(), Corners("-Y--"));
    EXPECT_EQ(ProviderCalls(), 2u);
    ASSERT_EQ(hostLog.notices.size(), 2u);
    EXPECT_EQ(std::memcmp(hostLog.notices[1].block.corners, "\0\1\0\0", 4), 0);
}

// OK tells the whole system even when nothing changed, but writes nothing
// more and does not call the providers.
TEST_F(GeneralPage, OkWithoutChangesStillBroadcasts)
{
    SetPrefs([](ScrPrefs &prefs) { prefs.Debug = 1; });
    TraceCapture traces;
    ASSERT_NO_FATAL_FAILURE(Open());
    Press(PSBTN_OK);

    EXPECT_FALSE(KeyExists(ScreenSaversKey));
    EXPECT_EQ(ProviderCalls(), 0u);
    ASSERT_EQ(hostLog.notices.size(), 1u);
    EXPECT_EQ(hostLog.notices[0].code, AppliedCode);
    EXPECT_EQ(hostLog.notices[0].block.passwordDelay, 60);
    EXPECT_EQ(hostLog.iniSections, std::vector<std::string>{"Windows"});
    EXPECT_TRUE(traces.Contains("Dusklit: GeneralDlgProc: WM_INITDIALOG. Setting up controls"));
    EXPECT_TRUE(traces.Contains("Dusklit: GeneralDlgProc: PSN_KILLACTIVE - Validating. Everything is OK"));
    EXPECT_TRUE(traces.Contains("Dusklit: GeneralDlgProc: PSN_APPLY - remembering current values"));
    EXPECT_TRUE(traces.Contains("Dusklit: GeneralDlgProc: WM_DESTROY - tidying up"));
}

TEST_F(GeneralPage, CancelWithoutChangesWritesNothing)
{
    ASSERT_NO_FATAL_FAILURE(Open());
    Press(PSBTN_CANCEL);
    EXPECT_FALSE(KeyExists(ScreenSaversKey));
    EXPECT_EQ(ProviderCalls(), 0u);
    EXPECT_TRUE(hostLog.notices.empty());
    EXPECT_TRUE(hostLog.iniSections.empty());
}

// Without settings the page shows its template as it is and ignores the
// user; OK and Cancel still close the sheet.
TEST_F(GeneralPage, WithoutSettingsThePageChangesNothing)
{
    ASSERT_NO_FATAL_FAILURE(Open(false));
    EXPECT_EQ(Text(IDC_PASSWORD_DELAY), "");
    EXPECT_EQ(SendDlgItemMessageA(page_, IDC_SENSITIVITY, CB_GETCOUNT, 0, 0), 0);
    EXPECT_TRUE(Shown(IDC_PASSWORD_POLICY));
    EXPECT_TRUE(Shown(IDC_AGENT_TEXT) && Shown(IDC_NO_AGENT_TEXT));

    Type("30");
    Click(IDC_MUTE_SOUND);
    {
        MessageBoxWatch warnings; // the control may warn of a missing System Agent
        ChooseCorner(0, SCR_CORNER_NOW);
    }
    EXPECT_EQ(CornerBits(), static_cast<DWORD>(MS_CTOPLEFTNOW));
    Press(PSBTN_OK);
    EXPECT_FALSE(KeyExists(ScreenSaversKey));
    EXPECT_EQ(ProviderCalls(), 0u);
    EXPECT_TRUE(hostLog.notices.empty());
    EXPECT_TRUE(hostLog.iniSections.empty());
}

// The framework's help file for as long as the object lives: installed in
// the Help folder of the Windows directory, or planted in a folder made the
// current one, where no help file may ever be taken from.
class HelpFile {
public:
    explicit HelpFile(bool installed)
    {
        char folder[MAX_PATH] = "";
        if (installed) {
            GetWindowsDirectoryA(folder, sizeof folder);
            directory_ = std::string(folder) + "\\Help";
        } else {
            GetTempPathA(sizeof folder, folder);
            directory_ = std::string(folder) + "dusklit-help";
        }
        madeDirectory_ = CreateDirectoryA(directory_.c_str(), nullptr) != FALSE;
        file_ = directory_ + "\\dusklit.hlp";
        HANDLE file = CreateFileA(file_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        CloseHandle(file);
        GetCurrentDirectoryA(sizeof previous_, previous_);
        if (!installed)
            SetCurrentDirectoryA(directory_.c_str());
    }
    ~HelpFile()
    {
        SetCurrentDirectoryA(previous_);
        DeleteFileA(file_.c_str());
        if (madeDirectory_)
            RemoveDirectoryA(directory_.c_str());
    }
    bool Ready() const { return GetFileAttributesA(file_.c_str()) != INVALID_FILE_ATTRIBUTES; }

private:
    std::string directory_;
    std::string file_;
    bool madeDirectory_ = false;
    char previous_[MAX_PATH] = "";
};

// Where the help viewer is sent: the Help folder of the Windows directory.
std::string HelpPath(const char *name)
{
    char windows[MAX_PATH] = "";
    GetWindowsDirectoryA(windows, sizeof windows);
    return std::string(windows) + "\\Help\\" + name;
}

using HelpTable = std::vector<std::pair<DWORD, DWORD>>;

const HelpTable PageHelpTable = {
    {3630, 3101}, {3631, 3101}, {3632, 3101}, {3633, 3102}, {3634, 3102}, {3635, 3102}, {3636, 3102},
    {3637, 3102}, {3638, 3100}, {3639, 3100}, {3640, 3100}, {3641, 3105}, {3643, 3106},
};

class GeneralPageHelp : public GeneralPage {
protected:
    void SetUp() override
    {
        GeneralPage::SetUp();
        ASSERT_TRUE(viewer_.Window());
        ASSERT_TRUE(calls_.Listening());
    }

    // F1 on a control: the system turns the key into this message for the
    // focused window, whose default handling asks the parent for help.
    static constexpr UINT KeyF1Message = 0x004D; // WM_KEYF1
    void PressF1(int id) { SendMessageA(Item(id), KeyF1Message, 0, 0); }
    // A right click on a control: the system offers its parent a context
    // menu for it.
    void RightClick(int id) { SendMessageA(Item(id), WM_RBUTTONUP, 0, MAKELPARAM(2, 2)); }

    void ExpectLastCall(HWND window, const char *file, UINT command, const HelpTable &table)
    {
        ASSERT_FALSE(calls_.Calls().empty());
        const HelpRequest &call = calls_.Calls().back();
        EXPECT_EQ(call.window, window);
        EXPECT_EQ(call.file, HelpPath(file));
        EXPECT_EQ(call.command, command);
        EXPECT_EQ(call.table, table);
    }

    HelpViewerStandin viewer_;
    WinHelpCalls calls_;
};

// The active-configuration topic is only in the framework's file, which is
// asked for unseen; every other topic falls back on the Plus! file when the
// framework's cannot be found.
TEST_F(GeneralPageHelp, PageHelpAsksForTheRightFileAndTopics)
{
    SetPrefs([](ScrPrefs &prefs) { prefs.ActiveConfig = 1; });
    ASSERT_NO_FATAL_FAILURE(Open());

    PressF1(IDC_ACTIVE_CONFIG);
    ExpectLastCall(Item(IDC_ACTIVE_CONFIG), "dusklit.hlp", HELP_WM_HELP, PageHelpTable);
    PressF1(IDC_MUTE_SOUND);
    ExpectLastCall(Item(IDC_MUTE_SOUND), "Plus!.HLP", HELP_WM_HELP, PageHelpTable);
    RightClick(IDC_ACTIVE_CONFIG);
    ExpectLastCall(Item(IDC_ACTIVE_CONFIG), "dusklit.hlp", HELP_CONTEXTMENU, PageHelpTable);
    RightClick(IDC_MUTE_SOUND);
    ExpectLastCall(Item(IDC_MUTE_SOUND), "Plus!.HLP", HELP_CONTEXTMENU, PageHelpTable);
    EXPECT_EQ(calls_.Calls().size(), 4u);
    {
        HelpFile planted(false);
        ASSERT_TRUE(planted.Ready());
        PressF1(IDC_PASSWORD_DELAY);
        ExpectLastCall(Item(IDC_PASSWORD_DELAY), "Plus!.HLP", HELP_WM_HELP, PageHelpTable);
    }
    {
        HelpFile installed(true);
        ASSERT_TRUE(installed.Ready());
        PressF1(IDC_PASSWORD_DELAY);
        ExpectLastCall(Item(IDC_PASSWORD_DELAY), "dusklit.hlp", HELP_WM_HELP, PageHelpTable);
        RightClick(IDC_MUTE_SOUND);
        ExpectLastCall(Item(IDC_MUTE_SOUND), "dusklit.hlp", HELP_CONTEXTMENU, PageHelpTable);
    }
    // Help changes no setting.
    EXPECT_FALSE(KeyExists(ScreenSaversKey));
    EXPECT_TRUE(hostLog.notices.empty());
}

// ScrHelp: the same look-up for a saver's own controls, with a table of the
// one control and the saver's topic; the command goes to WinHelpA as given.
TEST_F(GeneralPageHelp, ScrHelpLooksUpTheSaversTopic)
{
    HWND control = CreateWindowExA(0, "Button", "Saver option", WS_CHILD | BS_AUTOCHECKBOX, 0, 0, 50, 20, host_,
                                   reinterpret_cast<HMENU>(2010), nullptr, nullptr);
    ASSERT_TRUE(control);

    ScrHelp(control, HELP_WM_HELP, 3106);
    ExpectLastCall(control, "dusklit.hlp", HELP_WM_HELP, {{2010, 3106}});
    ScrHelp(control, HELP_CONTEXTMENU, 3105);
    ExpectLastCall(control, "Plus!.HLP", HELP_CONTEXTMENU, {{2010, 3105}});
    {
        HelpFile installed(true);
        ASSERT_TRUE(installed.Ready());
        ScrHelp(control, HELP_WM_HELP, 3101);
        ExpectLastCall(control, "dusklit.hlp", HELP_WM_HELP, {{2010, 3101}});
    }

    // A command the help viewer is handed directly arrives with the file.
    const size_t before = viewer_.Received().size();
    ScrHelp(control, HELP_CONTEXTPOPUP, 3101);
    ASSERT_EQ(viewer_.Received().size(), before + 1);
    const HelpRequest &received = viewer_.Received().back();
    EXPECT_EQ(received.window, control);
    EXPECT_EQ(received.file, HelpPath("Plus!.HLP"));
    EXPECT_EQ(received.command, static_cast<UINT>(HELP_CONTEXTPOPUP));
    EXPECT_EQ(received.data, calls_.Calls().back().data);
    DestroyWindow(control);
}

} // namespace
