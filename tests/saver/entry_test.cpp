// The framework entries as a saver program uses them, with the command line
// under test in place of the process's own. Each test saver describes its
// window when it is created, closes it at once, and ends the run mode's
// loop with its own code, so the entry's result shows that code came back.
// Also: a creation record that a hook took over is not the framework's.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "dusklit.h"
#include "saver/command_line.h"
#include "saver/host_dpi_context.h"
#include "saver/run_state.h"
#include "saver/saver_windows.h"
#include "tests/support/message_box_watch.h"
#include "tests/support/prefs.h"
#include "tests/support/preview_host.h"
#include "tests/support/process_windows.h"
#include "tests/support/thread_awareness.h"

// Notes whether one watched block is freed. The framework frees creation
// records with delete, so this sees it free one.
namespace {
const void *WatchedBlock = nullptr;
bool WatchedBlockFreed = false;
} // namespace

void operator delete(void *block) noexcept
{
    if (block && block == WatchedBlock)
        WatchedBlockFreed = true;
    std::free(block);
}

void operator delete(void *block, std::size_t) noexcept
{
    ::operator delete(block);
}

namespace {

constexpr int LoopEndCode = 7;    // what the test saver's WM_DESTROY quits with
constexpr int ForeignQuitCode = 9; // what anyone else's WM_QUIT carries

// ----------------------------------------------------------- test savers

std::map<std::string, std::string> Report;

std::string Number(unsigned long value)
{
    return std::to_string(value);
}

void DescribeWindow(HWND window, const CREATESTRUCTA *create)
{
    char text[256] = "";
    GetClassNameA(window, text, sizeof text);
    Report["class"] = text;
    GetWindowTextA(window, text, sizeof text);
    Report["title"] = text;
    // As requested: the system adds its own bits to the live styles.
    Report["style"] = Number(static_cast<unsigned long>(create->style));
    Report["exstyle"] = Number(create->dwExStyle);
    Report["topmost"] = (GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST) ? "yes" : "no";
    RECT rect = {};
    GetWindowRect(window, &rect);
    Report["left"] = std::to_string(rect.left);
    Report["top"] = std::to_string(rect.top);
    Report["width"] = Number(static_cast<unsigned long>(rect.right - rect.left));
    Report["height"] = Number(static_cast<unsigned long>(rect.bottom - rect.top));
    Report["parent"] = Number(static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(GetParent(window))));
    auto *params = static_cast<const SaverCreateParams *>(create->lpCreateParams);
    Report["mode"] = params ? Number(static_cast<unsigned long>(params->mode)) : "none";
}

LRESULT CALLBACK ReportingSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK NestingSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The own-class window class keeps the procedure of its first registration
// for the whole process, so every test registers this one and picks the
// behaviour it wants here.
WNDPROC CurrentSaverProc = ReportingSaverProc;

LRESULT CALLBACK TestSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return CurrentSaverProc(window, message, wParam, lParam);
}

LRESULT CALLBACK ReportingSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        // The record is the window's until DefSaverProc has seen WM_CREATE.
        DescribeWindow(window, reinterpret_cast<CREATESTRUCTA *>(lParam));
        // Anyone can post the thread or the window a WM_QUIT: while the
        // full-screen window lives it ends nothing, so every saver run
        // still ends with the code of its own WM_DESTROY.
        if (!GetParent(window)) {
            PostThreadMessageA(GetCurrentThreadId(), WM_QUIT, ForeignQuitCode, 0);
            PostMessageA(window, WM_QUIT, ForeignQuitCode, 0);
        }
        PostMessageA(window, WM_CLOSE, 0, 0);
        break;
    case WM_DESTROY:
        PostQuitMessage(LoopEndCode);
        return 0;
    }
    return DefSaverProc(window, message, wParam, lParam);
}

LRESULT CALLBACK NestingSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CREATE) {
        Report["nested"] = std::to_string(ScrMain(GetModuleHandleA(nullptr), TestSaverProc, nullptr, nullptr, 0));
        ScrPrefs *prefs = ScrGetPrefs();
        prefs->NoTimers = 1;
        ScrSetPrefs(prefs); // refused: the record stays ours
        Report["record_kept"] = prefs->Size == SCRPREFS_SIZE ? "yes" : "no";
        std::free(prefs);
        ScrPrefs *now = ScrGetPrefs();
        Report["notimers"] = std::to_string(now->NoTimers);
        std::free(now);
    }
    return ReportingSaverProc(window, message, wParam, lParam);
}

HWND CALLBACK RefusingCreateHook(int mode, CREATESTRUCTA *create)
{
    Report["hook_mode"] = std::to_string(mode);
    Report["hook_class"] = create->lpszClass;
    Report["hook_title"] = create->lpszName;
    Report["hook_size"] = std::to_string(create->cx) + "x" + std::to_string(create->cy);
    Report["hook_origin"] = std::to_string(create->x) + "," + std::to_string(create->y);
    Report["hook_awareness"] = std::to_string(ThreadDpiAwareness());
    delete static_cast<SaverCreateParams *>(create->lpCreateParams);
    return nullptr;
}

// A hook that takes the framework's creation record over: it creates the
// saver window with a parameter of its own and keeps the record's memory
// as its own.
SaverCreateParams *TakenRecord = nullptr;

HWND CALLBACK TakingOverCreateHook(int, CREATESTRUCTA *create)
{
    TakenRecord = static_cast<SaverCreateParams *>(create->lpCreateParams);
    return CreateWindowExA(create->dwExStyle, create->lpszClass, create->lpszName, static_cast<DWORD>(create->style),
                           create->x, create->y, create->cx, create->cy, create->hwndParent, create->hMenu,
                           create->hInstance, nullptr);
}

INT_PTR CALLBACK ChangePasswordHookAnswer(HWND)
{
    Report["password_hook"] = "called";
    return std::atoi(Report["password_hook_answer"].c_str());
}

// A host window that creates previews itself when asked the second time,
// and the full-screen window when asked the first time, and lets every
// other request fall back to the framework.
std::vector<UINT> HostRequests;

LRESULT CALLBACK PreviewMakingHostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message >= SCRHOST_CREATECONFIGPREVIEW && message <= SCRHOST_CHANGEPASSWORD)
        HostRequests.push_back(message);
    if (message == SCRHOST_CREATEPREVIEW || message == SCRHOST_CREATEFULL) {
        auto *create = reinterpret_cast<CREATESTRUCTA *>(lParam);
        Report["host_mode"] = std::to_string(wParam);
        Report["host_rect"] = std::to_string(create->x) + "," + std::to_string(create->y) + " " +
                              std::to_string(create->cx) + "x" + std::to_string(create->cy);
        HWND made = CreateWindowExA(create->dwExStyle, create->lpszClass, create->lpszName,
                                    static_cast<DWORD>(create->style), create->x, create->y, create->cx, create->cy,
                                    create->hwndParent, create->hMenu, create->hInstance, create->lpCreateParams);
        // The framework's own class closes at once when the test says so.
        PostMessageA(made, WM_CLOSE, 0, 0);
        return reinterpret_cast<LRESULT>(made);
    }
    if (message == SCRHOST_CHANGEPASSWORD)
        return 1;
    return DefHostProc(window, message, wParam, lParam);
}

int RunChild(const std::string &scenario)
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    int result = 0;
    CurrentSaverProc = scenario == "nesting" ? NestingSaverProc : ReportingSaverProc;
    if (scenario == "own" || scenario == "nesting") {
        result = ScrMain(instance, TestSaverProc, nullptr, nullptr, 0);
    } else if (scenario == "callback-refuses") {
        result = ScrMainCallback(instance, RefusingCreateHook, nullptr, nullptr, nullptr);
    } else if (scenario == "debug-window") {
        SetPref(&ScrPrefs::DebugWindow, 1);
        result = ScrMain(instance, TestSaverProc, nullptr, nullptr, 0);
        SetPref(&ScrPrefs::DebugWindow, 0);
    } else if (scenario == "host") {
        HostRequests.clear();
        HWND host = MakeHostWindow("EntryTestHost", PreviewMakingHostProc);
        result = ScrMainHost(instance, host);
        DestroyWindow(host);
        std::string requests;
        for (UINT request : HostRequests)
            requests += (requests.empty() ? "" : " ") + std::to_string(request);
        Report["host_requests"] = requests;
    } else if (scenario == "callback-password-0" || scenario == "callback-password-9") {
        Report["password_hook_answer"] = scenario == "callback-password-0" ? "0" : "9";
        SetPref(&ScrPrefs::NeverRequirePassword, 1);
        MessageBoxWatch boxes;
        result = ScrMainCallback(instance, nullptr, nullptr, nullptr, ChangePasswordHookAnswer);
        SetPref(&ScrPrefs::NeverRequirePassword, 0);
        for (const SeenMessageBox &box : boxes.Seen())
            Report["box"] = box.caption + "|" + box.text;
    } else if (scenario == "never-password") {
        SetPref(&ScrPrefs::NeverRequirePassword, 1);
        MessageBoxWatch boxes;
        result = ScrMain(instance, TestSaverProc, nullptr, nullptr, 0);
        SetPref(&ScrPrefs::NeverRequirePassword, 0);
        for (const SeenMessageBox &box : boxes.Seen())
            Report["box"] = box.caption + "|" + box.text;
    }
    Report["result"] = std::to_string(result);
    return result;
}

// --------------------------------------------------------------- runner

struct ChildRun {
    DWORD exitCode = 0xFFFFFFFF;
    std::map<std::string, std::string> report;
};

std::string CurrentLine;

const char *TestCommandLine()
{
    return CurrentLine.c_str();
}

std::string ExePath()
{
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, sizeof path);
    return path;
}

// Enters the framework as `scenario` does, with the command line the
// quoted program path and `arguments` (or `wholeLine` verbatim).
ChildRun RunScenario(const std::string &scenario, const std::string &arguments, const char *wholeLine = nullptr)
{
    CurrentLine = wholeLine ? wholeLine : "\"" + ExePath() + "\" " + arguments;
    CommandLineSource = TestCommandLine;
    Report.clear();
    ChildRun run;
    run.exitCode = static_cast<DWORD>(RunChild(scenario));
    run.report = Report;
    return run;
}

std::string Decimal(unsigned long value)
{
    return std::to_string(value);
}

TEST(Entry, SaverSwitchRunsATopmostFullScreenWindow)
{
    ChildRun run = RunScenario("own", "/s");
    EXPECT_EQ(run.exitCode, static_cast<DWORD>(LoopEndCode));
    EXPECT_EQ(run.report["class"], "ZoScreenSaverClass");
    EXPECT_EQ(run.report["title"], "SaverWindow");
    EXPECT_EQ(run.report["style"], Decimal(WS_POPUP | WS_VISIBLE));
    EXPECT_EQ(run.report["exstyle"], Decimal(WS_EX_TOPMOST));
    EXPECT_EQ(run.report["topmost"], "yes");
    // Every monitor: the virtual screen, which is the screen when there is one.
    EXPECT_EQ(run.report["left"], std::to_string(GetSystemMetrics(SM_XVIRTUALSCREEN)));
    EXPECT_EQ(run.report["top"], std::to_string(GetSystemMetrics(SM_YVIRTUALSCREEN)));
    EXPECT_EQ(run.report["width"], Decimal(GetSystemMetrics(SM_CXVIRTUALSCREEN)));
    EXPECT_EQ(run.report["height"], Decimal(GetSystemMetrics(SM_CYVIRTUALSCREEN)));
    if (GetSystemMetrics(SM_CMONITORS) == 1) {
        EXPECT_EQ(run.report["width"], Decimal(GetSystemMetrics(SM_CXSCREEN)));
        EXPECT_EQ(run.report["height"], Decimal(GetSystemMetrics(SM_CYSCREEN)));
    }
    EXPECT_EQ(run.report["parent"], "0");
    EXPECT_EQ(run.report["mode"], "0");
}

TEST(Entry, EverySaverSpellingRunsTheSaver)
{
    for (const char *arguments : {"-s", "-/S", "S", "  /s   trailing words"}) {
        ChildRun run = RunScenario("own", arguments);
        EXPECT_EQ(run.exitCode, static_cast<DWORD>(LoopEndCode)) << arguments;
        EXPECT_EQ(run.report["title"], "SaverWindow") << arguments;
    }
}

TEST(Entry, PreviewFillsTheNamedWindowInEveryForm)
{
    PreviewHost parent;
    ASSERT_NE(parent.Handle(), nullptr);
    RECT outer;
    GetWindowRect(parent.Handle(), &outer);
    const std::string number = parent.Number();
    char hex[32];
    std::snprintf(hex, sizeof hex, "0x%lX", static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(parent.Handle())));
    for (const std::string &arguments : {"/p " + number, "/p:" + number, "/P " + std::string(hex), "/l " + number,
                                         "-p :: " + number}) {
        ChildRun run = RunScenario("own", arguments);
        EXPECT_EQ(run.exitCode, static_cast<DWORD>(LoopEndCode)) << arguments;
        EXPECT_EQ(run.report["title"], "SaverPreview") << arguments;
        EXPECT_EQ(run.report["parent"], number) << arguments;
        EXPECT_EQ(run.report["style"], Decimal(WS_CHILD | WS_VISIBLE)) << arguments;
        // The outer size, border included.
        EXPECT_EQ(run.report["width"], Decimal(outer.right - outer.left)) << arguments;
        EXPECT_EQ(run.report["height"], Decimal(outer.bottom - outer.top)) << arguments;
        EXPECT_EQ(run.report["mode"], "2") << arguments;
    }
}

// Made in its host's DPI awareness, which Windows 10 1803 and later demand
// of a child in a window that allows no mixed hosting.
TEST(Entry, PreviewIsMadeInItsHostsDpiAwareness)
{
    PreviewHost parent;
    const int own = ThreadDpiAwareness();
    for (int said : {1, 0}) { // system aware, unaware
        SaidHostAwareness = said ? DPI_AWARENESS_CONTEXT_SYSTEM_AWARE : DPI_AWARENESS_CONTEXT_UNAWARE;
        ChildRun run = RunScenario("callback-refuses", "/p " + parent.Number());
        EXPECT_EQ(run.report["hook_awareness"], std::to_string(said));
        EXPECT_EQ(ThreadDpiAwareness(), own);
    }
    SaidHostAwareness = nullptr;
}

// A number names the same handle in a 32-bit and a 64-bit program: the
// system's own HWND_TOPMOST (-1) and HWND_MESSAGE (-3), written either way,
// and a real window by its number.
TEST(Entry, WindowNumbersNameTheSameHandleInEitherWidth)
{
    std::intptr_t bits = 0;
    ASSERT_TRUE(WindowHandleBits(4294967295LL, bits));
    EXPECT_EQ(reinterpret_cast<HWND>(bits), HWND_TOPMOST);
    for (std::int64_t number : {-3LL, 4294967293LL}) {
        ASSERT_TRUE(WindowHandleBits(number, bits)) << number;
        EXPECT_EQ(reinterpret_cast<HWND>(bits), HWND_MESSAGE) << number;
    }
    PreviewHost parent;
    ASSERT_TRUE(WindowHandleBits(std::stoll(parent.Number()), bits));
    EXPECT_EQ(reinterpret_cast<HWND>(bits), parent.Handle());
}

TEST(Entry, UnusableCommandLinesFailWithTwoAndCreateNothing)
{
    const std::string exe = "\"" + ExePath() + "\"";
    for (const std::string &line :
         {exe + " /x", exe + " /-s", exe + " --s", exe + " /p", exe + " /p   :", exe + " /p abc",
          exe + " /p 4294967296", exe + " /p 0x7ffffff0", exe + " /7", exe + "\t/s", "\"" + ExePath() + " /s"}) {
        ChildRun run = RunScenario("own", "", line.c_str());
        EXPECT_EQ(run.exitCode, 2u) << line;
        EXPECT_EQ(run.report.count("class"), 0u) << line;
        EXPECT_EQ(run.report["result"], "2") << line;
    }
}

TEST(Entry, EntriesDoNotNestAndPrefsStayFixedWhileRunning)
{
    ChildRun run = RunScenario("nesting", "/s");
    EXPECT_EQ(run.exitCode, static_cast<DWORD>(LoopEndCode));
    EXPECT_EQ(run.report["nested"], "2");
    EXPECT_EQ(run.report["record_kept"], "yes");
    EXPECT_EQ(run.report["notimers"], "0");
}

TEST(Entry, CallbackHookThatCreatesNothingEndsWithTwo)
{
    ChildRun run = RunScenario("callback-refuses", "/s");
    EXPECT_EQ(run.exitCode, 2u);
    EXPECT_EQ(run.report["hook_mode"], "0");
    EXPECT_EQ(run.report["hook_class"], "DummyScreenSaverClass");
    EXPECT_EQ(run.report["hook_title"], "SaverWindow");
    EXPECT_EQ(run.report["hook_size"],
              Decimal(GetSystemMetrics(SM_CXVIRTUALSCREEN)) + "x" + Decimal(GetSystemMetrics(SM_CYVIRTUALSCREEN)));
    EXPECT_EQ(run.report["hook_origin"], std::to_string(GetSystemMetrics(SM_XVIRTUALSCREEN)) + "," +
                                             std::to_string(GetSystemMetrics(SM_YVIRTUALSCREEN)));
}

// The hook's window came with the hook's own parameter; later the
// application creates a window of the framework's class whose own
// creation parameter is the memory that was the framework's record.
// DefSaverProc must leave it alone: the record stopped being the
// framework's when the hook returned.
TEST(Entry, ARecordAHookTookOverIsNotFreedWhenItComesBackAsAnotherParameter)
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA dummy = {};
    if (!GetClassInfoA(instance, "DummyScreenSaverClass", &dummy)) {
        dummy.lpfnWndProc = DefSaverProc;
        dummy.hInstance = instance;
        dummy.lpszClassName = "DummyScreenSaverClass";
        ASSERT_NE(RegisterClassA(&dummy), 0);
    }
    ModuleInstance = instance;
    EntryArgs = EntryArguments();
    EntryArgs.CreateWindowHook = TakingOverCreateHook;
    TakenRecord = nullptr;
    HWND saver = CallbackCreateSaver();
    ASSERT_NE(saver, nullptr);
    ASSERT_NE(TakenRecord, nullptr);

    TakenRecord->mode = 2;
    WatchedBlock = TakenRecord;
    WatchedBlockFreed = false;
    HWND later = CreateWindowExA(0, "DummyScreenSaverClass", "SaverPreview", WS_CHILD, 0, 0, 10, 10, saver, nullptr,
                                 instance, TakenRecord);
    EXPECT_NE(later, nullptr);
    EXPECT_FALSE(WatchedBlockFreed) << "the application's own parameter was freed";

    DestroyWindow(saver);
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    }
    if (!WatchedBlockFreed)
        delete TakenRecord;
    WatchedBlock = nullptr;
    EntryArgs = EntryArguments();
}

TEST(Entry, PasswordChangeRefusedWhenTheSaverNeverNeedsOne)
{
    ChildRun run = RunScenario("never-password", "/a");
    EXPECT_EQ(run.exitCode, 1u);
    EXPECT_EQ(run.report["box"], "Password|This screensaver never requires a password");
}

TEST(Entry, DebugWindowIsASixthOfTheScreenOverlappedAndNotTopmost)
{
    ChildRun run = RunScenario("debug-window", "/s");
    EXPECT_EQ(run.exitCode, static_cast<DWORD>(LoopEndCode));
    EXPECT_EQ(run.report["style"], Decimal(WS_OVERLAPPEDWINDOW | WS_VISIBLE));
    // The system adds an edge to an overlapped window; topmost it is not.
    EXPECT_EQ(std::stoul(run.report["exstyle"]) & ~static_cast<unsigned long>(WS_EX_WINDOWEDGE), 0u);
    EXPECT_EQ(run.report["topmost"], "no");
    EXPECT_EQ(run.report["left"], "0");
    EXPECT_EQ(run.report["top"], "0");
    // A sixth of the primary monitor, however many there are.
    EXPECT_EQ(run.report["width"], Decimal(GetSystemMetrics(SM_CXSCREEN) / 6));
    EXPECT_EQ(run.report["height"], Decimal(GetSystemMetrics(SM_CYSCREEN) / 6));
    if (GetSystemMetrics(SM_CXSCREEN) == 1024 && GetSystemMetrics(SM_CYSCREEN) == 768) {
        EXPECT_EQ(run.report["width"], "170");
        EXPECT_EQ(run.report["height"], "128");
    }
}

TEST(Entry, AHostThatMakesThePreviewIsNeverAskedToCreateTheWindow)
{
    PreviewHost parent;
    ChildRun run = RunScenario("host", "/p " + parent.Number());
    EXPECT_EQ(run.report["host_mode"], "2");
    EXPECT_EQ(run.report["host_requests"],
              Decimal(SCRHOST_CREATESYSPREVIEW) + " " + Decimal(SCRHOST_CREATEPREVIEW));
    EXPECT_EQ(run.exitCode, 2u) << "the preview's end ends the loop";

    ChildRun full = RunScenario("host", "/s");
    EXPECT_EQ(full.report["host_requests"], Decimal(SCRHOST_CREATEFULL));
    EXPECT_EQ(full.report["host_mode"], "0");
    EXPECT_EQ(full.report["host_rect"],
              std::to_string(GetSystemMetrics(SM_XVIRTUALSCREEN)) + "," +
                  std::to_string(GetSystemMetrics(SM_YVIRTUALSCREEN)) + " " +
                  Decimal(GetSystemMetrics(SM_CXVIRTUALSCREEN)) + "x" + Decimal(GetSystemMetrics(SM_CYVIRTUALSCREEN)));
    EXPECT_EQ(full.exitCode, 2u) << "the host's window closed and ended the loop";

    ChildRun password = RunScenario("host", "/a");
    EXPECT_EQ(password.exitCode, 1u) << "the host changed the password";
    EXPECT_EQ(password.report["host_requests"], Decimal(SCRHOST_CHANGEPASSWORD));
}

TEST(Entry, ChangePasswordHookDecidesUnlessItAnswersNine)
{
    ChildRun handled = RunScenario("callback-password-0", "/a");
    EXPECT_EQ(handled.report["password_hook"], "called");
    EXPECT_EQ(handled.exitCode, 0u);
    EXPECT_EQ(handled.report.count("box"), 0u);

    ChildRun passedOn = RunScenario("callback-password-9", "/a");
    EXPECT_EQ(passedOn.report["password_hook"], "called");
    EXPECT_EQ(passedOn.exitCode, 1u) << "the framework's own change, refused by the prefs";
    EXPECT_EQ(passedOn.report["box"], "Password|This screensaver never requires a password");
}

} // namespace
