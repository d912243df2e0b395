// brix.scr inside a Wine virtual desktop of 1024 x 768, where the display
// mode can change: the demo gets its 800 x 600 full-screen mode without
// asking, hides the cursor, and gives the display back when it ends. Run
// as the screen saver, the demo is the lock's first face: topmost, it ends
// when anything takes the activation from it, and the password delay
// counts from the program's start, not from the end of the demo.
//
// This executable must itself run inside the desktop (ctest starts it
// through dusklit_in_desktop), so the program it starts shares it.
#include <gtest/gtest.h>

#include "tests/program/brix_steps.h"

using driver::ProgramDriver;

namespace {

struct ScreenSize {
    int width;
    int height;
    bool operator==(const ScreenSize &other) const { return width == other.width && height == other.height; }
};

std::ostream &operator<<(std::ostream &out, const ScreenSize &size)
{
    return out << size.width << "x" << size.height;
}

ScreenSize CurrentScreen()
{
    return {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

// The mode the display is in now, as the display settings report it.
ScreenSize CurrentMode()
{
    DEVMODEA mode{};
    mode.dmSize = sizeof mode;
    if (!EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &mode))
        return {0, 0};
    return {static_cast<int>(mode.dmPelsWidth), static_cast<int>(mode.dmPelsHeight)};
}

const ScreenSize Desktop{1024, 768};
const ScreenSize Demo{brix::DemoWidth, brix::DemoHeight};

TEST(DemoFullScreen, TakesTheModeWithoutAskingHidesTheCursorAndRestoresTheDisplay)
{
    ASSERT_EQ(CurrentScreen(), Desktop) << "not inside the 1024x768 test desktop";

    ProgramDriver program(brix::ProgramPath());
    ASSERT_TRUE(program.Start("/x")) << program.Report();
    auto demo = program.WaitForWindow(
        [](const driver::WindowInfo &w) { return w.className == brix::DemoClass || w.IsDialog(); },
        "the demo window or a message box");
    ASSERT_TRUE(demo) << program.Report();
    ASSERT_EQ(demo->className, brix::DemoClass) << "the demo asked instead: " << program.Report();
    EXPECT_TRUE(program.MessageBoxes().empty()) << program.Report();

    EXPECT_EQ(demo->title, brix::DemoTitle);
    EXPECT_EQ(demo->style, brix::FullscreenStyle | WS_VISIBLE) << driver::Describe(*demo);
    EXPECT_EQ(demo->exStyle, brix::FullscreenExStyle) << driver::Describe(*demo);
    EXPECT_EQ(demo->windowRect.left, 0);
    EXPECT_EQ(demo->windowRect.top, 0);
    EXPECT_EQ(demo->Width(), brix::DemoWidth);
    EXPECT_EQ(demo->Height(), brix::DemoHeight);
    // A popup has no frame: all of it is drawn on.
    EXPECT_EQ(demo->ClientWidth(), brix::DemoWidth);
    EXPECT_EQ(demo->ClientHeight(), brix::DemoHeight);

    EXPECT_TRUE(driver::WaitUntil([] { return CurrentMode() == Demo; }, 10000))
        << "display mode " << CurrentMode();
    EXPECT_TRUE(driver::WaitUntil([] { return !brix::CursorShowing(); }, 10000)) << "the cursor is still shown";

    ASSERT_TRUE(brix::EndDemoWithEscape(program, *demo)) << program.Report();
    EXPECT_EQ(program.WaitForExit(), std::optional<DWORD>(brix::FailureCode)) << program.Report();
    EXPECT_TRUE(program.UnhandledExceptions().empty()) << program.Report();

    EXPECT_TRUE(driver::WaitUntil([] { return CurrentMode() == Desktop; }, 10000))
        << "display mode " << CurrentMode();
    EXPECT_TRUE(driver::WaitUntil([] { return CurrentScreen() == Desktop; }, 10000))
        << "screen " << CurrentScreen();
}

// Another window coming up ends the demo at once, and the saver window
// takes over; the demo was topmost, and the saver came only after it.
TEST(DemoAsLock, IsTopmostAndLosingTheActivationHandsOverToTheSaver)
{
    ProgramDriver program(brix::ProgramPath());
    ASSERT_TRUE(program.Start("/s")) << program.Report();
    auto demo = program.WaitForWindowOfClass(brix::DemoClass);
    ASSERT_TRUE(demo) << program.Report();
    EXPECT_EQ(demo->exStyle, brix::FullscreenExStyle | WS_EX_TOPMOST) << driver::Describe(*demo);
    EXPECT_FALSE(program.WindowOfClass(brix::SaverClass));

    HWND other = CreateWindowExA(0, "Static", "another program", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 200,
                                 100, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(other);
    SetForegroundWindow(other);
    EXPECT_TRUE(program.WaitUntilGone(demo->handle)) << program.Report();
    auto saver = program.WaitForWindowOfClass(brix::SaverClass);
    EXPECT_TRUE(saver) << program.Report();
    DestroyWindow(other);
    if (saver)
        driver::PostCloseRequest(saver->handle);
    EXPECT_EQ(program.WaitForExit(), std::optional<DWORD>(brix::SaverClosedCode)) << program.Report();
}

// A demo left running longer than the password delay, then Escape, then a
// key: the password is asked, for the lock started with the program.
TEST(DemoAsLock, ThePasswordDelayCountsFromTheProgramsStart)
{
    brix::RegistryValueScope usePassword{brix::DesktopKey, "ScreenSaveUsePassword", 1};
    brix::RegistryValueScope delay{brix::ScreenSaversKey, "Password Delay", 4};
    ASSERT_TRUE(usePassword.Written() && delay.Written());
    ProgramDriver program(brix::ProgramPath());
    ASSERT_TRUE(program.Start("/s")) << program.Report();
    auto demo = program.WaitForWindowOfClass(brix::DemoClass);
    ASSERT_TRUE(demo) << program.Report();
    Sleep(5000); // the demo outlasts the delay
    ASSERT_TRUE(brix::EndDemoWithEscape(program, *demo)) << program.Report();
    auto saver = program.WaitForWindowOfClass(brix::SaverClass);
    ASSERT_TRUE(saver) << program.Report();
    driver::PostKeyPress(saver->handle, 'A');
    EXPECT_TRUE(program.WaitForMessageBox()) << "the password is asked: " << program.Report();
    EXPECT_TRUE(program.Running()) << program.Report();
}

}  // namespace
