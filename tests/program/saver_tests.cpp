// brix.scr's saver modes, after the demo, on the bare X server: the
// full-screen saver with the system told that it runs, ending on real
// mouse movement and on a key, and the preview inside a window of this
// process, ending when that window goes; with the stand-in password
// provider installed in the system directory, the password asked before
// the saver may close, and impostors of the provider in the working
// directory and beside the program never loaded.
//
// The TwoMonitors cases run on two monitors side by side instead
// (program_saver_two_monitors): the saver covers both, hears input on
// either, tells a saver the system's monitors and follows one removed.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "tests/program/brix_steps.h"
#include "tests/support/exit_code.h"
#include "tests/support/message_pump.h"
#include "tests/support/preview_host.h"
#include "tests/support/process_windows.h"

#ifdef DUSKLIT_WITH_STANDINS
#include "standins/password_store/password_store.h"
#include "standins/standin_registry.h"
#include "tests/support/standins.h"
#endif

using driver::ProgramDriver;

namespace {

// Whether the system says that a screen saver runs, as a process started
// now reads it (see screensaver_state.cpp for why not this one).
std::optional<bool> ScreenSaverRunningAsANewProcessSeesIt()
{
    const auto code = driver::RunToEnd("\"" + driver::WindowsPath(SCREENSAVER_STATE_PATH) + "\"", 30000);
    if (!code || *code > 1)
        return std::nullopt;
    return *code == 1;
}

// The settings every case here relies on, whatever earlier runs left: any
// movement of the cursor closes the saver, and no password is asked.
class SaverProgram : public ::testing::Test {
protected:
    brix::RegistryValueScope threshold_{brix::ScreenSaversKey, "Mouse Threshold", 0};
    brix::RegistryValueScope usePassword_{brix::DesktopKey, "ScreenSaveUsePassword", std::nullopt};

    void SetUp() override
    {
        ASSERT_TRUE(threshold_.Written());
        ASSERT_TRUE(usePassword_.Written());
        // Away from the corners, so a move in any direction stays on screen.
        ASSERT_TRUE(SetCursorPos(Start.x, Start.y));
    }

    const POINT Start{512, 384};
};

TEST_F(SaverProgram, ShowsATopmostScreenSizedWindowWhileTheSystemKnowsASaverRunsAndMouseMovementEndsIt)
{
    // A known state before the run: whatever an earlier run may have left.
    BOOL scratch = FALSE;
    SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, FALSE, &scratch, 0);
    ASSERT_EQ(ScreenSaverRunningAsANewProcessSeesIt(), std::optional<bool>(false));

    ProgramDriver program(brix::ProgramPath());
    auto saver = brix::StartSaver(program, "/s");
    ASSERT_TRUE(saver) << program.Report();
    EXPECT_EQ(saver->title, brix::SaverTitle);
    EXPECT_EQ(saver->processId, program.ProcessId());
    // The system gives every top-level window WS_CLIPSIBLINGS beside the
    // popup style the framework asks for.
    EXPECT_EQ(saver->style, static_cast<DWORD>(WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS)) << driver::Describe(*saver);
    EXPECT_EQ(saver->exStyle, static_cast<DWORD>(WS_EX_TOPMOST)) << driver::Describe(*saver);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1024);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 768);
    EXPECT_EQ(saver->windowRect.left, 0);
    EXPECT_EQ(saver->windowRect.top, 0);
    EXPECT_EQ(saver->Width(), 1024);
    EXPECT_EQ(saver->Height(), 768);
    // The demo's window is gone, and nothing else of the program shows.
    EXPECT_EQ(program.Windows().size(), 1u) << driver::Describe(program.Windows());

    EXPECT_EQ(ScreenSaverRunningAsANewProcessSeesIt(), std::optional<bool>(true));

    // A mouse message without movement (the system sends such ones when a
    // window appears under the cursor) leaves the saver up, even with a
    // threshold of 0; so does waiting.
    POINT cursor{};
    ASSERT_TRUE(GetCursorPos(&cursor));
    EXPECT_EQ(cursor.x, Start.x);
    EXPECT_EQ(cursor.y, Start.y);
    driver::PostMouseMove(saver->handle, cursor.x, cursor.y);
    Sleep(driver::Limit(1500));
    ASSERT_TRUE(program.Running()) << program.Report();
    ASSERT_TRUE(IsWindow(saver->handle));

    // Real movement of a few pixels, routed by the system to the window
    // under the cursor.
    ASSERT_TRUE(driver::SendMouseMoveTo(cursor.x + 3, cursor.y + 2));
    EXPECT_EQ(program.WaitForExit(), Code(brix::SaverClosedCode)) << program.Report();
    EXPECT_FALSE(program.EndedByDriver());
    EXPECT_FALSE(IsWindow(saver->handle));
    EXPECT_TRUE(program.UnhandledExceptions().empty()) << program.Report();

    EXPECT_EQ(ScreenSaverRunningAsANewProcessSeesIt(), std::optional<bool>(false));
}

TEST_F(SaverProgram, AKeyPressEndsTheSaver)
{
    ProgramDriver program(brix::ProgramPath());
    auto saver = brix::StartSaver(program, "/s");
    ASSERT_TRUE(saver) << program.Report();
    // Up on its own, so it is the key that ends it.
    Sleep(driver::Limit(1000));
    ASSERT_TRUE(program.Running()) << program.Report();

    // A real key, which the system gives to the saver as the active window.
    ASSERT_TRUE(driver::SendKeyPress('A'));
    EXPECT_EQ(program.WaitForExit(), Code(brix::SaverClosedCode)) << program.Report();
    EXPECT_FALSE(program.EndedByDriver());
    EXPECT_TRUE(program.UnhandledExceptions().empty()) << program.Report();
}

TEST_F(SaverProgram, PreviewFillsTheGivenWindowAndEndsWhenThatWindowIsDestroyed)
{
    PreviewHost host;
    ASSERT_TRUE(host.Handle());
    RECT hostRect{};
    GetWindowRect(host.Handle(), &hostRect);
    POINT hostClientOrigin{0, 0};
    ClientToScreen(host.Handle(), &hostClientOrigin);

    const std::string number = std::to_string(reinterpret_cast<UINT_PTR>(host.Handle()));
    ProgramDriver program(brix::ProgramPath());
    auto demo = brix::StartWindowedDemo(program, "/p " + number);
    ASSERT_TRUE(demo) << program.Report();
    ASSERT_TRUE(brix::EndDemoWithEscape(program, *demo)) << program.Report();

    const auto shown = brix::WaitForChildOfClass(program, host.Handle(), brix::SaverClass);
    ASSERT_TRUE(shown) << program.Report();
    const driver::WindowInfo preview = *shown;

    EXPECT_EQ(preview.title, brix::PreviewTitle);
    EXPECT_EQ(preview.processId, program.ProcessId());
    EXPECT_EQ(GetParent(preview.handle), host.Handle());
    EXPECT_EQ(preview.style, static_cast<DWORD>(WS_CHILD | WS_VISIBLE)) << driver::Describe(preview);
    EXPECT_EQ(preview.exStyle, 0u) << driver::Describe(preview);
    // At the top left of the client area, as large as the whole host window.
    EXPECT_EQ(preview.windowRect.left, hostClientOrigin.x);
    EXPECT_EQ(preview.windowRect.top, hostClientOrigin.y);
    EXPECT_EQ(preview.Width(), hostRect.right - hostRect.left);
    EXPECT_EQ(preview.Height(), hostRect.bottom - hostRect.top);
    // No full-screen saver beside it.
    EXPECT_FALSE(program.WindowOfClass(brix::SaverClass)) << driver::Describe(program.Windows());

    // A preview does not end by itself.
    PumpingWaitUntil([] { return false; }, 1500);
    ASSERT_TRUE(program.Running()) << program.Report();
    ASSERT_TRUE(IsWindow(preview.handle));

    host.Destroy();
    EXPECT_TRUE(program.WaitUntilGone(preview.handle)) << program.Report();
    EXPECT_EQ(program.WaitForExit(), Code(brix::SaverClosedCode)) << program.Report();
    EXPECT_FALSE(program.EndedByDriver());
    EXPECT_TRUE(program.UnhandledExceptions().empty()) << program.Report();
}

#ifdef DUSKLIT_WITH_STANDINS

// Types the letters as real keys into the password box, which has the
// keyboard focus, and waits until its edit holds them all: a button press
// is posted, and posted messages overtake typed keys still in the queue.
bool TypeIntoPasswordBox(const driver::MessageBoxInfo &box, const std::string &lowerCaseLetters)
{
    for (char letter : lowerCaseLetters)
        if (!driver::SendKeyPress(static_cast<UINT>(letter - 'a' + 'A')))
            return false;
    HWND edit = GetDlgItem(box.Handle(), STANDIN_IDC_PASSWORD);
    return edit && driver::WaitUntil([&] {
        return SendMessageA(edit, WM_GETTEXTLENGTH, 0, 0) == static_cast<LRESULT>(lowerCaseLetters.size());
    }, 10000);
}

// The system setting says the saver uses a password, with no delay, and
// the installed stand-in provider holds a password of this test's choosing.
class PasswordProgram : public SaverProgram {
protected:
    brix::RegistryValueScope usePasswordOn_{brix::DesktopKey, "ScreenSaveUsePassword", 1};
    brix::RegistryValueScope noDelay_{brix::ScreenSaversKey, "Password Delay", 0};
    brix::RegistryValueScope salt_{STANDIN_PASSWORD_KEY, STANDIN_SALT_VALUE, std::nullopt};
    brix::RegistryValueScope hash_{STANDIN_PASSWORD_KEY, STANDIN_HASH_VALUE, std::nullopt};

    void SetUp() override
    {
        SaverProgram::SetUp();
        ASSERT_TRUE(usePasswordOn_.Written());
        ASSERT_TRUE(noDelay_.Written());
        ASSERT_TRUE(salt_.Written() && hash_.Written());
        ASSERT_EQ(StorePassword(Password), static_cast<DWORD>(ERROR_SUCCESS));
    }

    static constexpr const char *Password = "dusk";
};

// The program runs from a directory of its own with an impostor
// PASSWORD.CPL beside it, and is started in another directory holding one
// too: neither is loaded, the installed provider asks.
TEST_F(PasswordProgram, ClosingAsksTheInstalledProviderAndOnlyTheRightPasswordEndsTheSaver)
{
    PlantedDirectory programDirectory;
    ASSERT_TRUE(programDirectory.Copy(driver::WindowsPath(brix::ProgramPath()), "brix.scr"));
    ASSERT_TRUE(programDirectory.Plant("PASSWORD.CPL"));
    PlantedDirectory working;
    ASSERT_TRUE(working.Plant("PASSWORD.CPL"));
    driver::StartOptions options;
    options.workingDirectory = working.Path();

    ProgramDriver program(programDirectory.Path() + "\\brix.scr");
    auto saver = brix::StartSaver(program, "/s", options);
    ASSERT_TRUE(saver) << program.Report();
    Sleep(driver::Limit(1000));
    ASSERT_TRUE(program.Running()) << program.Report();

    // A key asks to close; the provider's box opens over the saver, which
    // stays up behind it.
    ASSERT_TRUE(driver::SendKeyPress('A'));
    auto box = program.WaitForMessageBox(STANDIN_VERIFY_CAPTION);
    ASSERT_TRUE(box) << program.Report();
    EXPECT_EQ(box->window.owner, saver->handle) << driver::Describe(box->window);
    EXPECT_TRUE(IsWindow(saver->handle));

    // A wrong password: the box closes and the saver keeps running.
    ASSERT_TRUE(TypeIntoPasswordBox(*box, "dawn")) << program.Report();
    ASSERT_TRUE(program.Answer(*box, IDOK)) << program.Report();
    Sleep(driver::Limit(1500));
    ASSERT_TRUE(program.Running()) << program.Report();
    EXPECT_TRUE(IsWindow(saver->handle));
    EXPECT_TRUE(program.MessageBoxes().empty()) << program.Report();

    // The next mouse movement asks again at once: the delay does not start
    // over. The right password ends the saver.
    POINT cursor{};
    ASSERT_TRUE(GetCursorPos(&cursor));
    ASSERT_TRUE(driver::SendMouseMoveTo(cursor.x + 4, cursor.y + 3));
    box = program.WaitForMessageBox(STANDIN_VERIFY_CAPTION);
    ASSERT_TRUE(box) << program.Report();
    ASSERT_TRUE(TypeIntoPasswordBox(*box, Password)) << program.Report();
    ASSERT_TRUE(program.Answer(*box, IDOK)) << program.Report();
    EXPECT_EQ(program.WaitForExit(), Code(brix::SaverClosedCode)) << program.Report();
    EXPECT_FALSE(program.EndedByDriver());
    EXPECT_TRUE(program.UnhandledExceptions().empty()) << program.Report();
    EXPECT_EQ(programDirectory.Loaded(), std::vector<std::string>{});
    EXPECT_EQ(working.Loaded(), std::vector<std::string>{});
}

#endif  // DUSKLIT_WITH_STANDINS

// ---- Two monitors: the primary at (0,0)-(1024,768), the second right of it.

const POINT OnSecondMonitor{1536, 384};

std::string Text(const RECT &rect)
{
    return std::to_string(rect.left) + " " + std::to_string(rect.top) + " " + std::to_string(rect.right) + " " +
           std::to_string(rect.bottom);
}

struct MonitorLines {
    POINT origin;
    std::vector<std::string> lines;
};

BOOL CALLBACK AddMonitorLine(HMONITOR monitor, HDC, RECT *, LPARAM data)
{
    auto &list = *reinterpret_cast<MonitorLines *>(data);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (GetMonitorInfoA(monitor, &info)) {
        OffsetRect(&info.rcMonitor, -list.origin.x, -list.origin.y);
        list.lines.push_back(Text(info.rcMonitor) + ((info.dwFlags & MONITORINFOF_PRIMARY) ? " 1" : " 0"));
    }
    return TRUE;
}

// The system's monitors as a saver should be told them: "left top right
// bottom primary" in the window's client coordinates, sorted.
std::vector<std::string> SystemMonitorsIn(HWND window)
{
    MonitorLines list{{0, 0}, {}};
    ClientToScreen(window, &list.origin);
    EnumDisplayMonitors(nullptr, nullptr, AddMonitorLine, reinterpret_cast<LPARAM>(&list));
    std::sort(list.lines.begin(), list.lines.end());
    return list.lines;
}

// The device name of the monitor that is not the primary one.
std::string SecondMonitorDevice()
{
    MONITORINFOEXA info{};
    info.cbSize = sizeof info;
    HMONITOR monitor = MonitorFromPoint(OnSecondMonitor, MONITOR_DEFAULTTONULL);
    if (!monitor || !GetMonitorInfoA(monitor, &info) || (info.dwFlags & MONITORINFOF_PRIMARY))
        return {};
    return info.szDevice;
}

// Takes the second monitor off the desktop, as a user unplugging it would,
// and puts it back right of the primary one when asked or at the latest
// when it goes, whatever the test's outcome.
class SecondMonitorRemoved {
public:
    explicit SecondMonitorRemoved(std::string device) : device_(std::move(device))
    {
        removed_ = !device_.empty() && Place(0, 0);
    }
    ~SecondMonitorRemoved() { Restore(); }
    SecondMonitorRemoved(const SecondMonitorRemoved &) = delete;
    SecondMonitorRemoved &operator=(const SecondMonitorRemoved &) = delete;

    bool Removed() const { return removed_; }
    bool Restore()
    {
        if (removed_ && Place(1024, 768))
            removed_ = false;
        return !removed_;
    }

private:
    bool Place(DWORD width, DWORD height)
    {
        DEVMODEA mode{};
        mode.dmSize = sizeof mode;
        mode.dmFields = DM_POSITION | DM_PELSWIDTH | DM_PELSHEIGHT;
        mode.dmPelsWidth = width;
        mode.dmPelsHeight = height;
        mode.dmPosition.x = width ? 1024 : 0;
        mode.dmPosition.y = 0;
        return ChangeDisplaySettingsExA(device_.c_str(), &mode, nullptr, CDS_UPDATEREGISTRY | CDS_NORESET,
                                        nullptr) == DISP_CHANGE_SUCCESSFUL &&
               ChangeDisplaySettingsExA(nullptr, nullptr, nullptr, 0, nullptr) == DISP_CHANGE_SUCCESSFUL;
    }

    std::string device_;
    bool removed_ = false;
};

class TwoMonitors : public SaverProgram {
protected:
    void SetUp() override
    {
        SaverProgram::SetUp();
        ASSERT_EQ(GetSystemMetrics(SM_CMONITORS), 2) << "not on the two-monitor display";
        ASSERT_EQ(Text(VirtualScreen()), Text(Both));
    }

    const RECT Both{0, 0, 2048, 768};
};

TEST_F(TwoMonitors, TheSaverCoversBothIsOnTopOnTheSecondAndAMoveThereEndsIt)
{
    BOOL scratch = FALSE;
    SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, FALSE, &scratch, 0);
    // The pointer rests on the second monitor: only a saver that covers it
    // hears it move.
    ASSERT_TRUE(SetCursorPos(OnSecondMonitor.x, OnSecondMonitor.y));

    ProgramDriver program(brix::ProgramPath());
    auto saver = brix::StartSaver(program, "/s");
    ASSERT_TRUE(saver) << program.Report();
    // The demo's mode is given back by now: both monitors again.
    EXPECT_EQ(Text(VirtualScreen()), Text(Both));
    EXPECT_EQ(Text(WindowRect(saver->handle)), Text(Both)) << driver::Describe(*saver);
    EXPECT_EQ(GetAncestor(WindowFromPoint(OnSecondMonitor), GA_ROOT), saver->handle)
        << driver::Describe(program.Windows());
    EXPECT_EQ(ScreenSaverRunningAsANewProcessSeesIt(), std::optional<bool>(true));

    Sleep(driver::Limit(1500));
    ASSERT_TRUE(program.Running()) << program.Report();
    ASSERT_TRUE(SetCursorPos(OnSecondMonitor.x + 3, OnSecondMonitor.y + 2));
    EXPECT_EQ(program.WaitForExit(), Code(brix::SaverClosedCode)) << program.Report();
    EXPECT_FALSE(program.EndedByDriver());
    EXPECT_TRUE(program.UnhandledExceptions().empty()) << program.Report();
    EXPECT_EQ(ScreenSaverRunningAsANewProcessSeesIt(), std::optional<bool>(false));
}

// entry_saver writes the monitor list its window gets into the key, at
// creation and on every resize.
TEST_F(TwoMonitors, ASaverIsToldTheSystemsMonitorsAndFollowsOneRemovedAndPutBack)
{
    const std::string key = "Software\\Dusklit Tests\\Monitors";
    SavedKey keep(key);
    DeleteKey(key);
    struct Variables {
        Variables(const std::string &key)
        {
            SetEnvironmentVariableA("DUSKLIT_TEST_ENTRY", "callback");
            SetEnvironmentVariableA("DUSKLIT_TEST_ANSWER", "9");
            SetEnvironmentVariableA("ENTRY_SAVER_MONITORS_KEY", key.c_str());
        }
        ~Variables()
        {
            for (const char *name : {"DUSKLIT_TEST_ENTRY", "DUSKLIT_TEST_ANSWER", "ENTRY_SAVER_MONITORS_KEY"})
                SetEnvironmentVariableA(name, nullptr);
        }
    } variables(key);
    auto told = [&] {
        auto value = ReadValue(key, "Monitors");
        std::vector<std::string> lines;
        if (!value || value->type != REG_SZ)
            return lines;
        std::istringstream text(value->bytes.substr(0, value->bytes.find('\0')));
        for (std::string line; std::getline(text, line);) {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            if (!line.empty())
                lines.push_back(line);
        }
        std::sort(lines.begin(), lines.end());
        return lines;
    };
    auto updates = [&] { return ReadDword(key, "Updates").value_or(0); };

    ProgramDriver program(driver::WindowsPath(ENTRY_SAVER_PATH));
    ASSERT_TRUE(program.Start("/s")) << program.Report();
    auto saver = program.WaitForWindow([](const driver::WindowInfo &w) { return w.title == brix::SaverTitle; },
                                       "the full-screen saver");
    ASSERT_TRUE(saver) << program.Report();
    EXPECT_EQ(Text(WindowRect(saver->handle)), Text(Both));
    ASSERT_TRUE(PumpingWaitUntil([&] { return updates() > 0; }, driver::DefaultWaitMs)) << program.Report();
    ASSERT_EQ(SystemMonitorsIn(saver->handle).size(), 2u);
    EXPECT_EQ(told(), SystemMonitorsIn(saver->handle));

    const DWORD before = updates();
    SecondMonitorRemoved removed(SecondMonitorDevice());
    ASSERT_TRUE(removed.Removed());
    const RECT primary{0, 0, 1024, 768};
    EXPECT_TRUE(PumpingWaitUntil([&] {
        return Text(WindowRect(saver->handle)) == Text(primary) && updates() > before && told().size() == 1;
    }, driver::DefaultWaitMs)) << Text(WindowRect(saver->handle)) << ", updates " << updates() << ", " << program.Report();
    EXPECT_EQ(told(), SystemMonitorsIn(saver->handle));

    const DWORD whileRemoved = updates();
    ASSERT_TRUE(removed.Restore());
    EXPECT_TRUE(PumpingWaitUntil([&] {
        return Text(WindowRect(saver->handle)) == Text(Both) && updates() > whileRemoved && told().size() == 2;
    }, driver::DefaultWaitMs)) << Text(WindowRect(saver->handle)) << ", updates " << updates() << ", " << program.Report();
    EXPECT_EQ(told(), SystemMonitorsIn(saver->handle));

    driver::PostKeyPress(saver->handle, 'K');
    EXPECT_EQ(program.WaitForExit(), Code(brix::SaverClosedCode)) << program.Report();
    EXPECT_FALSE(program.EndedByDriver());
}

#ifdef DUSKLIT_WITH_STANDINS
class TwoMonitorsWithPassword : public PasswordProgram {};

// The lock holds on the second monitor too: moving the pointer there asks
// for the password, and only the password ends the saver.
TEST_F(TwoMonitorsWithPassword, AMoveOnTheSecondMonitorAsksForThePassword)
{
    ASSERT_EQ(GetSystemMetrics(SM_CMONITORS), 2) << "not on the two-monitor display";
    ASSERT_TRUE(SetCursorPos(OnSecondMonitor.x, OnSecondMonitor.y));
    ProgramDriver program(brix::ProgramPath());
    auto saver = brix::StartSaver(program, "/s");
    ASSERT_TRUE(saver) << program.Report();
    Sleep(driver::Limit(1000));
    ASSERT_TRUE(program.Running()) << program.Report();

    ASSERT_TRUE(SetCursorPos(OnSecondMonitor.x + 4, OnSecondMonitor.y + 3));
    auto box = program.WaitForMessageBox(STANDIN_VERIFY_CAPTION);
    ASSERT_TRUE(box) << program.Report();
    EXPECT_EQ(box->window.owner, saver->handle) << driver::Describe(box->window);
    ASSERT_TRUE(TypeIntoPasswordBox(*box, Password)) << program.Report();
    ASSERT_TRUE(program.Answer(*box, IDOK)) << program.Report();
    EXPECT_EQ(program.WaitForExit(), Code(brix::SaverClosedCode)) << program.Report();
    EXPECT_FALSE(program.EndedByDriver());
}
#endif  // DUSKLIT_WITH_STANDINS

}  // namespace
