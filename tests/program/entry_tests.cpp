// The callback entry (ScrMainCallback) and the host-window entry
// (ScrMainHost) run a saver end to end, on the bare X server: entry_saver
// is told by environment variables which entry to call and how its hooks
// or its host window answer, and reports on the debug-output channel what
// they were asked. Full-screen saver (/s), preview inside a window of this
// process (/p N), configuration (/c) and password change (/a).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "tests/program/brix_steps.h"
#include "tests/support/exit_code.h"
#include "tests/support/preview_host.h"

using driver::ProgramDriver;

namespace {

const std::string DummyClass = "DummyScreenSaverClass";
const std::string NeverPasswordText = "This screensaver never requires a password";

std::string SaverPath()
{
    return driver::WindowsPath(ENTRY_SAVER_PATH);
}

void SetVariable(const char *name, const char *value)
{
    SetEnvironmentVariableA(name, value);
}

// Where a line holding the text first appears in the debug output; -1 when
// none does.
int LineOf(const ProgramDriver &program, const std::string &text)
{
    const auto lines = program.DebugOutput();
    for (size_t i = 0; i < lines.size(); ++i)
        if (lines[i].find(text) != std::string::npos)
            return static_cast<int>(i);
    return -1;
}

std::string Hex(DWORD value)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(value));
    return text;
}

// What a creator hands over for the full-screen window, as entry_saver
// reports it after the name of the hook or request.
std::string FullScreenCreation(long mode)
{
    return " mode " + std::to_string(mode) + " class " + DummyClass + " title " + brix::SaverTitle + " style " +
           Hex(WS_POPUP | WS_VISIBLE) + " exstyle " + Hex(WS_EX_TOPMOST) + " size " +
           std::to_string(GetSystemMetrics(SM_CXSCREEN)) + "x" + std::to_string(GetSystemMetrics(SM_CYSCREEN)) +
           " parent none record " + std::to_string(mode);
}

std::string PreviewCreation(long mode, HWND parent)
{
    RECT rect{};
    GetWindowRect(parent, &rect);
    return " mode " + std::to_string(mode) + " class " + DummyClass + " title " + brix::PreviewTitle + " style " +
           Hex(WS_CHILD | WS_VISIBLE) + " exstyle " + Hex(0) + " size " + std::to_string(rect.right - rect.left) +
           "x" + std::to_string(rect.bottom - rect.top) + " parent yes record " + std::to_string(mode);
}

// The saver's settings every case relies on: no password is asked when
// the saver closes.
class EntryProgram : public ::testing::Test {
protected:
    brix::RegistryValueScope usePassword_{brix::DesktopKey, "ScreenSaveUsePassword", std::nullopt};

    void SetUp() override { ASSERT_TRUE(usePassword_.Written()); }
    void TearDown() override
    {
        SetVariable("DUSKLIT_TEST_ENTRY", nullptr);
        SetVariable("DUSKLIT_TEST_ANSWER", nullptr);
        SetVariable("DUSKLIT_TEST_NEVER_PASSWORD", nullptr);
        SetVariable("DUSKLIT_TEST_ABOUT", nullptr);
    }

    // Starts entry_saver with the entry, the answer and the arguments.
    bool Start(const char *entry, const char *answer, const std::string &arguments, bool neverPassword = false)
    {
        SetVariable("DUSKLIT_TEST_ENTRY", entry);
        SetVariable("DUSKLIT_TEST_ANSWER", answer);
        SetVariable("DUSKLIT_TEST_NEVER_PASSWORD", neverPassword ? "1" : nullptr);
        return program_.Start(arguments);
    }

    // Waits for the program to end by itself, noting the visible windows
    // it showed meanwhile ("class: title").
    std::optional<DWORD> ExitNoting(std::vector<std::string> &shown)
    {
        driver::WaitUntil([&] {
            for (const auto &window : program_.Windows()) {
                const std::string seen = window.className + ": " + window.title;
                if (std::find(shown.begin(), shown.end(), seen) == shown.end())
                    shown.push_back(seen);
            }
            return !program_.Running();
        }, driver::DefaultWaitMs);
        return program_.WaitForExit();
    }

    // Whether the program ended by itself with the code, having written the
    // report to the debug output and shown no window on the way.
    ::testing::AssertionResult EndsWithoutWindows(DWORD code, const std::string &report)
    {
        std::vector<std::string> shown;
        const std::optional<DWORD> exit = ExitNoting(shown);
        if (exit == Code(code) && program_.DebugOutputContains(report) && shown.empty() && !program_.EndedByDriver())
            return ::testing::AssertionSuccess();
        ::testing::AssertionResult failure = ::testing::AssertionFailure();
        failure << "expected exit code " << code << " and \"" << report << "\" without windows; shown:";
        for (const std::string &window : shown)
            failure << " [" << window << "]";
        return failure << "\n" << program_.Report();
    }

    // Closes the full-screen saver with a key and expects it to end as a
    // closed saver does.
    void EndSaverWithKey(const driver::WindowInfo &saver)
    {
        driver::PostKeyPress(saver.handle, 'K');
        EXPECT_TRUE(program_.WaitUntilGone(saver.handle)) << program_.Report();
        EXPECT_EQ(program_.WaitForExit(), Code(brix::SaverClosedCode)) << program_.Report();
        EXPECT_FALSE(program_.EndedByDriver());
    }

    void ExpectFullScreen(const driver::WindowInfo &saver, const std::string &title)
    {
        EXPECT_EQ(saver.title, title);
        EXPECT_EQ(saver.processId, program_.ProcessId());
        // The platform adds WS_CLIPSIBLINGS to every top-level window.
        EXPECT_EQ(saver.style, static_cast<DWORD>(WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS))
            << driver::Describe(saver);
        EXPECT_TRUE(saver.exStyle & WS_EX_TOPMOST) << driver::Describe(saver);
        EXPECT_EQ(saver.Width(), GetSystemMetrics(SM_CXSCREEN));
        EXPECT_EQ(saver.Height(), GetSystemMetrics(SM_CYSCREEN));
    }

    ProgramDriver program_{SaverPath()};
};

// ---------------------------------------------------------------------
// Full-screen saver.

TEST_F(EntryProgram, SaverThroughTheCallbackEntryIsTheWindowItsHookCreatesOrNone)
{
    ASSERT_TRUE(Start("callback", "own", "/s"));
    auto saver = program_.WaitForWindowOfClass(DummyClass);
    ASSERT_TRUE(saver) << program_.Report();
    ExpectFullScreen(*saver, brix::SaverTitle + " (own)");
    EXPECT_TRUE(program_.DebugOutputContains("create hook" + FullScreenCreation(0))) << program_.Report();
    EndSaverWithKey(*saver);
    EXPECT_TRUE(program_.DebugOutputContains("entry_saver: end 2")) << program_.Report();
    EXPECT_TRUE(program_.UnhandledExceptions().empty()) << program_.Report();

    // A hook that creates nothing: no window at all, and the run fails.
    ASSERT_TRUE(Start("callback", "0", "/s"));
    EXPECT_TRUE(EndsWithoutWindows(brix::FailureCode, "create hook" + FullScreenCreation(0)));
}

TEST_F(EntryProgram, SaverThroughTheHostEntryIsTheFrameworksWhenTheHostAnswersZero)
{
    ASSERT_TRUE(Start("host", "0", "/s"));
    auto saver = program_.WaitForWindowOfClass(DummyClass);
    ASSERT_TRUE(saver) << program_.Report();
    ExpectFullScreen(*saver, brix::SaverTitle);
    // Asked for the full-screen window first, then for any window.
    const int full = LineOf(program_, "CREATEFULL" + FullScreenCreation(0));
    const int any = LineOf(program_, "CREATEWINDOW" + FullScreenCreation(0));
    EXPECT_GE(full, 0) << program_.Report();
    EXPECT_GT(any, full) << program_.Report();
    EXPECT_FALSE(program_.DebugOutputContains("PREVIEW")) << program_.Report();
    EndSaverWithKey(*saver);
    EXPECT_TRUE(program_.UnhandledExceptions().empty()) << program_.Report();
}

// ---------------------------------------------------------------------
// Preview inside a window of this process.

class EntryPreview : public EntryProgram {
protected:
    // The preview that appears inside the host, checked against the host.
    std::optional<driver::WindowInfo> WaitForPreview(const PreviewHost &host)
    {
        const auto shown = brix::WaitForChildOfClass(program_, host.Handle(), DummyClass);
        if (!shown)
            return std::nullopt;
        const driver::WindowInfo &preview = *shown;
        RECT hostRect{};
        GetWindowRect(host.Handle(), &hostRect);
        EXPECT_EQ(preview.processId, program_.ProcessId());
        EXPECT_EQ(preview.style, static_cast<DWORD>(WS_CHILD | WS_VISIBLE)) << driver::Describe(preview);
        EXPECT_EQ(preview.Width(), hostRect.right - hostRect.left);
        EXPECT_EQ(preview.Height(), hostRect.bottom - hostRect.top);
        return preview;
    }

    void EndWithHost(PreviewHost &host, const driver::WindowInfo &preview)
    {
        host.Destroy();
        EXPECT_TRUE(program_.WaitUntilGone(preview.handle)) << program_.Report();
        EXPECT_EQ(program_.WaitForExit(), Code(brix::SaverClosedCode)) << program_.Report();
        EXPECT_FALSE(program_.EndedByDriver());
        EXPECT_TRUE(program_.UnhandledExceptions().empty()) << program_.Report();
    }
};

// A host that creates the preview is asked for nothing afterwards; a hook
// creates it itself; a host that answers zero gets the framework's.
TEST_F(EntryPreview, ThePreviewIsTheHooksOrTheHostsOrElseTheFrameworks)
{
    const struct {
        const char *entry, *answer, *title;
        std::vector<std::string> requests;  // reported in this order
        std::vector<std::string> absent;
    } cases[] = {
        {"host", "own", " (own)", {"CREATESYSPREVIEW", "CREATEPREVIEW"}, {"CREATEWINDOW", "CREATECONFIGPREVIEW"}},
        {"callback", "own", " (own)", {"create hook"}, {}},
        {"host", "0", "", {"CREATESYSPREVIEW", "CREATEPREVIEW", "CREATEWINDOW"}, {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.entry) + " " + c.answer);
        PreviewHost host;
        ASSERT_TRUE(host.Handle());
        ASSERT_TRUE(Start(c.entry, c.answer, "/p " + host.Number()));
        auto preview = WaitForPreview(host);
        ASSERT_TRUE(preview) << program_.Report();
        EXPECT_EQ(preview->title, brix::PreviewTitle + c.title);
        int previous = -1;
        for (const std::string &request : c.requests) {
            const int line = LineOf(program_, request + PreviewCreation(2, host.Handle()));
            EXPECT_GT(line, previous) << request << " after the request before it\n" << program_.Report();
            previous = line;
        }
        for (const std::string &text : c.absent)
            EXPECT_FALSE(program_.DebugOutputContains(text)) << program_.Report();
        EndWithHost(host, *preview);
    }
}

// ---------------------------------------------------------------------
// Configuration.

// What the sheet hook is handed: the hidden host dialog as the header's
// parent, the General page, the sheet's flags, and no owner to notify.
const std::string SheetHookCall = "sheet hook host window parent-is-host yes pages 1 flags 0x18A notify 0";

TEST_F(EntryProgram, ConfigurationHookOrHostThatAnswersItsOwnResultReplacesTheSheet)
{
    struct Case {
        const char *entry;
        const char *answer;
        const std::string &report;
        DWORD code;
    };
    const std::string hostCall = "PROPERTYSHEET wparam window";
    for (const Case &c : {Case{"callback", "0", SheetHookCall, 0}, Case{"callback", "own", SheetHookCall, 7},
                          Case{"host", "own", hostCall, 1}}) {
        SCOPED_TRACE(std::string(c.entry) + " " + c.answer);
        ASSERT_TRUE(Start(c.entry, c.answer, "/c"));
        EXPECT_TRUE(EndsWithoutWindows(c.code, c.report));
    }
}

// The framework's sheet and, from its system menu, the About box: each
// opened after the hook or host passed the request on.
class EntryConfiguration : public EntryProgram {
protected:
    void RunSheetWithAbout(const std::string &sheetReport, const std::string &aboutReport)
    {
        auto sheet = program_.WaitForMessageBox(brix::ConfigSheetCaption);
        ASSERT_TRUE(sheet) << program_.Report();
        EXPECT_TRUE(program_.DebugOutputContains(sheetReport)) << program_.Report();
        EXPECT_TRUE(GetDlgItem(sheet->Handle(), IDCANCEL));

        PostMessageA(sheet->Handle(), WM_SYSCOMMAND, 3500, 0);
        auto about = program_.WaitForMessageBox(brix::AboutCaption);
        ASSERT_TRUE(about) << program_.Report();
        EXPECT_TRUE(program_.DebugOutputContains(aboutReport)) << program_.Report();
        EXPECT_EQ(GetWindow(about->Handle(), GW_OWNER), sheet->Handle());
        ASSERT_TRUE(program_.Answer(*about, IDOK)) << program_.Report();

        ASSERT_TRUE(driver::ClickDialogButton(sheet->Handle(), IDCANCEL));
        // Cancel: the sheet's own result.
        EXPECT_EQ(program_.WaitForExit(), Code(0)) << program_.Report();
        EXPECT_FALSE(program_.EndedByDriver());
        EXPECT_TRUE(program_.UnhandledExceptions().empty()) << program_.Report();
    }
};

TEST_F(EntryConfiguration, HooksThatAnswerNotHandledGetTheFrameworksSheetAndAbout)
{
    ASSERT_TRUE(Start("callback", "9", "/c"));
    RunSheetWithAbout(SheetHookCall, "about hook owner class #32770");
}

TEST_F(EntryConfiguration, HostThatAnswersZeroGetsTheFrameworksSheetAndAbout)
{
    ASSERT_TRUE(Start("host", "0", "/c"));
    RunSheetWithAbout("PROPERTYSHEET wparam window", "ABOUT wparam window");
}

TEST_F(EntryConfiguration, AboutHookOrHostThatAnswersNonzeroReplacesTheAboutBox)
{
    struct Case {
        const char *entry;
        const char *answer;
        const char *aboutReport;
    };
    for (const Case &c : {Case{"callback", "9", "about hook owner class #32770"},
                          Case{"host", "0", "ABOUT wparam window"}}) {
        SCOPED_TRACE(c.entry);
        SetVariable("DUSKLIT_TEST_ABOUT", "own");
        ASSERT_TRUE(Start(c.entry, c.answer, "/c"));
        auto sheet = program_.WaitForMessageBox(brix::ConfigSheetCaption);
        ASSERT_TRUE(sheet) << program_.Report();

        // Sent, so it returns only once the sheet has handled the command:
        // an About box shown then would hold it in its modal loop.
        DWORD_PTR result = 0;
        EXPECT_TRUE(SendMessageTimeoutA(sheet->Handle(), WM_SYSCOMMAND, 3500, 0, SMTO_ABORTIFHUNG,
                                        driver::Limit(30000), &result))
            << program_.Report();
        EXPECT_TRUE(program_.DebugOutputContains(c.aboutReport)) << program_.Report();
        for (const auto &box : program_.MessageBoxes())
            EXPECT_NE(box.caption, brix::AboutCaption);

        ASSERT_TRUE(driver::ClickDialogButton(sheet->Handle(), IDCANCEL));
        EXPECT_EQ(program_.WaitForExit(), Code(0)) << program_.Report();
        EXPECT_FALSE(program_.EndedByDriver());
    }
}

// ---------------------------------------------------------------------
// Password change.

TEST_F(EntryProgram, PasswordHookAndHostResultsEndTheModeWithoutDialogs)
{
    struct Case {
        const char *entry;
        const char *answer;
        const char *report;
        DWORD code;
    };
    const Case cases[] = {
        {"callback", "0", "password hook parent window", 0},
        {"callback", "own", "password hook parent window", 5},
        // The framework's change through Wine's MPR.DLL, whose entry does
        // nothing: handed over, so 1.
        {"callback", "9", "password hook parent window", 1},
        {"host", "own", "CHANGEPASSWORD wparam window", 1},
    };
    // The parent named on the command line reaches the hook and the host.
    HWND parent = CreateWindowExA(0, "STATIC", "Password parent", WS_OVERLAPPED, 0, 0, 50, 50, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    ASSERT_TRUE(parent);
    const std::string arguments = "/a " + std::to_string(reinterpret_cast<UINT_PTR>(parent));
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.entry) + " " + c.answer);
        ASSERT_TRUE(Start(c.entry, c.answer, arguments));
        EXPECT_TRUE(EndsWithoutWindows(c.code, c.report));
    }
    DestroyWindow(parent);
}

TEST_F(EntryProgram, PasswordChangeLeftToTheFrameworkRefusesWhenNoPasswordIsEverRequired)
{
    for (const char *entry : {"callback", "host"}) {
        SCOPED_TRACE(entry);
        ASSERT_TRUE(Start(entry, std::string(entry) == "host" ? "0" : "9", "/a", true));
        auto box = program_.WaitForMessageBox("Password");
        ASSERT_TRUE(box) << program_.Report();
        EXPECT_EQ(box->text, NeverPasswordText);
        EXPECT_EQ(box->ButtonIds(), std::vector<int>{IDOK});
        EXPECT_TRUE(program_.DebugOutputContains(std::string(entry) == "host" ? "CHANGEPASSWORD wparam"
                                                                              : "password hook parent"))
            << program_.Report();
        ASSERT_TRUE(program_.Answer(*box, IDOK)) << program_.Report();
        EXPECT_EQ(program_.WaitForExit(), Code(1)) << program_.Report();
        EXPECT_FALSE(program_.EndedByDriver());
    }
}

}  // namespace
