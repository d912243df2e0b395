// The driver's own tests, against driver_fixture.exe: a program that shows
// exactly the window, message box, debug output, hang or crash a test asks
// for on its command line.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/driver/program_driver.h"
#include "tests/support/exit_code.h"

using driver::ProgramDriver;

namespace {

const char *const Fixture = DRIVER_FIXTURE_PATH;

std::size_t IndexOf(const std::vector<std::string> &lines, const std::string &text)
{
    return static_cast<std::size_t>(std::find(lines.begin(), lines.end(), text) - lines.begin());
}

TEST(DriverDebugOutput, CollectsNarrowAndWideTextsInOrderAndTheExitCode)
{
    ProgramDriver program(Fixture);
    ASSERT_TRUE(program.Start("debug:first wdebug:second debug:third exit:3")) << program.Report();
    EXPECT_EQ(program.WaitForExit(), Code(3)) << program.Report();
    EXPECT_FALSE(program.EndedByDriver());
    std::vector<std::string> lines = program.DebugOutput();
    std::size_t first = IndexOf(lines, "first");
    std::size_t second = IndexOf(lines, "second");
    std::size_t third = IndexOf(lines, "third");
    ASSERT_LT(third, lines.size()) << program.Report();
    EXPECT_LT(first, second);
    EXPECT_LT(second, third);
    EXPECT_TRUE(program.UnhandledExceptions().empty());
}

TEST(DriverDebugOutput, StaysEmptyWhenTheProgramRunsUndebugged)
{
    ProgramDriver program(Fixture);
    driver::StartOptions options;
    options.captureDebugOutput = false;
    ASSERT_TRUE(program.Start("debug:unseen exit:4", options)) << program.Report();
    EXPECT_EQ(program.WaitForExit(), Code(4)) << program.Report();
    EXPECT_TRUE(program.DebugOutput().empty());
}

TEST(DriverWindows, ReadsClassTitleStylesAndGeometryAndSkipsHiddenWindows)
{
    ProgramDriver program(Fixture);
    ASSERT_TRUE(program.Start("hidden window")) << program.Report();
    auto window = program.WaitForWindowOfClass("DriverFixture");
    ASSERT_TRUE(window) << program.Report();
    EXPECT_EQ(window->title, "Driver Fixture");
    EXPECT_EQ(window->style & ~WS_VISIBLE, static_cast<DWORD>(WS_OVERLAPPEDWINDOW | WS_CLIPSIBLINGS));
    EXPECT_TRUE(window->HasExStyle(WS_EX_APPWINDOW | WS_EX_WINDOWEDGE)) << driver::Describe(*window);
    EXPECT_EQ(window->windowRect.left, 10);
    EXPECT_EQ(window->windowRect.top, 20);
    EXPECT_EQ(window->Width(), 300);
    EXPECT_EQ(window->Height(), 200);
    // The frame and caption take their share of the outer size.
    EXPECT_LT(window->ClientWidth(), 300);
    EXPECT_LT(window->ClientHeight(), 200 - GetSystemMetrics(SM_CYCAPTION) + 1);
    EXPECT_GT(window->ClientWidth(), 0);
    EXPECT_EQ(window->processId, program.ProcessId());

    auto visible = program.Windows();
    EXPECT_TRUE(std::none_of(visible.begin(), visible.end(),
                             [](const driver::WindowInfo &w) { return w.className == "DriverFixtureHidden"; }))
        << driver::Describe(visible);
    auto all = program.Windows(true);
    EXPECT_TRUE(std::any_of(all.begin(), all.end(),
                            [](const driver::WindowInfo &w) { return w.className == "DriverFixtureHidden"; }))
        << driver::Describe(all);
}

TEST(DriverInput, PostedKeysAndMouseMessagesArriveWithRealisticBits)
{
    ProgramDriver program(Fixture);
    ASSERT_TRUE(program.Start("window")) << program.Report();
    auto window = program.WaitForWindowOfClass("DriverFixture");
    ASSERT_TRUE(window) << program.Report();

    driver::PostKeyPress(window->handle, VK_F5);
    char expected[64];
    std::snprintf(expected, sizeof expected, "key down %u repeat 1 scan %u", static_cast<unsigned>(VK_F5),
                  MapVirtualKeyA(VK_F5, 0) & 0xFF);
    EXPECT_TRUE(program.WaitForDebugOutput(expected, 20000)) << program.Report();
    EXPECT_TRUE(program.WaitForDebugOutput("key up 116 released 3", 20000)) << program.Report();

    driver::PostMouseMove(window->handle, 40, 50);
    driver::PostMouseClick(window->handle, driver::MouseButton::Left, 12, 34);
    driver::PostMouseClick(window->handle, driver::MouseButton::Right, 5, 6);
    EXPECT_TRUE(program.WaitForDebugOutput("mouse move 40 50", 20000)) << program.Report();
    EXPECT_TRUE(program.WaitForDebugOutput("left down 12 34 held 1", 20000)) << program.Report();
    EXPECT_TRUE(program.WaitForDebugOutput("left up 12 34", 20000)) << program.Report();
    EXPECT_TRUE(program.WaitForDebugOutput("right down 5 6", 20000)) << program.Report();

    driver::PostKeyDown(window->handle, VK_ESCAPE);
    EXPECT_EQ(program.WaitForExit(), Code(27)) << program.Report();
}

TEST(DriverInput, RealInputMovesTheCursorAndReachesTheForegroundWindow)
{
    ProgramDriver program(Fixture);
    ASSERT_TRUE(program.Start("window")) << program.Report();
    auto window = program.WaitForWindowOfClass("DriverFixture");
    ASSERT_TRUE(window) << program.Report();
    ASSERT_TRUE(program.WaitForDebugOutput("window shown")) << program.Report();

    ASSERT_TRUE(driver::SendMouseMoveTo(100, 120));
    EXPECT_TRUE(driver::WaitUntil(
        [] {
            POINT at{};
            return GetCursorPos(&at) && at.x == 100 && at.y == 120;
        },
        10000));

    SetForegroundWindow(window->handle);
    ASSERT_TRUE(driver::WaitUntil([&] { return GetForegroundWindow() == window->handle; }, 10000));
    ASSERT_TRUE(driver::SendKeyPress(VK_F6));
    EXPECT_TRUE(program.WaitForDebugOutput("key down 117", 20000)) << program.Report();
    EXPECT_TRUE(program.WaitForDebugOutput("key up 117", 20000)) << program.Report();
}

TEST(DriverWindows, ClosingAWindowEndsItsLoopAndTheWindowIsGone)
{
    ProgramDriver program(Fixture);
    ASSERT_TRUE(program.Start("window exit:9")) << program.Report();
    auto window = program.WaitForWindowOfClass("DriverFixture");
    ASSERT_TRUE(window) << program.Report();
    driver::PostCloseRequest(window->handle);
    EXPECT_TRUE(program.WaitUntilGone(window->handle)) << program.Report();
    // The later step still runs: the exit code is the one it sets.
    EXPECT_EQ(program.WaitForExit(), Code(9)) << program.Report();
}

TEST(DriverMessageBoxes, ReadsCaptionTextAndButtonsAndEitherWayOfAnsweringWorks)
{
    struct Case {
        int button;
        driver::ClickMethod method;
    };
    for (Case c : {Case{IDNO, driver::ClickMethod::Command}, Case{IDYES, driver::ClickMethod::Click}}) {
        SCOPED_TRACE(c.button);
        ProgramDriver program(Fixture);
        ASSERT_TRUE(program.Start("ask")) << program.Report();
        auto box = program.WaitForMessageBox("Fixture Question");
        ASSERT_TRUE(box) << program.Report();
        EXPECT_EQ(box->text, "Line one\nLine two");
        EXPECT_EQ(box->ButtonIds(), (std::vector<int>{IDYES, IDNO})) << driver::Describe(*box);
        EXPECT_TRUE(box->window.HasStyle(WS_POPUP | WS_CAPTION)) << driver::Describe(box->window);
        EXPECT_EQ(program.MessageBoxes().size(), 1u);
        ASSERT_TRUE(program.Answer(*box, c.button, c.method)) << program.Report();
        EXPECT_EQ(program.WaitForExit(), Code(static_cast<DWORD>(c.button))) << program.Report();
    }
}

TEST(DriverMessageBoxes, PressingAButtonTheBoxDoesNotHaveFails)
{
    ProgramDriver program(Fixture);
    ASSERT_TRUE(program.Start("ask")) << program.Report();
    auto box = program.WaitForMessageBox("Fixture Question");
    ASSERT_TRUE(box) << program.Report();
    EXPECT_FALSE(program.Answer(*box, IDRETRY));
    EXPECT_TRUE(program.Running());
    EXPECT_FALSE(driver::ClickDialogButton(nullptr, IDOK));
}

TEST(DriverTimeLimits, AWaitThatRunsOutEndsTheProgramAndSaysWhy)
{
    ProgramDriver program(Fixture);
    ASSERT_TRUE(program.Start("hang")) << program.Report();
    DWORD start = GetTickCount();
    EXPECT_FALSE(program.WaitForWindowOfClass("NoSuchClass", 500));
    EXPECT_LT(GetTickCount() - start, driver::Limit(500) + 30000);
    EXPECT_FALSE(program.Running());
    EXPECT_TRUE(program.EndedByDriver());
    EXPECT_EQ(program.ExitCode(), Code(driver::EndedByDriverCode));
    EXPECT_NE(program.Report().find("gave up waiting for a window of class \"NoSuchClass\""), std::string::npos)
        << program.Report();

    ASSERT_TRUE(program.Start("hang")) << program.Report();
    EXPECT_FALSE(program.WaitForExit(300));
    EXPECT_FALSE(program.Running());
    EXPECT_TRUE(program.EndedByDriver());
    EXPECT_NE(program.Report().find("gave up waiting for the program to end"), std::string::npos)
        << program.Report();
}

TEST(DriverTimeLimits, AWaitForAWindowStopsAtOnceWhenTheProgramEnds)
{
    ProgramDriver program(Fixture);
    ASSERT_TRUE(program.Start("exit:5")) << program.Report();
    EXPECT_FALSE(program.WaitForWindowOfClass("DriverFixture", 120000));
    EXPECT_FALSE(program.EndedByDriver());
    EXPECT_EQ(program.ExitCode(), Code(5));
    EXPECT_NE(program.Report().find("(the program ended first)"), std::string::npos) << program.Report();
}

TEST(DriverTimeLimits, DestroyingTheDriverEndsARunningProgram)
{
    HANDLE watched = nullptr;
    {
        ProgramDriver program(Fixture);
        ASSERT_TRUE(program.Start("hang")) << program.Report();
        watched = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, program.ProcessId());
        ASSERT_NE(watched, nullptr);
        EXPECT_EQ(WaitForSingleObject(watched, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    }
    EXPECT_EQ(WaitForSingleObject(watched, driver::Limit(20000)), static_cast<DWORD>(WAIT_OBJECT_0));
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeProcess(watched, &code));
    EXPECT_EQ(code, driver::EndedByDriverCode);
    CloseHandle(watched);
}

TEST(DriverCrashes, AnUnhandledExceptionIsReportedAndEndsTheProgramWithItsCode)
{
    ProgramDriver program(Fixture);
    ASSERT_TRUE(program.Start("debug:before crash debug:after")) << program.Report();
    std::optional<DWORD> code = program.WaitForExit();
    ASSERT_TRUE(code) << program.Report();
    // Which code a bad write raises depends on the processor (an emulated
    // one may report it differently), so any unhandled one will do.
    std::vector<DWORD> unhandled = program.UnhandledExceptions();
    ASSERT_FALSE(unhandled.empty()) << program.Report();
    EXPECT_EQ(*code, unhandled.back());
    EXPECT_GE(unhandled.back(), 0xC0000000u);
    EXPECT_TRUE(program.DebugOutputContains("before"));
    EXPECT_FALSE(program.DebugOutputContains("after"));
}

TEST(DriverStart, AProgramThatDoesNotExistIsNotStartedAndNothingWaits)
{
    ProgramDriver program("/no/such/program.exe");
    EXPECT_FALSE(program.Start());
    EXPECT_FALSE(program.Running());
    EXPECT_EQ(program.ProcessId(), 0u);
    EXPECT_FALSE(program.WaitForExit(100));
    EXPECT_NE(program.Report().find("not started"), std::string::npos) << program.Report();
}

TEST(DriverStart, AnExplicitCommandLineReachesTheProgramAsGiven)
{
    ProgramDriver program(Fixture);
    ASSERT_TRUE(program.StartWithCommandLine("\"" + program.ProgramPathForWindows() + "\"  exit:12 \"exit:13\""))
        << program.Report();
    EXPECT_EQ(program.WaitForExit(), Code(13)) << program.Report();
}

// The launcher that runs the whole-program tests in a virtual desktop: the
// program it starts runs on that desktop, and its exit code comes back.
TEST(DesktopLauncher, RunsTheProgramOnTheNamedDesktopAndReturnsItsExitCode)
{
    ProgramDriver launcher(IN_DESKTOP_PATH);
    driver::StartOptions undebugged;
    undebugged.captureDebugOutput = false;
    ASSERT_TRUE(launcher.Start("--desktop=driver-test \"" + driver::WindowsPath(Fixture) + "\" desktop:driver-test",
                               undebugged))
        << launcher.Report();
    EXPECT_EQ(launcher.WaitForExit(), Code(40)) << launcher.Report();

    // The same step, run directly, is on this test's own desktop.
    ProgramDriver direct(Fixture);
    ASSERT_TRUE(direct.Start("desktop:driver-test")) << direct.Report();
    EXPECT_EQ(direct.WaitForExit(), Code(41)) << direct.Report();
}

}  // namespace
