// What the whole-program tests know about brix.scr, and the steps they
// share: start it, get past the display-mode question, end the demo.
#pragma once
#include <optional>
#include <string>

#include "tests/driver/program_driver.h"
#include "tests/support/message_pump.h"
#include "tests/support/registry_scope.h"

namespace brix {

// The program under test: the one this build made, unless the environment
// variable DUSKLIT_BRIX names another (a build elsewhere, a variant).
inline std::string ProgramPath()
{
    char path[MAX_PATH] = {};
    DWORD length = GetEnvironmentVariableA("DUSKLIT_BRIX", path, sizeof path);
    return length > 0 && length < sizeof path ? std::string(path) : std::string(BRIX_PATH);
}

inline const std::string DemoClass = "OpenGL";
inline const std::string DemoTitle = "Brix & Mallow's Quadratics Tutorial";
inline const std::string ModeQuestionCaption = "Brix GL";
inline const std::string ModeQuestion =
    "The Requested Fullscreen Mode Is Not Supported By\nYour Video Card. Use Windowed Mode Instead?";
inline const std::string ErrorCaption = "ERROR";
inline const std::string ClosingNotice = "Program Will Now Close.";

// The framework's saver windows: the full-screen one and the preview.
inline const std::string SaverClass = "ZoScreenSaverClass";
inline const std::string SaverTitle = "SaverWindow";
inline const std::string PreviewTitle = "SaverPreview";

// The framework's configuration: its property sheet and the About box that
// the sheet's system menu opens.
inline const std::string ConfigSheetCaption = "Screen Saver Properties";
inline const std::string AboutCaption = "About Dusklit";

// Where the framework and the system keep the settings a saver obeys,
// under HKEY_CURRENT_USER.
inline const std::string ScreenSaversKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Screen Savers";
inline const std::string DesktopKey = "Control Panel\\Desktop";

constexpr int DemoWidth = 800;
constexpr int DemoHeight = 600;
// WS_OVERLAPPEDWINDOW | WS_CLIPSIBLINGS | WS_CLIPCHILDREN and
// WS_EX_APPWINDOW | WS_EX_WINDOWEDGE.
constexpr DWORD WindowedStyle = 0x06CF0000;
constexpr DWORD WindowedExStyle = 0x00040100;
// WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN and WS_EX_APPWINDOW.
constexpr DWORD FullscreenStyle = 0x86000000;
constexpr DWORD FullscreenExStyle = 0x00040000;

// Whether the system's cursor is shown, as the foreground program's
// ShowCursor calls have left it.
inline bool CursorShowing()
{
    CURSORINFO info{};
    info.cbSize = sizeof info;
    return GetCursorInfo(&info) && (info.flags & CURSOR_SHOWING);
}

// The framework's exit code for a command line it cannot use.
constexpr DWORD FailureCode = 2;
// The saver mode's exit code once its window has closed (its WM_QUIT).
constexpr DWORD SaverClosedCode = 2;

// Starts brix.scr with the arguments where the display refuses the
// full-screen mode, answers Yes to the question and returns the demo
// window once it is shown.
inline std::optional<driver::WindowInfo> StartWindowedDemo(driver::ProgramDriver &program,
                                                           const std::string &arguments,
                                                           const driver::StartOptions &options = {})
{
    if (!program.Start(arguments, options))
        return std::nullopt;
    auto question = program.WaitForMessageBox(ModeQuestionCaption);
    if (!question || !program.Answer(*question, IDYES))
        return std::nullopt;
    return program.WaitForWindowOfClass(DemoClass);
}

// Escape, held down: the demo looks at the key between frames, so only a
// key that is still down then ends it (no key-up follows).
inline bool EndDemoWithEscape(driver::ProgramDriver &program, const driver::WindowInfo &demo)
{
    driver::PostKeyDown(demo.handle, VK_ESCAPE);
    return program.WaitUntilGone(demo.handle);
}

// Starts brix.scr as the screen saver (/s) and returns the framework's
// full-screen saver window once it is shown. Where the display grants the
// demo's mode, the demo comes first and Escape ends it; where the display
// refuses the mode, the saver starts at once, asking nothing.
inline std::optional<driver::WindowInfo> StartSaver(driver::ProgramDriver &program,
                                                    const std::string &arguments = "/s",
                                                    const driver::StartOptions &options = {})
{
    if (!program.Start(arguments, options))
        return std::nullopt;
    auto first = program.WaitForWindow(
        [](const driver::WindowInfo &w) {
            return w.className == DemoClass || w.className == SaverClass || w.IsDialog();
        },
        "the demo or the saver window (or a message box instead)");
    if (!first || first->IsDialog())
        return std::nullopt;
    if (first->className == SaverClass)
        return first;
    if (!EndDemoWithEscape(program, *first))
        return std::nullopt;
    return program.WaitForWindowOfClass(SaverClass);
}

// Waits, handling this thread's messages, for a visible window of the class
// among the children of parent (a preview host, a previewer's area), as
// long as the program runs; nothing when it ended or the wait ran out.
inline std::optional<driver::WindowInfo> WaitForChildOfClass(const driver::ProgramDriver &program, HWND parent,
                                                             const std::string &className)
{
    std::optional<driver::WindowInfo> found;
    PumpingWaitUntil([&] {
        for (const auto &child : driver::ChildWindowsOf(parent))
            if (child.className == className && child.visible) {
                found = child;
                return true;
            }
        return !program.Running();
    }, driver::DefaultWaitMs);
    return found;
}

// The shared test support's registry scopes, under the names the tests
// here use.
using ::RegistryText;
using ::RegistryValueScope;

}  // namespace brix
