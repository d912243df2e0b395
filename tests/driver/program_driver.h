// Starts a program, watches it and talks to it from another process, for
// whole-program tests: what it writes to the debug-output channel, its
// windows and message boxes, keys and mouse input, and its exit code.
//
//     driver::ProgramDriver brix(driver::ProgramPath());
//     ASSERT_TRUE(brix.Start("/x"));
//     auto box = brix.WaitForMessageBox("Brix GL");
//     ASSERT_TRUE(box) << brix.Report();
//     brix.Answer(*box, IDYES);
//     auto demo = brix.WaitForWindowOfClass("OpenGL");
//     ...
//     driver::PostKeyPress(demo->handle, VK_ESCAPE);
//     EXPECT_EQ(brix.WaitForExit(), std::optional<DWORD>(2));
//
// Every wait has a time limit. When a wait for something the program
// should do runs out, the driver ends the program (so no test is left
// waiting on a window nobody answers) and remembers why; Report() tells.
// Destroying the driver ends a program that is still running.
#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tests/driver/input.h"
#include "tests/driver/message_box_reader.h"
#include "tests/driver/window_query.h"

namespace driver {

// Time limits in milliseconds, multiplied by the environment variable
// DUSKLIT_DRIVER_TIME_SCALE (a positive number, 1 when unset) so a slow
// machine can stretch them all at once.
DWORD Limit(DWORD milliseconds);

// Runs a command line to its end, within timeoutMs (scaled by Limit); its
// exit code, or none when it could not start or had to be ended.
std::optional<DWORD> RunToEnd(std::string commandLine, DWORD timeoutMs);

// The default limit of the Wait* calls: long, because a program under
// Wine on a loaded machine can take many seconds to open its first window;
// a passing wait returns as soon as its condition holds.
constexpr DWORD DefaultWaitMs = 60000;

// Polls the condition every pollMs until it holds or the limit (scaled by
// Limit) runs out. Returns whether it held.
bool WaitUntil(const std::function<bool()> &condition, DWORD timeoutMs, DWORD pollMs = 25);

// The Windows form of a path: a Linux path such as /work/build/x.exe (as
// CMake hands it to a test) becomes the DOS path Wine maps it to.
std::string WindowsPath(const std::string &path);

// Exit code the driver gives a program it ends itself.
constexpr DWORD EndedByDriverCode = 0xDE1;

struct StartOptions {
    // Run the program under this driver as its debugger and collect what it
    // sends to the debug-output channel. Without it the program runs
    // undebugged and DebugOutput() stays empty.
    bool captureDebugOutput = true;
    // The program's current directory; empty: the driver's.
    std::string workingDirectory;
};

class ProgramDriver {
public:
    explicit ProgramDriver(std::string programPath);
    ~ProgramDriver();
    ProgramDriver(const ProgramDriver &) = delete;
    ProgramDriver &operator=(const ProgramDriver &) = delete;

    // Starts the program with the command line `"<program path>" arguments`
    // (just the quoted path when arguments is empty). False when the
    // program could not be started or one is already running.
    bool Start(const std::string &arguments = "", const StartOptions &options = {});
    // Starts with exactly this command line, program name included, for
    // tests of how the program reads an unusual one.
    bool StartWithCommandLine(const std::string &commandLine, const StartOptions &options = {});

    const std::string &ProgramPathForWindows() const { return program_; }
    DWORD ProcessId() const;
    bool Running() const;

    // The exit code once the program has ended within the limit. On time-out
    // the program is ended and nothing is returned.
    std::optional<DWORD> WaitForExit(DWORD timeoutMs = DefaultWaitMs);
    // The exit code if the program has ended, without waiting.
    std::optional<DWORD> ExitCode() const;
    // Ends the program now (exit code EndedByDriverCode) and waits for it.
    void Terminate();
    // True when the program did not end by itself: the driver ended it.
    bool EndedByDriver() const;

    // The program's top-level windows, in Z order.
    std::vector<WindowInfo> Windows(bool includeHidden = false) const;
    std::optional<WindowInfo> WindowOfClass(const std::string &className) const;
    std::optional<WindowInfo> WaitForWindow(const std::function<bool(const WindowInfo &)> &match,
                                            const std::string &description,
                                            DWORD timeoutMs = DefaultWaitMs);
    std::optional<WindowInfo> WaitForWindowOfClass(const std::string &className,
                                                   DWORD timeoutMs = DefaultWaitMs);
    // Waits until the window no longer exists. Running out of time here ends
    // the program too.
    bool WaitUntilGone(HWND window, DWORD timeoutMs = DefaultWaitMs);

    // The program's visible message boxes and other "#32770" dialogs.
    std::vector<MessageBoxInfo> MessageBoxes() const;
    // Waits for a visible message box with this caption (any caption when
    // empty).
    std::optional<MessageBoxInfo> WaitForMessageBox(const std::string &caption = "",
                                                    DWORD timeoutMs = DefaultWaitMs);
    // Presses the button and waits (bounded) until the box has closed.
    bool Answer(const MessageBoxInfo &box, int buttonId, ClickMethod method = ClickMethod::Command);

    // What the program sent to the debug-output channel so far, one entry
    // per OutputDebugString call, in order.
    std::vector<std::string> DebugOutput() const;
    bool DebugOutputContains(const std::string &text) const;
    bool WaitForDebugOutput(const std::string &text, DWORD timeoutMs = DefaultWaitMs);
    // Exception codes the program left unhandled (second-chance exceptions
    // seen as its debugger): a crash shows up here.
    std::vector<DWORD> UnhandledExceptions() const;

    // A description for failure messages: the program, its state, the wait
    // that ran out if any, its windows and its debug output.
    std::string Report() const;

private:
    struct Session;
    bool Launch(const std::string &commandLine, const StartOptions &options);
    void GiveUp(const std::string &what);
    void Finish();

    std::string program_;
    std::unique_ptr<Session> session_;
    std::string timedOut_;   // the wait that ran out, if any
    std::string lastSight_;  // the program's windows at that moment
    DWORD startError_ = 0;   // why the last start failed
};

}  // namespace driver
