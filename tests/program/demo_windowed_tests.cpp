// brix.scr on the bare X server, where the display refuses the demo's
// 800 x 600 x 16 full-screen mode: the demo asks whether to use a window,
// and after the demo the framework reads the command line; run as the
// screen saver, it asks nothing over the open desktop and locks at once.
#include <gtest/gtest.h>

#include "tests/program/brix_steps.h"
#include "tests/support/exit_code.h"

using driver::ProgramDriver;

namespace {

TEST(DemoOnRefusedMode, AsksToUseAWindowAndYesShowsTheDemoInAnOverlappedWindow)
{
    ProgramDriver program(brix::ProgramPath());
    ASSERT_TRUE(program.Start("/x")) << program.Report();
    auto question = program.WaitForMessageBox(brix::ModeQuestionCaption);
    ASSERT_TRUE(question) << program.Report();
    EXPECT_EQ(question->text, brix::ModeQuestion);
    EXPECT_EQ(question->ButtonIds(), (std::vector<int>{IDYES, IDNO})) << driver::Describe(*question);
    // The question comes before any window of the demo.
    EXPECT_FALSE(program.WindowOfClass(brix::DemoClass)) << driver::Describe(program.Windows());

    ASSERT_TRUE(program.Answer(*question, IDYES)) << program.Report();
    auto demo = program.WaitForWindowOfClass(brix::DemoClass);
    ASSERT_TRUE(demo) << program.Report();
    EXPECT_EQ(demo->title, brix::DemoTitle);
    EXPECT_EQ(demo->style, brix::WindowedStyle | WS_VISIBLE) << driver::Describe(*demo);
    EXPECT_EQ(demo->exStyle, brix::WindowedExStyle) << driver::Describe(*demo);
    EXPECT_EQ(demo->windowRect.left, 0);
    EXPECT_EQ(demo->windowRect.top, 0);
    EXPECT_EQ(demo->Width(), brix::DemoWidth);
    EXPECT_EQ(demo->Height(), brix::DemoHeight);
    // The outer size is the requested one, so the frame eats into the client area.
    EXPECT_LT(demo->ClientWidth(), brix::DemoWidth);
    EXPECT_LT(demo->ClientHeight(), brix::DemoHeight);
    EXPECT_GT(demo->ClientWidth(), brix::DemoWidth - 40);
    // The display and the cursor were left alone.
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1024);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 768);
    EXPECT_TRUE(brix::CursorShowing());
    EXPECT_TRUE(program.MessageBoxes().empty()) << program.Report();

    // The demo keeps running until it is told to end.
    Sleep(driver::Limit(1000));
    EXPECT_TRUE(program.Running()) << program.Report();
    EXPECT_TRUE(IsWindow(demo->handle));

    ASSERT_TRUE(brix::EndDemoWithEscape(program, *demo)) << program.Report();
    EXPECT_EQ(program.WaitForExit(), Code(brix::FailureCode)) << program.Report();
    EXPECT_TRUE(program.UnhandledExceptions().empty()) << program.Report();
}

TEST(DemoOnRefusedMode, NoSaysTheProgramWillCloseAndEndsWithExitCodeZero)
{
    ProgramDriver program(brix::ProgramPath());
    ASSERT_TRUE(program.Start("/c")) << program.Report();
    auto question = program.WaitForMessageBox(brix::ModeQuestionCaption);
    ASSERT_TRUE(question) << program.Report();
    ASSERT_TRUE(program.Answer(*question, IDNO)) << program.Report();

    auto notice = program.WaitForMessageBox(brix::ErrorCaption);
    ASSERT_TRUE(notice) << program.Report();
    EXPECT_EQ(notice->text, brix::ClosingNotice);
    EXPECT_EQ(notice->ButtonIds(), std::vector<int>{IDOK}) << driver::Describe(*notice);
    EXPECT_FALSE(program.WindowOfClass(brix::DemoClass)) << driver::Describe(program.Windows());

    ASSERT_TRUE(program.Answer(*notice, IDOK)) << program.Report();
    // The demo never ran, so neither does the framework: /c would otherwise
    // have opened the configuration.
    EXPECT_EQ(program.WaitForExit(), Code(0)) << program.Report();
}

// However the demo ends, its window goes and the framework reads the
// command line; these switches are not ones it knows.
TEST(DemoHandOver, EscapeCloseAndTheSystemMenuCloseAllHandOverToTheFramework)
{
    enum class Ending { Escape, CloseMessage, SystemMenuClose };
    struct Case {
        const char *arguments;
        Ending ending;
    };
    for (Case c : {Case{"/x", Ending::Escape}, Case{"-/x", Ending::CloseMessage},
                   Case{"/-s", Ending::SystemMenuClose}}) {
        SCOPED_TRACE(c.arguments);
        ProgramDriver program(brix::ProgramPath());
        auto demo = brix::StartWindowedDemo(program, c.arguments);
        ASSERT_TRUE(demo) << program.Report();
        switch (c.ending) {
        case Ending::Escape:
            driver::PostKeyDown(demo->handle, VK_ESCAPE);
            break;
        case Ending::CloseMessage:
            driver::PostCloseRequest(demo->handle);
            break;
        case Ending::SystemMenuClose:
            PostMessageA(demo->handle, WM_SYSCOMMAND, SC_CLOSE, 0);
            break;
        }
        EXPECT_TRUE(program.WaitUntilGone(demo->handle)) << program.Report();
        EXPECT_EQ(program.WaitForExit(), Code(brix::FailureCode)) << program.Report();
        EXPECT_TRUE(program.UnhandledExceptions().empty()) << program.Report();
    }
}

// As the screen saver the program is the desktop's lock from its start:
// where the demo's mode is refused, no question waits over the open
// desktop and no demo runs; the saver window comes at once.
TEST(DemoHandOver, TheSaverSwitchLocksAtOnceWhereTheModeIsRefused)
{
    ProgramDriver program(brix::ProgramPath());
    ASSERT_TRUE(program.Start("/s")) << program.Report();
    auto saver = program.WaitForWindow(
        [](const driver::WindowInfo &w) { return w.className == brix::SaverClass || w.IsDialog(); },
        "the saver window (or a message box instead)");
    ASSERT_TRUE(saver) << program.Report();
    ASSERT_EQ(saver->className, brix::SaverClass) << "asked instead: " << program.Report();
    EXPECT_FALSE(program.WindowOfClass(brix::DemoClass));
    EXPECT_EQ(saver->title, "SaverWindow");
    EXPECT_TRUE(saver->HasStyle(WS_POPUP | WS_VISIBLE)) << driver::Describe(*saver);
    EXPECT_TRUE(saver->HasExStyle(WS_EX_TOPMOST)) << driver::Describe(*saver);
    EXPECT_EQ(saver->windowRect.left, 0);
    EXPECT_EQ(saver->windowRect.top, 0);
    EXPECT_EQ(saver->Width(), GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(saver->Height(), GetSystemMetrics(SM_CYSCREEN));

    // Without a password to ask for, closing the saver ends its mode.
    driver::PostCloseRequest(saver->handle);
    EXPECT_EQ(program.WaitForExit(), Code(brix::SaverClosedCode)) << program.Report();
    EXPECT_TRUE(program.MessageBoxes().empty());
    EXPECT_TRUE(program.UnhandledExceptions().empty()) << program.Report();
}

}  // namespace
