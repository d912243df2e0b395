// What the whole-program tests know about brix.scr, and the steps they
// share: start it, get past the display-mode question, end the demo.
#pragma once
#include <optional>
#include <string>

#include "tests/driver/program_driver.h"

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

// The framework's full-screen saver window.
inline const std::string SaverClass = "ZoScreenSaverClass";

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
                                                           const std::string &arguments)
{
    if (!program.Start(arguments))
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

}  // namespace brix
