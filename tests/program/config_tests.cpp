// The framework's configuration as users meet it, on the bare X server:
//
//  - brix.scr /c and brix.scr with no switch, after the demo, show "Screen
//    Saver Properties" with the General page holding the stored settings;
//    a choice on the page is stored at once; OK ends the program with the
//    sheet's result and tells every top-level window (one of this process
//    among them) that the "Windows" settings changed; Cancel ends it with
//    its own result and puts the stored settings back;
//  - brix.scr runs its saver with the default preferences, which do not
//    offer active configuration: Shift closes it like any other key, even
//    when the user allows active configuration;
//  - active_config_saver offers it: Shift opens the sheet over the running
//    saver, a new mouse sensitivity reaches the saver while the sheet is
//    still open, OK closes the sheet and the saver goes on with the new
//    threshold until a key ends it;
//  - a change on the page is told to the hot-corner providers installed in
//    the system directory; impostors of them beside the program and in the
//    directory it starts in are never loaded;
//  - what another program can send and post that saver and the sheet over
//    it, and write into their windows, ends nothing, crashes nothing and
//    skips no password.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cwchar>
#include <functional>
#include <string>
#include <vector>

#include "include/dusklit.h"
#include "resources/resource_ids.h"
#include "tests/program/brix_steps.h"
#include "tests/support/exit_code.h"
#include "tests/support/message_pump.h"
#include "tests/support/process_windows.h"

#ifdef DUSKLIT_WITH_STANDINS
#include "standins/standin_registry.h"
#include "tests/support/standins.h"
#endif

using driver::ProgramDriver;

namespace {

// What PropertySheetA returns, and so the configuration's exit code.
constexpr DWORD SheetOkCode = 1;
constexpr DWORD SheetCancelCode = 0;
// The Apply button every property sheet has unless it is told to leave it out.
constexpr int ApplyButtonId = 0x3021;

// A control of another process that does not answer within this time is
// taken as not answering at all.
constexpr UINT AnswerLimitMs = 5000;

const std::vector<std::string> SensitivityEntries = {"High", "Normal", "Low",
                                                      "Keyboard only (ignore mouse movement)"};
const std::vector<std::string> UnitEntries = {"seconds", "minutes"};

// The stored General settings under the screen savers' key.
struct StoredSettings {
    DWORD passwordDelay;
    DWORD passwordDelayIndex;
    DWORD mouseThreshold;
    DWORD mouseThresholdIndex;
    std::string mouseCorners;
    DWORD muteSound;
    DWORD activeConfig;
};

// Stores the settings for the life of the object, then puts back what the
// registry held before.
class StoredSettingsScope {
public:
    explicit StoredSettingsScope(const StoredSettings &settings)
        : passwordDelay_(brix::ScreenSaversKey, "Password Delay", settings.passwordDelay),
          passwordDelayIndex_(brix::ScreenSaversKey, "Password Delay Index", settings.passwordDelayIndex),
          mouseThreshold_(brix::ScreenSaversKey, "Mouse Threshold", settings.mouseThreshold),
          mouseThresholdIndex_(brix::ScreenSaversKey, "Mouse Threshold Index", settings.mouseThresholdIndex),
          mouseCorners_(brix::ScreenSaversKey, "Mouse Corners", brix::RegistryText{settings.mouseCorners}),
          muteSound_(brix::ScreenSaversKey, "Mute Sound", settings.muteSound),
          activeConfig_(brix::ScreenSaversKey, "Active Config", settings.activeConfig)
    {
    }

    bool Written() const
    {
        return passwordDelay_.Written() && passwordDelayIndex_.Written() && mouseThreshold_.Written() &&
               mouseThresholdIndex_.Written() && mouseCorners_.Written() && muteSound_.Written() &&
               activeConfig_.Written();
    }

private:
    brix::RegistryValueScope passwordDelay_, passwordDelayIndex_, mouseThreshold_, mouseThresholdIndex_,
        mouseCorners_, muteSound_, activeConfig_;
};

// A number: four bytes, whatever type they are stored as.
std::optional<DWORD> StoredNumber(const char *name)
{
    auto value = ReadValue(brix::ScreenSaversKey, name);
    if (!value || value->bytes.size() != sizeof(DWORD))
        return std::nullopt;
    DWORD number = 0;
    std::copy(value->bytes.begin(), value->bytes.end(), reinterpret_cast<char *>(&number));
    return number;
}

// A text value as stored, terminating zero included, so that the length
// the framework stores is checked too.
std::optional<std::string> StoredText(const char *name)
{
    auto value = ReadValue(brix::ScreenSaversKey, name);
    if (!value)
        return std::nullopt;
    return value->bytes;
}

// A combo box's entries, read from another process. The system carries
// the text across in its wide form, and Wine's conversion of an ANSI
// request writes that wide text into the caller's buffer, twice the bytes
// asked for; so the request is a wide one, into room to spare.
std::vector<std::string> ComboEntries(HWND combo)
{
    constexpr std::size_t Room = 512;
    std::vector<std::string> entries;
    const LRESULT count = Ask(combo, CB_GETCOUNT);
    for (LRESULT i = 0; i < count; ++i) {
        const LRESULT length = Ask(combo, CB_GETLBTEXTLEN, i);
        if (length < 0 || static_cast<std::size_t>(length) >= Room)
            break;
        std::wstring text(Room, L'\0');
        DWORD_PTR copied = 0;
        if (!SendMessageTimeoutW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(&text[0]), SMTO_ABORTIFHUNG,
                                 AnswerLimitMs, &copied))
            break;
        text.resize(wcsnlen(text.c_str(), Room));
        std::string entry;
        for (wchar_t c : text)
            entry += c < 128 ? static_cast<char>(c) : '?';
        entries.push_back(entry);
    }
    return entries;
}

bool Ticked(HWND button)
{
    return Ask(button, BM_GETCHECK) == BST_CHECKED;
}

// What the General page shows.
struct GeneralPageView {
    HWND page = nullptr;
    std::vector<std::string> sensitivities;
    int sensitivity = -1;
    std::string delay;
    std::vector<std::string> units;
    int unit = -1;
    DWORD corners = 0;  // the monitor control's MS_C... styles
    bool muteShown = false;
    bool muteTicked = false;
    bool activeConfigShown = false;
    bool activeConfigTicked = false;
};

// The page is a dialog inside the sheet.
HWND GeneralPageOf(HWND sheet)
{
    for (const driver::WindowInfo &child : driver::ChildWindowsOf(sheet))
        if (child.IsDialog() && GetDlgItem(child.handle, IDC_SENSITIVITY))
            return child.handle;
    return nullptr;
}

GeneralPageView ReadGeneralPage(HWND sheet)
{
    GeneralPageView view;
    view.page = GeneralPageOf(sheet);
    if (!view.page)
        return view;
    HWND sensitivity = GetDlgItem(view.page, IDC_SENSITIVITY);
    view.sensitivities = ComboEntries(sensitivity);
    view.sensitivity = static_cast<int>(Ask(sensitivity, CB_GETCURSEL));
    view.delay = driver::WindowText(GetDlgItem(view.page, IDC_PASSWORD_DELAY));
    HWND unit = GetDlgItem(view.page, IDC_PASSWORD_DELAY_UNIT);
    view.units = ComboEntries(unit);
    view.unit = static_cast<int>(Ask(unit, CB_GETCURSEL));
    view.corners = static_cast<DWORD>(GetWindowLongA(GetDlgItem(view.page, IDC_CORNERS), GWL_STYLE)) & MS_CORNERMASK;
    HWND mute = GetDlgItem(view.page, IDC_MUTE_SOUND);
    view.muteShown = IsWindowVisible(mute) && IsWindowEnabled(mute);
    view.muteTicked = Ticked(mute);
    HWND activeConfig = GetDlgItem(view.page, IDC_ACTIVE_CONFIG);
    view.activeConfigShown = IsWindowVisible(activeConfig) && IsWindowEnabled(activeConfig);
    view.activeConfigTicked = Ticked(activeConfig);
    return view;
}

// Moves through the mouse-sensitivity list with an arrow key, as a user
// does with the list closed: each move is a choice the page hears of.
void ChooseSensitivity(HWND page, UINT arrow, int presses)
{
    HWND list = GetDlgItem(page, IDC_SENSITIVITY);
    for (int i = 0; i < presses; ++i)
        driver::PostKeyPress(list, arrow);
}

bool WaitUntilStored(const char *name, DWORD value)
{
    return driver::WaitUntil([&] { return StoredNumber(name) == Code(value); }, driver::DefaultWaitMs);
}

// A sheet with the OK and Cancel buttons and no Apply button.
void ExpectOkAndCancelOnly(HWND sheet)
{
    HWND ok = GetDlgItem(sheet, IDOK);
    HWND cancel = GetDlgItem(sheet, IDCANCEL);
    HWND apply = GetDlgItem(sheet, ApplyButtonId);
    EXPECT_TRUE(ok && IsWindowVisible(ok));
    EXPECT_EQ(driver::WindowText(ok), "OK");
    EXPECT_TRUE(cancel && IsWindowVisible(cancel));
    EXPECT_EQ(driver::WindowText(cancel), "Cancel");
    EXPECT_FALSE(apply && IsWindowVisible(apply));
}

// A hidden top-level window of this process that notes the section named
// by every WM_WININICHANGE it receives: a broadcast reaches it as it
// reaches every top-level window. Its class is a Unicode one, so the system
// hands it the section as wide text whichever form the sender used.
class BroadcastListener {
public:
    BroadcastListener()
    {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = Procedure;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = ClassName;
        RegisterClassW(&windowClass);
        handle_ = CreateWindowExW(0, ClassName, L"Broadcast listener", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
        SetWindowLongPtrW(handle_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        PumpMessages();
    }
    ~BroadcastListener()
    {
        if (handle_)
            DestroyWindow(handle_);
    }
    BroadcastListener(const BroadcastListener &) = delete;
    BroadcastListener &operator=(const BroadcastListener &) = delete;

    bool Exists() const { return handle_ != nullptr; }

    bool Heard(const std::wstring &section) const
    {
        return std::find(sections_.begin(), sections_.end(), section) != sections_.end();
    }

    std::string Report() const
    {
        std::string text = "WM_WININICHANGE sections heard:";
        for (const std::wstring &section : sections_) {
            text += " \"";
            for (wchar_t c : section)
                text += c < 128 ? static_cast<char>(c) : '?';
            text += "\"";
        }
        return text;
    }

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message == WM_WININICHANGE) {
            auto *self = reinterpret_cast<BroadcastListener *>(GetWindowLongPtrW(window, GWLP_USERDATA));
            if (self)
                self->sections_.push_back(lParam ? reinterpret_cast<const wchar_t *>(lParam) : L"");
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }

    static constexpr const wchar_t *ClassName = L"DusklitBroadcastListener";
    HWND handle_ = nullptr;
    std::vector<std::wstring> sections_;
};

// brix.scr with the arguments: the demo, Escape, then the sheet.
std::optional<driver::MessageBoxInfo> OpenSheetAfterDemo(ProgramDriver &program, const std::string &arguments,
                                                         const driver::StartOptions &options = {})
{
    auto demo = brix::StartWindowedDemo(program, arguments, options);
    if (!demo || !brix::EndDemoWithEscape(program, *demo))
        return std::nullopt;
    return program.WaitForMessageBox(brix::ConfigSheetCaption);
}

// No saver asks for a password when it closes, and the cursor starts where
// it can move 300 pixels to the right and stay on the screen.
class ConfigProgram : public ::testing::Test {
protected:
    brix::RegistryValueScope usePassword_{brix::DesktopKey, "ScreenSaveUsePassword", std::nullopt};

    void SetUp() override
    {
        ASSERT_TRUE(usePassword_.Written());
        ASSERT_TRUE(SetCursorPos(Start.x, Start.y));
    }

    const POINT Start{300, 384};
};

TEST_F(ConfigProgram, TheConfigureSwitchShowsTheStoredSettingsAndOkKeepsTheChoiceAndTellsTheSystem)
{
    StoredSettingsScope stored({120, 1, 400, 2, "YN-N", 1, 1});
    ASSERT_TRUE(stored.Written());

    ProgramDriver program(brix::ProgramPath());
    auto sheet = OpenSheetAfterDemo(program, "/c");
    ASSERT_TRUE(sheet) << program.Report();
    EXPECT_EQ(sheet->window.processId, program.ProcessId());
    ExpectOkAndCancelOnly(sheet->Handle());

    GeneralPageView page = ReadGeneralPage(sheet->Handle());
    ASSERT_TRUE(page.page) << driver::Describe(driver::ChildWindowsOf(sheet->Handle()));
    EXPECT_EQ(page.sensitivities, SensitivityEntries);
    EXPECT_EQ(page.sensitivity, 2);
    // 120 seconds, shown in minutes.
    EXPECT_EQ(page.delay, "2");
    EXPECT_EQ(page.units, UnitEntries);
    EXPECT_EQ(page.unit, 1);
    EXPECT_EQ(page.corners, static_cast<DWORD>(MS_CTOPLEFTNOW | MS_CTOPRIGHTNEV | MS_CBOTLEFTNEV));
    // brix.scr keeps the default preferences: they offer Mute Sound, and
    // not active configuration, whatever the registry says.
    EXPECT_TRUE(page.muteShown);
    EXPECT_TRUE(page.muteTicked);
    EXPECT_FALSE(page.activeConfigShown);

    // "High", two entries up, is stored at once.
    ChooseSensitivity(page.page, VK_UP, 2);
    EXPECT_TRUE(WaitUntilStored("Mouse Threshold Index", 0)) << program.Report();
    EXPECT_EQ(StoredNumber("Mouse Threshold"), Code(0));

    // OK tells every top-level window. The broadcast waits only briefly for
    // each window, so this thread answers from before the press on.
    BroadcastListener listener;
    ASSERT_TRUE(listener.Exists());
    ASSERT_TRUE(driver::ClickDialogButton(sheet->Handle(), IDOK));
    EXPECT_TRUE(PumpingWaitUntil([&] { return listener.Heard(L"Windows") && !program.Running(); },
                                 driver::DefaultWaitMs))
        << listener.Report() << "\n" << program.Report();
    EXPECT_EQ(program.WaitForExit(), Code(SheetOkCode)) << program.Report();
    EXPECT_FALSE(program.EndedByDriver());
    EXPECT_TRUE(program.UnhandledExceptions().empty()) << program.Report();

    // The choice stays; the rest is as it was.
    EXPECT_EQ(StoredNumber("Mouse Threshold Index"), Code(0));
    EXPECT_EQ(StoredNumber("Mouse Threshold"), Code(0));
    EXPECT_EQ(StoredNumber("Password Delay"), Code(120));
    EXPECT_EQ(StoredNumber("Password Delay Index"), Code(1));
    EXPECT_EQ(StoredText("Mouse Corners"), std::optional<std::string>(std::string("YN-N", 5)));
    EXPECT_EQ(StoredNumber("Mute Sound"), Code(1));
    EXPECT_EQ(StoredNumber("Active Config"), Code(1));
}

TEST_F(ConfigProgram, NoSwitchShowsTheStoredSettingsWithoutAnOwnerAndCancelPutsThemBack)
{
    StoredSettingsScope stored({45, 0, 999999, 3, "-Y-Y", 0, 0});
    ASSERT_TRUE(stored.Written());

    ProgramDriver program(brix::ProgramPath());
    auto sheet = OpenSheetAfterDemo(program, "");
    ASSERT_TRUE(sheet) << program.Report();
    ExpectOkAndCancelOnly(sheet->Handle());
    // The sheet belongs to the framework's hidden host, which has no owner
    // when the command line is empty.
    HWND host = GetWindow(sheet->Handle(), GW_OWNER);
    ASSERT_TRUE(host);
    EXPECT_FALSE(IsWindowVisible(host));
    EXPECT_EQ(GetWindow(host, GW_OWNER), nullptr);

    GeneralPageView page = ReadGeneralPage(sheet->Handle());
    ASSERT_TRUE(page.page) << driver::Describe(driver::ChildWindowsOf(sheet->Handle()));
    EXPECT_EQ(page.sensitivities, SensitivityEntries);
    EXPECT_EQ(page.sensitivity, 3);
    EXPECT_EQ(page.delay, "45");
    EXPECT_EQ(page.units, UnitEntries);
    EXPECT_EQ(page.unit, 0);
    EXPECT_EQ(page.corners, static_cast<DWORD>(MS_CTOPRIGHTNOW | MS_CBOTLEFTNOW));
    EXPECT_TRUE(page.muteShown);
    EXPECT_FALSE(page.muteTicked);
    EXPECT_FALSE(page.activeConfigShown);

    // "Low" is stored at once; Cancel puts "Keyboard only" back.
    ChooseSensitivity(page.page, VK_UP, 1);
    EXPECT_TRUE(WaitUntilStored("Mouse Threshold Index", 2)) << program.Report();
    EXPECT_EQ(StoredNumber("Mouse Threshold"), Code(400));
    ASSERT_TRUE(driver::ClickDialogButton(sheet->Handle(), IDCANCEL));
    EXPECT_EQ(program.WaitForExit(), Code(SheetCancelCode)) << program.Report();
    EXPECT_FALSE(program.EndedByDriver());
    EXPECT_TRUE(program.UnhandledExceptions().empty()) << program.Report();

    EXPECT_EQ(StoredNumber("Mouse Threshold Index"), Code(3));
    EXPECT_EQ(StoredNumber("Mouse Threshold"), Code(999999));
    EXPECT_EQ(StoredNumber("Password Delay"), Code(45));
    EXPECT_EQ(StoredNumber("Password Delay Index"), Code(0));
    EXPECT_EQ(StoredText("Mouse Corners"), std::optional<std::string>(std::string("-Y-Y", 5)));
    EXPECT_EQ(StoredNumber("Mute Sound"), Code(0));
}

TEST_F(ConfigProgram, WithTheDefaultPreferencesShiftClosesTheSaverEvenWhenTheUserAllowsActiveConfiguration)
{
    brix::RegistryValueScope allowed{brix::ScreenSaversKey, "Active Config", 1};
    // Mouse movement never closes it: only the key can.
    brix::RegistryValueScope threshold{brix::ScreenSaversKey, "Mouse Threshold", 999999};
    ASSERT_TRUE(allowed.Written() && threshold.Written());

    ProgramDriver program(brix::ProgramPath());
    auto saver = brix::StartSaver(program, "/s");
    ASSERT_TRUE(saver) << program.Report();

    // A sheet would keep the program running until someone answered it.
    ASSERT_TRUE(driver::SendKeyPress(VK_SHIFT));
    EXPECT_EQ(program.WaitForExit(), Code(brix::SaverClosedCode)) << program.Report();
    EXPECT_FALSE(program.EndedByDriver());
    EXPECT_TRUE(program.UnhandledExceptions().empty()) << program.Report();
}

// The lines active_config_saver reports, as they reach the debug-output channel.
std::string Reported(const std::string &text)
{
    return "active_config_saver: " + text;
}

std::ptrdiff_t PositionInOutput(const std::vector<std::string> &output, const std::string &text)
{
    auto found = std::find_if(output.begin(), output.end(),
                              [&](const std::string &line) { return line.find(text) != std::string::npos; });
    return found == output.end() ? -1 : found - output.begin();
}

// Starts the saver full screen and waits for its first tick; its window,
// or null when it did not get that far.
HWND StartTickingSaver(ProgramDriver &program)
{
    if (!program.Start("/s"))
        return nullptr;
    auto saver = program.WaitForWindowOfClass(brix::SaverClass);
    if (!saver || !program.WaitForDebugOutput(Reported("tick 1")))
        return nullptr;
    return saver->handle;
}

TEST_F(ConfigProgram, ShiftOpensTheSheetOverASaverThatOffersItAndANewSensitivityReachesTheSaverAtOnce)
{
    // "Normal", and the user allows active configuration. A change on the
    // page stores every setting, so all of them are put back afterwards.
    StoredSettingsScope stored({60, 0, 200, 1, "----", 0, 1});
    ASSERT_TRUE(stored.Written());

    ProgramDriver program(ACTIVE_CONFIG_SAVER_PATH);
    HWND window = StartTickingSaver(program);
    ASSERT_TRUE(window) << program.Report();

    ASSERT_TRUE(driver::SendKeyPress(VK_SHIFT));
    auto sheet = program.WaitForMessageBox(brix::ConfigSheetCaption);
    ASSERT_TRUE(sheet) << program.Report();
    // Over the saver, which stays up: the sheet belongs to the framework's
    // hidden host, which the saver's window owns, and comes first in Z order.
    EXPECT_TRUE(IsWindowVisible(window));
    HWND host = GetWindow(sheet->Handle(), GW_OWNER);
    ASSERT_TRUE(host);
    EXPECT_FALSE(IsWindowVisible(host));
    EXPECT_EQ(GetWindow(host, GW_OWNER), window);
    const std::vector<driver::WindowInfo> windows = program.Windows();
    ASSERT_FALSE(windows.empty());
    EXPECT_EQ(windows.front().handle, sheet->Handle()) << driver::Describe(windows);
    ExpectOkAndCancelOnly(sheet->Handle());

    // The saver offers active configuration and the user allows it.
    GeneralPageView page = ReadGeneralPage(sheet->Handle());
    ASSERT_TRUE(page.page) << driver::Describe(driver::ChildWindowsOf(sheet->Handle()));
    EXPECT_TRUE(page.activeConfigShown);
    EXPECT_TRUE(page.activeConfigTicked);
    EXPECT_EQ(page.sensitivity, 1);

    // "Low" reaches the saver while the sheet is still open, as a live
    // change, and the framework wakes the saver's timer for it: the
    // hour-long period gives no other reason for a second tick.
    ChooseSensitivity(page.page, VK_DOWN, 1);
    const std::string liveChange = Reported("settings 0xD001: mouse threshold 400");
    ASSERT_TRUE(program.WaitForDebugOutput(liveChange)) << program.Report();
    ASSERT_TRUE(program.WaitForDebugOutput(Reported("tick 2"))) << program.Report();
    const std::vector<std::string> output = program.DebugOutput();
    EXPECT_LT(PositionInOutput(output, liveChange), PositionInOutput(output, Reported("tick 2")));
    EXPECT_TRUE(IsWindowVisible(sheet->Handle()));
    EXPECT_EQ(StoredNumber("Mouse Threshold"), Code(400));

    // OK: the saver hears that the change was applied, the sheet closes and
    // the saver goes on.
    ASSERT_TRUE(program.Answer(*sheet, IDOK)) << program.Report();
    ASSERT_TRUE(program.WaitForDebugOutput(Reported("settings 0xE001: mouse threshold 400"))) << program.Report();
    ASSERT_TRUE(program.WaitForDebugOutput("Finished active config dialog")) << program.Report();
    EXPECT_TRUE(program.Running());
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_TRUE(program.MessageBoxes().empty()) << program.Report();

    // 300 pixels to the right: beyond the old threshold, within the new one.
    // The saver reports the move after the framework has judged it.
    ASSERT_TRUE(driver::SendMouseMoveTo(Start.x + 300, Start.y));
    ASSERT_TRUE(program.WaitForDebugOutput(
        Reported("mouse at " + std::to_string(Start.x + 300) + "," + std::to_string(Start.y))))
        << program.Report();
    EXPECT_FALSE(program.DebugOutputContains("gone beyond threshold")) << program.Report();
    ASSERT_TRUE(program.Running()) << program.Report();

    // A key ends it.
    ASSERT_TRUE(driver::SendKeyPress('A'));
    EXPECT_EQ(program.WaitForExit(), Code(brix::SaverClosedCode)) << program.Report();
    EXPECT_FALSE(program.EndedByDriver());
    EXPECT_TRUE(program.DebugOutputContains("WM_KEYDOWN: Misc key pressed: sending Close")) << program.Report();
    EXPECT_TRUE(program.UnhandledExceptions().empty()) << program.Report();
}

#ifdef DUSKLIT_WITH_STANDINS

// How often the stand-in provider with this key was told of a change.
DWORD ProviderChanges(const char *providerKey)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, providerKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return 0;
    DWORD count = 0;
    DWORD size = sizeof count;
    if (RegQueryValueExA(key, STANDIN_CHANGED_VALUE, nullptr, nullptr, reinterpret_cast<BYTE *>(&count), &size) !=
        ERROR_SUCCESS)
        count = 0;
    RegCloseKey(key);
    return count;
}

TEST_F(ConfigProgram, AChangeIsToldToTheInstalledProvidersAndNeverToImpostors)
{
    StoredSettingsScope stored({60, 0, 0, 0, "----", 0, 0});
    ASSERT_TRUE(stored.Written());
    brix::RegistryValueScope sageChanges{STANDIN_SAGE_KEY, STANDIN_CHANGED_VALUE, 0};
    brix::RegistryValueScope cornixChanges{STANDIN_CORNIX_KEY, STANDIN_CHANGED_VALUE, 0};
    ASSERT_TRUE(sageChanges.Written() && cornixChanges.Written());

    PlantedDirectory programDirectory;
    ASSERT_TRUE(programDirectory.Copy(driver::WindowsPath(brix::ProgramPath()), "brix.scr"));
    PlantedDirectory working;
    for (const char *provider : {"Sage.DLL", "Cornix.dll"})
        ASSERT_TRUE(programDirectory.Plant(provider) && working.Plant(provider)) << provider;
    driver::StartOptions options;
    options.workingDirectory = working.Path();

    ProgramDriver program(programDirectory.Path() + "\\brix.scr");
    auto sheet = OpenSheetAfterDemo(program, "/c", options);
    ASSERT_TRUE(sheet) << program.Report();
    GeneralPageView page = ReadGeneralPage(sheet->Handle());
    ASSERT_TRUE(page.page) << driver::Describe(driver::ChildWindowsOf(sheet->Handle()));

    // "Normal", one entry down from "High".
    ChooseSensitivity(page.page, VK_DOWN, 1);
    EXPECT_TRUE(WaitUntilStored("Mouse Threshold Index", 1)) << program.Report();
    EXPECT_TRUE(driver::WaitUntil([] {
        return ProviderChanges(STANDIN_SAGE_KEY) >= 1 && ProviderChanges(STANDIN_CORNIX_KEY) >= 1;
    }, driver::DefaultWaitMs)) << program.Report();

    ASSERT_TRUE(driver::ClickDialogButton(sheet->Handle(), IDCANCEL));
    EXPECT_EQ(program.WaitForExit(), Code(SheetCancelCode)) << program.Report();
    EXPECT_TRUE(program.UnhandledExceptions().empty()) << program.Report();
    EXPECT_EQ(programDirectory.Loaded(), std::vector<std::string>{});
    EXPECT_EQ(working.Loaded(), std::vector<std::string>{});
}

#endif // DUSKLIT_WITH_STANDINS

// Every thread of a process.
std::vector<DWORD> ThreadsOf(DWORD processId)
{
    std::vector<DWORD> threads;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return threads;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
        if (entry.th32OwnerProcessID == processId)
            threads.push_back(entry.th32ThreadID);
    CloseHandle(snapshot);
    return threads;
}

// Numbers another program may send in place of pointers: the first page,
// and an address no 32-bit program can read.
const LPARAM Bogus[] = {0x10, static_cast<LPARAM>(0xFFFF0010u)};

TEST_F(ConfigProgram, WhatAnotherProgramSendsEndsNoSaverCrashesNoSheetAndSkipsNoPassword)
{
    // No password delay, the keyboard alone closes, active configuration allowed.
    StoredSettingsScope stored({0, 0, 999999, 3, "----", 0, 1});
    ASSERT_TRUE(stored.Written());
    ProgramDriver program(ACTIVE_CONFIG_SAVER_PATH);
    HWND window = StartTickingSaver(program);
    ASSERT_TRUE(window) << program.Report();
    RECT screen{};
    GetWindowRect(window, &screen);

    // At the saver: settings that the framework did not send, a had-enough
    // the timer did not post, a configuration nobody asked for, a second
    // creation (which would restart the password delay), a destruction
    // that is none, and WM_QUIT to the window and to every thread.
    for (LPARAM number : Bogus) {
        Ask(window, SCRM_SETTINGSCHANGED, SCRCHANGE_GENERAL | SCRCHANGE_LIVE, number);
        PostMessageA(window, SCRM_SETTINGSCHANGED, SCRCHANGE_GENERAL, number);
    }
    PostMessageA(window, SCRM_INTERNAL, 1, 0);
    ASSERT_TRUE(program.WaitForDebugOutput("SCRINTERNAL_HADENOUGH: the timer did not ask to stop, so ignoring it"))
        << program.Report();
    Ask(window, SCRM_ACTIVECONFIG);
    CREATESTRUCTA create{};
    create.lpszName = "SaverWindow";
    create.lpszClass = "ZoScreenSaverClass";
    Ask(window, WM_CREATE, 0, reinterpret_cast<LPARAM>(&create));
    Ask(window, WM_DESTROY);
    PostMessageA(window, WM_DESTROY, 0, 0);
    PostMessageA(window, WM_QUIT, 0, 0);
    for (DWORD thread : ThreadsOf(program.ProcessId()))
        PostThreadMessageA(thread, WM_QUIT, 0, 0);
    Sleep(driver::Limit(1500));
    ASSERT_TRUE(program.Running()) << program.Report();
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_TRUE(program.MessageBoxes().empty()) << "no configuration opened: " << program.Report();

    // A destruction that is none tells the saver nothing.
    Ask(window, WM_NCDESTROY);
    PostMessageA(window, WM_NCDESTROY, 0, 0);
    Sleep(driver::Limit(500));
    EXPECT_FALSE(program.DebugOutputContains(Reported("destroyed"))) << program.Report();

    // At the sheet that Shift opens over the saver (no password is set up
    // yet): notices, initialisations and sheet requests with numbers in
    // them, sent and posted, and the slots of the host and the page.
    ASSERT_TRUE(driver::SendKeyPress(VK_SHIFT));
    auto sheet = program.WaitForMessageBox(brix::ConfigSheetCaption);
    ASSERT_TRUE(sheet) << program.Report();
    HWND host = GetWindow(sheet->Handle(), GW_OWNER);
    HWND page = GeneralPageOf(sheet->Handle());
    ASSERT_TRUE(host && page) << driver::Describe(driver::ChildWindowsOf(sheet->Handle()));
    for (LPARAM number : Bogus) {
        Ask(host, SCRM_SETTINGSCHANGED, 0, number);
        Ask(host, WM_INITDIALOG, 0, number);
        Ask(page, WM_INITDIALOG, 0, number);
        Ask(sheet->Handle(), PSM_SETTITLEA, 0, number);
        PostMessageA(page, WM_NOTIFY, 0, number);
        PostMessageA(page, WM_INITDIALOG, 0, number);
        PostMessageA(sheet->Handle(), PSM_SETTITLEA, 0, number);
        PostMessageA(GetDlgItem(page, IDC_PASSWORD_DELAY_ARROWS), UDM_GETRANGE32, number, number);
    }
    // Requests that would have the Wait arrows or the sheet write through
    // a number, and a destruction that would take the host's mark and the
    // filter of posted messages with it.
    HWND arrows = GetDlgItem(page, IDC_PASSWORD_DELAY_ARROWS);
    const LRESULT range = Ask(arrows, UDM_GETRANGE);
    Ask(arrows, UDM_GETRANGE32, Bogus[1], Bogus[1]);
    Ask(arrows, UDM_SETRANGE32, 1, 2);
    Ask(sheet->Handle(), WM_NOTIFY, 0, Bogus[0]);
    Ask(host, WM_NCDESTROY);
    PostMessageA(sheet->Handle(), PSM_SETTITLEA, 0, Bogus[1]);
    Ask(sheet->Handle(), WM_NULL);
    EXPECT_EQ(Ask(arrows, UDM_GETRANGE), range);
    const LONG_PTR ownProc = SetWindowLongPtrA(host, DWLP_USER, Bogus[1]);
    const LONG_PTR record = SetWindowLongPtrA(host, GWLP_USERDATA, Bogus[1]);
    const LONG_PTR settings = SetWindowLongPtrA(page, DWLP_USER, Bogus[1]);
    Ask(sheet->Handle(), WM_NULL);
    Ask(page, WM_COMMAND, MAKEWPARAM(IDC_MUTE_SOUND, BN_CLICKED),
        reinterpret_cast<LPARAM>(GetDlgItem(page, IDC_MUTE_SOUND)));
    SetWindowLongPtrA(host, DWLP_USER, ownProc);
    SetWindowLongPtrA(host, GWLP_USERDATA, record);
    SetWindowLongPtrA(page, DWLP_USER, settings);
    Sleep(driver::Limit(1500));
    ASSERT_TRUE(program.Running()) << program.Report();
    EXPECT_TRUE(IsWindowVisible(sheet->Handle()));
    EXPECT_EQ(driver::WindowText(sheet->Handle()), brix::ConfigSheetCaption);

    ASSERT_TRUE(program.Answer(*sheet, IDCANCEL)) << program.Report();
    ASSERT_TRUE(program.WaitForDebugOutput("Finished active config dialog")) << program.Report();
    EXPECT_TRUE(IsWindowVisible(window));

    // With a password set up now, closing asks for it (what the provider
    // then does is its own business).
    brix::RegistryValueScope usePassword{brix::DesktopKey, "ScreenSaveUsePassword", 1};
    ASSERT_TRUE(usePassword.Written());
    // The window stays what and where it is, whatever another program asks
    // of it: system commands with low bits set, a move, a lower place, a
    // hide, a minimised window, a child's style, no topmost style. What
    // takes the activation from it asks for the password; the answer is
    // no.
    for (WPARAM command : {SC_MINIMIZE | 2, SC_MAXIMIZE | 2, SC_MOVE | 2, SC_SIZE | 8, SC_SCREENSAVE | 1,
                           SC_CLOSE | 1, SC_TASKLIST | 3, SC_KEYMENU | 1})
        PostMessageA(window, WM_SYSCOMMAND, command, 0);
    SetWindowPos(window, HWND_NOTOPMOST, 100, 100, 200, 150, SWP_NOACTIVATE);
    SetWindowPos(window, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    ShowWindow(window, SW_MINIMIZE);
    ShowWindow(window, SW_HIDE);
    SetWindowLongPtrA(window, GWL_STYLE, WS_CHILD | WS_VISIBLE);
    SetWindowLongPtrA(window, GWL_EXSTYLE, 0);
    while (driver::WaitUntil([&] { return !program.MessageBoxes().empty(); }, 3000))
        ASSERT_TRUE(program.Answer(program.MessageBoxes().front(), IDCANCEL)) << program.Report();
    ASSERT_TRUE(program.Running()) << program.Report();
    const driver::WindowInfo placed = driver::ReadWindow(window);
    EXPECT_TRUE(placed.visible && !IsIconic(window)) << driver::Describe(placed);
    EXPECT_TRUE(EqualRect(&placed.windowRect, &screen)) << driver::Describe(placed);
    EXPECT_TRUE(placed.HasStyle(WS_POPUP) && !placed.HasStyle(WS_CHILD)) << driver::Describe(placed);
    EXPECT_TRUE(placed.HasExStyle(WS_EX_TOPMOST)) << driver::Describe(placed);

    // So does a close after another program made the window an owned one,
    // or a child; and a Shift it posted, which no real key backs, is a
    // close request like any other key, not the configuration.
    const auto asksOnClose = [&](const char *what, const std::function<void()> &attack) {
        const size_t before = program.DebugOutput().size();
        attack();
        EXPECT_TRUE(driver::WaitUntil([&] {
            const std::vector<std::string> output = program.DebugOutput();
            return std::any_of(output.begin() + static_cast<std::ptrdiff_t>(std::min(before, output.size())),
                               output.end(), [](const std::string &line) {
                                   return line.find("WM_CLOSE: starting verify-password message") != std::string::npos;
                               });
        }, driver::DefaultWaitMs)) << what << ": " << program.Report();
        auto box = program.WaitForMessageBox();
        ASSERT_TRUE(box) << what << ": " << program.Report();
        EXPECT_NE(box->window.title, brix::ConfigSheetCaption) << what;
        ASSERT_TRUE(program.Answer(*box, IDCANCEL)) << program.Report();
        EXPECT_TRUE(program.Running() && IsWindowVisible(window)) << what << ": " << program.Report();
    };
    HWND foreign = CreateWindowExA(0, "Static", "foreign", WS_OVERLAPPED, 0, 0, 50, 50, nullptr, nullptr, nullptr,
                                   nullptr);
    asksOnClose("owned", [&] {
        SetWindowLongPtrA(window, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(foreign));
        PostMessageA(window, WM_CLOSE, 0, 0);
    });
    asksOnClose("child", [&] {
        SetParent(window, foreign);
        PostMessageA(window, WM_CLOSE, 0, 0);
    });
    DestroyWindow(foreign);
    asksOnClose("posted Shift", [&] { driver::PostKeyDown(window, VK_SHIFT); });

    ASSERT_TRUE(driver::SendKeyPress('A'));
    EXPECT_TRUE(program.WaitForDebugOutput("WM_CLOSE: starting verify-password message")) << program.Report();
    EXPECT_TRUE(program.DebugOutputContains("NeedPassword: yes, we do need the password")) << program.Report();
    // A WM_QUIT would end the password box as if it had been answered.
    auto box = program.WaitForMessageBox();
    ASSERT_TRUE(box) << program.Report();
    for (DWORD thread : ThreadsOf(program.ProcessId()))
        PostThreadMessageA(thread, WM_QUIT, 1, 0);
    Sleep(driver::Limit(1500));
    EXPECT_TRUE(program.Running() && IsWindowVisible(box->Handle())) << program.Report();
    EXPECT_TRUE(program.UnhandledExceptions().empty()) << program.Report();
}

}  // namespace
