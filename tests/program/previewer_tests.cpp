// brix.scr with the separate previewer named on its command line
// (/p vistell), on the bare X server: the preview runs inside the child
// window of the stand-in Vistell (installed in the system directory) that
// is already running; with no previewer to be had, the user is told and
// the program fails.
#include <gtest/gtest.h>

#include "tests/program/brix_steps.h"
#include "tests/support/exit_code.h"
#include "tests/support/standins.h"
#include "tests/support/vistell_standin.h"

using driver::ProgramDriver;

namespace {

class PreviewerProgram : public ::testing::Test {
protected:
    void SetUp() override
    {
        vistell::EndAllBut({});
        ASSERT_FALSE(FindWindowA(vistell::ClassName, nullptr));
    }
    void TearDown() override { vistell::EndAllBut({}); }
};

TEST_F(PreviewerProgram, PreviewRunsInsideTheRunningPreviewersChild)
{
    vistell::Standin standin(InstalledComponent(vistell::ProgramFile));
    ASSERT_TRUE(standin.Window());
    HWND area = standin.Child();
    ASSERT_TRUE(area);
    RECT areaRect{};
    GetWindowRect(area, &areaRect);

    ProgramDriver program(brix::ProgramPath());
    auto demo = brix::StartWindowedDemo(program, "/p vistell");
    ASSERT_TRUE(demo) << program.Report();
    ASSERT_TRUE(brix::EndDemoWithEscape(program, *demo)) << program.Report();

    const auto shown = brix::WaitForChildOfClass(program, area, brix::SaverClass);
    ASSERT_TRUE(shown) << program.Report();
    const driver::WindowInfo preview = *shown;

    EXPECT_EQ(preview.title, brix::PreviewTitle);
    EXPECT_EQ(preview.processId, program.ProcessId());
    EXPECT_EQ(GetParent(preview.handle), area);
    EXPECT_EQ(preview.style, static_cast<DWORD>(WS_CHILD | WS_VISIBLE)) << driver::Describe(preview);
    EXPECT_EQ(preview.windowRect.left, areaRect.left);
    EXPECT_EQ(preview.windowRect.top, areaRect.top);
    EXPECT_EQ(preview.Width(), areaRect.right - areaRect.left);
    EXPECT_EQ(preview.Height(), areaRect.bottom - areaRect.top);
    // The running previewer was used: no second one was started, and no
    // message was shown.
    EXPECT_EQ(vistell::ProcessIds(), std::vector<DWORD>{standin.ProcessId()});
    EXPECT_TRUE(program.MessageBoxes().empty()) << program.Report();

    // Closing the previewer takes the preview with it, and the program ends.
    PostMessageA(standin.Window(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(program.WaitUntilGone(preview.handle)) << program.Report();
    EXPECT_EQ(program.WaitForExit(), Code(brix::SaverClosedCode)) << program.Report();
    EXPECT_FALSE(program.EndedByDriver());
    EXPECT_TRUE(program.UnhandledExceptions().empty()) << program.Report();
}

TEST_F(PreviewerProgram, APreviewerThatCannotBeStartedIsReportedAndTheProgramFails)
{
    // Neither running nor installed.
    ComponentsMissing missing({vistell::ProgramFile});
    ASSERT_TRUE(missing.Ready());
    ProgramDriver program(brix::ProgramPath());
    auto demo = brix::StartWindowedDemo(program, "/p Vistell");
    ASSERT_TRUE(demo) << program.Report();
    ASSERT_TRUE(brix::EndDemoWithEscape(program, *demo)) << program.Report();

    auto box = program.WaitForMessageBox("Vistell");
    ASSERT_TRUE(box) << program.Report();
    EXPECT_EQ(box->text, "Vistell was not present: and there was an error attempting to load it. "
                         "Check that an up-to-date version is in the current path.");
    EXPECT_EQ(box->ButtonIds(), std::vector<int>{IDOK});
    EXPECT_EQ(box->window.owner, nullptr);
    ASSERT_TRUE(program.Answer(*box, IDOK)) << program.Report();

    // The name is then read as a window number, which it is not.
    EXPECT_EQ(program.WaitForExit(), Code(brix::FailureCode)) << program.Report();
    EXPECT_FALSE(program.EndedByDriver());
    EXPECT_TRUE(vistell::ProcessIds().empty());
}

} // namespace
