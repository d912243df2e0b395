// Finding, starting and using the separate previewer, with the stand-in
// Vistell (installed in the system directory) as a real process of its own
// and the real message boxes. A copy in the current directory is an
// impostor, never started.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "library/library.h"
#include "saver/previewer.h"
#include "tests/support/message_box_watch.h"
#include "tests/support/standins.h"
#include "tests/support/vistell_standin.h"

namespace {

const std::string Caption = "Vistell";
const std::string NotStartedText = "Vistell was not present: and there was an error attempting to load it. "
                                   "Check that an up-to-date version is in the current path.";
const std::string NoResponseText = "Vistell was succesfully loaded, but didn't seem to respond. "
                                   "Try again, or try loading it separately.";
const std::string NoChildText = "Vistell was there, but not its child. Check you have the latest version.";

std::string InstalledProgram()
{
    return InstalledComponent(vistell::ProgramFile);
}

// The stand-in as the build made it, to plant a copy of.
std::string BuiltProgram()
{
    return StandinDirectory() + "\\" + vistell::ProgramFile;
}

// While it lives, the current directory (where the launcher's bare program
// name is looked for) and one environment variable (which a started
// previewer inherits) are as given.
class LaunchSurroundings {
public:
    LaunchSurroundings(const std::string &directory, const char *variable = nullptr, const char *value = nullptr)
        : variable_(variable)
    {
        GetCurrentDirectoryA(sizeof oldDirectory_, oldDirectory_);
        directorySet_ = SetCurrentDirectoryA(directory.c_str()) != FALSE;
        if (variable_)
            SetEnvironmentVariableA(variable_, value);
    }
    ~LaunchSurroundings()
    {
        SetCurrentDirectoryA(oldDirectory_);
        if (variable_)
            SetEnvironmentVariableA(variable_, nullptr);
    }
    LaunchSurroundings(const LaunchSurroundings &) = delete;
    LaunchSurroundings &operator=(const LaunchSurroundings &) = delete;

    bool DirectorySet() const { return directorySet_; }

private:
    const char *variable_;
    char oldDirectory_[MAX_PATH] = "";
    bool directorySet_ = false;
};

// A window of this process in the foreground, to see whether the launcher
// brings the previewer to the front.
class ForegroundWindow {
public:
    ForegroundWindow()
    {
        handle_ = CreateWindowExA(0, "STATIC", "foreground", WS_POPUP | WS_VISIBLE, 10, 10, 100, 50, nullptr,
                                  nullptr, GetModuleHandleA(nullptr), nullptr);
        SetForegroundWindow(handle_);
    }
    ~ForegroundWindow() { DestroyWindow(handle_); }
    ForegroundWindow(const ForegroundWindow &) = delete;
    ForegroundWindow &operator=(const ForegroundWindow &) = delete;
    HWND Handle() const { return handle_; }

private:
    HWND handle_ = nullptr;
};

class PreviewerLaunch : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ScrEnsureStarted(); }

    void SetUp() override
    {
        // No previewer of an earlier run may answer for this one.
        vistell::EndAllBut({});
        ASSERT_FALSE(FindWindowA(vistell::ClassName, nullptr));
    }
    void TearDown() override { vistell::EndAllBut({}); }
};

TEST_F(PreviewerLaunch, ARunningPreviewerLendsItsChildAndStaysWhereItIs)
{
    vistell::Standin standin(InstalledProgram());
    ASSERT_TRUE(standin.Window());
    ASSERT_TRUE(standin.Child());
    const std::vector<DWORD> before = vistell::ProcessIds();
    ASSERT_EQ(before, std::vector<DWORD>{standin.ProcessId()});
    ForegroundWindow front;
    ASSERT_EQ(GetForegroundWindow(), front.Handle());

    MessageBoxWatch boxes;
    for (const char *text : {"pvistell", "P VISTELL", "lVistell", "l   vIsTeLl and more", "p Vistell 1234"})
        EXPECT_EQ(ScrLaunchPreviewer(text), standin.Child()) << text;
    // A window number is not the name, even with the previewer running.
    for (const char *text : {"p 1234", "p vistel", "p:vistell", "p\tvistell", "p"})
        EXPECT_EQ(ScrLaunchPreviewer(text), nullptr) << text;

    EXPECT_EQ(boxes.Count(), 0);
    EXPECT_EQ(vistell::ProcessIds(), before);
    EXPECT_EQ(GetForegroundWindow(), front.Handle());
}

TEST_F(PreviewerLaunch, APreviewerWithoutChildIsReportedAndNotUsed)
{
    vistell::Standin standin(InstalledProgram(), "/nochild");
    ASSERT_TRUE(standin.Window());
    ASSERT_FALSE(standin.Child());

    MessageBoxWatch boxes;
    EXPECT_EQ(ScrLaunchPreviewer("p vistell"), nullptr);
    ASSERT_EQ(boxes.Count(), 1);
    EXPECT_EQ(boxes.Seen()[0].caption, Caption);
    EXPECT_EQ(boxes.Seen()[0].text, NoChildText);
    EXPECT_EQ(vistell::ProcessIds(), std::vector<DWORD>{standin.ProcessId()});
}

TEST_F(PreviewerLaunch, APreviewerThatIsNeitherRunningNorInstalledIsReported)
{
    // A working copy in the current directory is not taken for it.
    ComponentsMissing missing({vistell::ProgramFile});
    ASSERT_TRUE(missing.Ready());
    PlantedDirectory working;
    ASSERT_TRUE(working.Copy(BuiltProgram(), vistell::ProgramFile));
    LaunchSurroundings surroundings(working.Path());
    ASSERT_TRUE(surroundings.DirectorySet());

    MessageBoxWatch boxes;
    // Not named: nothing is looked for or shown.
    EXPECT_EQ(ScrLaunchPreviewer("p 1234"), nullptr);
    EXPECT_EQ(boxes.Count(), 0);

    EXPECT_EQ(ScrLaunchPreviewer("pVistell"), nullptr);
    ASSERT_EQ(boxes.Count(), 1);
    EXPECT_EQ(boxes.Seen()[0].caption, Caption);
    EXPECT_EQ(boxes.Seen()[0].text, NotStartedText);
    EXPECT_TRUE(vistell::ProcessIds().empty());
}

TEST_F(PreviewerLaunch, APreviewerBusyPastTwoSecondsIsReportedAndLeftRunning)
{
    // The installed previewer is started, not the copy in the current
    // directory; it inherits the variable that keeps it busy for 5 s, well
    // past the launcher's 2 s, counted from before it even started.
    PlantedDirectory working;
    ASSERT_TRUE(working.Copy(BuiltProgram(), vistell::ProgramFile));
    LaunchSurroundings surroundings(working.Path(), "VISTELL_BUSY_MS", "5000");
    ASSERT_TRUE(surroundings.DirectorySet());

    MessageBoxWatch boxes;
    EXPECT_EQ(ScrLaunchPreviewer("p vistell"), nullptr);
    ASSERT_EQ(boxes.Count(), 1);
    EXPECT_EQ(boxes.Seen()[0].caption, Caption);
    EXPECT_EQ(boxes.Seen()[0].text, NoResponseText);

    // The started previewer carries on and in time shows its window.
    const std::vector<DWORD> started = vistell::ProcessIds();
    ASSERT_EQ(started.size(), 1u);
    EXPECT_EQ(lstrcmpiA(vistell::ImagePath(started[0]).c_str(), InstalledProgram().c_str()), 0)
        << vistell::ImagePath(started[0]);
    HWND window = vistell::WaitForWindowOf(started[0]);
    EXPECT_TRUE(window);
    EXPECT_TRUE(GetWindow(window, GW_CHILD));
    // It runs in the directory it was started from: ended, it lets that go.
    vistell::EndAllBut({});
}

} // namespace
