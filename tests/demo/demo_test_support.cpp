#include "demo_test_support.h"

#include <cstdio>
#include <cstring>

#include "demo/demo_loop.h"
#include "demo/gl_window.h"
#include "tests/support/process_windows.h"

namespace {

BoxAnswerer *CurrentAnswerer = nullptr;
DisplayModeWatch *CurrentWatch = nullptr;

// A fault in the code under test ends the process at once with a failing
// exit code, instead of waiting on the system's crash dialog.
LONG WINAPI EndOnCrash(EXCEPTION_POINTERS *exception)
{
    std::fprintf(stderr, "crashed with exception 0x%08lx\n", exception->ExceptionRecord->ExceptionCode);
    std::fflush(stderr);
    TerminateProcess(GetCurrentProcess(), 3);
    return EXCEPTION_EXECUTE_HANDLER;
}

struct CrashGuard {
    CrashGuard() { SetUnhandledExceptionFilter(EndOnCrash); }
} InstallCrashGuard;

bool IsBox(HWND window)
{
    return ClassOf(window) == "#32770";
}

BOOL CALLBACK FindIcon(HWND child, LPARAM icon)
{
    if ((GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) != SS_ICON)
        return TRUE;
    *reinterpret_cast<HICON *>(icon) = reinterpret_cast<HICON>(SendMessageA(child, STM_GETICON, 0, 0));
    return FALSE;
}

BOOL CALLBACK AnswerOpenBox(HWND window, LPARAM answerer)
{
    if (IsBox(window) && IsWindowVisible(window))
        reinterpret_cast<BoxAnswerer *>(answerer)->Answer(window);
    return TRUE;
}

} // namespace

BoxAnswerer::BoxAnswerer(std::vector<int> answers) : answers_(std::move(answers))
{
    CurrentAnswerer = this;
    hook_ = SetWindowsHookExA(WH_CBT, Hook, nullptr, GetCurrentThreadId());
    timer_ = SetTimer(nullptr, 0, 250, Watchdog);
}

BoxAnswerer::~BoxAnswerer()
{
    KillTimer(nullptr, timer_);
    UnhookWindowsHookEx(hook_);
    CurrentAnswerer = nullptr;
}

void BoxAnswerer::Answer(HWND box)
{
    for (const auto &seen : answered_) {
        if (seen.first != box)
            continue;
        if (GetTickCount() - seen.second > 5000) {
            timedOut_ = true;
            EndDialog(box, IDCANCEL);
        }
        return;
    }
    answered_.emplace_back(box, GetTickCount());
    ShownBox shown{WindowText(box), WindowText(GetDlgItem(box, 0xFFFF)), GetWindow(box, GW_OWNER) != nullptr,
                   GetDlgItem(box, IDOK) != nullptr, GetDlgItem(box, IDYES) != nullptr,
                   GetDlgItem(box, IDNO) != nullptr, nullptr};
    EnumChildWindows(box, FindIcon, reinterpret_cast<LPARAM>(&shown.icon));
    boxes.push_back(shown);
    if (onShow)
        onShow(onShowContext);
    const size_t n = boxes.size() - 1;
    const int answer = n < answers_.size() ? answers_[n] : shown.ok ? IDOK : IDNO;
    // Posted: the box's own modal loop takes it as a click on that button.
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(box, answer)));
}

LRESULT CALLBACK BoxAnswerer::Hook(int code, WPARAM wParam, LPARAM lParam)
{
    // A box is activated once it has its text and buttons.
    if (code == HCBT_ACTIVATE && CurrentAnswerer && IsBox(reinterpret_cast<HWND>(wParam)))
        CurrentAnswerer->Answer(reinterpret_cast<HWND>(wParam));
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Every quarter second: answers a box the hook missed, and closes one that
// ignored its answer.
void CALLBACK BoxAnswerer::Watchdog(HWND, UINT, UINT_PTR, DWORD)
{
    if (CurrentAnswerer)
        EnumThreadWindows(GetCurrentThreadId(), AnswerOpenBox, reinterpret_cast<LPARAM>(CurrentAnswerer));
}

DisplayModeWatch::DisplayModeWatch(Behaviour behaviour) : behaviour_(behaviour)
{
    CurrentWatch = this;
    ChangeDisplayMode = Change;
}

DisplayModeWatch::~DisplayModeWatch()
{
    ChangeDisplayMode = ChangeDisplaySettingsA;
    CurrentWatch = nullptr;
}

LONG WINAPI DisplayModeWatch::Change(DEVMODEA *mode, DWORD flags)
{
    DisplayModeCall call{mode == nullptr, {}, flags};
    if (mode)
        std::memcpy(&call.request, mode, sizeof call.request);
    CurrentWatch->calls.push_back(call);
    const LONG result =
        CurrentWatch->behaviour_ == Grant ? DISP_CHANGE_SUCCESSFUL : ChangeDisplaySettingsA(mode, flags);
    CurrentWatch->results.push_back(result);
    return result;
}

int CursorShowCount()
{
    ShowCursor(TRUE);
    return ShowCursor(FALSE);
}

void DrainMessages()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

size_t ResetDemo()
{
    // Whatever the teardown still has to report must not wait for a person.
    BoxAnswerer answerer;
    // Without any handle nothing was switched or hidden (a refused mode
    // leaves the flag set), so there is nothing to restore either.
    if (!DemoWindow && !DemoDeviceContext && !DemoRenderingContext)
        DemoFullscreen = false;
    DestroyDemoWindow();
    UnregisterClassA("OpenGL", GetModuleHandleA(nullptr));
    std::memset(KeyDown, 0, sizeof KeyDown);
    DemoActive = true;
    ChangeDisplayMode = ChangeDisplaySettingsA;
    DrainMessages();
    return answerer.boxes.size();
}

void OpenDemoTest::SetUp()
{
    ResetDemo();
    {
        BoxAnswerer answerer({IDYES});
        ASSERT_TRUE(CreateDemoWindow("Brix & Mallow's Quadratics Tutorial", 800, 600, 16, true));
    }
    DrainMessages();
    RECT client;
    GetClientRect(DemoWindow, &client);
    width_ = client.right;
    height_ = client.bottom;
}

void OpenDemoTest::TearDown()
{
    EXPECT_EQ(ResetDemo(), 0u) << "the teardown had failures to report";
}
