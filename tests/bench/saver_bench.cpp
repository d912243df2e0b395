// What the saver runtime costs, each figure beside a baseline measured in
// the same run, so a loaded machine moves both:
//  - the start-to-start periods of a saver window that asks for 40 ms
//    through SCRM_TIMER, ticked by the framework's timer thread, beside a
//    window ticked by SetTimer(40);
//  - the processor time the timer thread uses while it waits between
//    ticks a second apart, beside a thread that only spins, and while
//    another thread keeps posting it messages (WM_QUIT among them),
//    beside the same thread left alone;
//  - the time from a mouse move beyond the threshold to the end of a
//    running "brix.scr /s", beside a program whose plain full-screen window
//    ends its loop on the same move;
//  - the processor time of a saver that draws on each tick, over 10 s
//    with the display reported off, beside the same with it on.
// Run by scripts/bench.sh.
//
//   saver_bench [seconds per phase] [rounds]
//   saver_bench --plain-window    the baseline program of the last figure
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "dusklit.h"
#include "saver/timer.h"
#include "tests/driver/program_driver.h"
#include "tests/program/brix_steps.h"
#include "tests/support/clock.h"
#include "tests/support/display_report.h"
#include "tests/support/message_pump.h"

namespace {

constexpr LRESULT FramePeriodMs = 40;
constexpr LRESULT IdlePeriodMs = 1000;
constexpr char SaverClass[] = "SaverBenchClass";
constexpr char TickedClass[] = "SaverBenchTicked";
constexpr char PlainClass[] = "SaverBenchPlainWindow";
// Far from every edge, so a small move stays on the screen.
constexpr POINT CursorHome{512, 384};

TickLog SaverTicks;
TickLog TimerTicks;
LRESULT SaverPeriod = FramePeriodMs;
double SaverDrawMs = 0; // how long each tick keeps the processor busy, as drawing would

double Ratio(double value, double baseline)
{
    return baseline > 0 ? value / baseline : 0;
}

// A saver as its author writes it: it answers the ticks and leaves the
// rest to the framework.
LRESULT CALLBACK BenchSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == SCRM_TIMER) {
        SaverTicks.Tick();
        for (const double end = NowMs() + SaverDrawMs; NowMs() < end;) {
        }
        return SaverPeriod;
    }
    return DefSaverProc(window, message, wParam, lParam);
}

LRESULT CALLBACK TickedProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_TIMER) {
        TimerTicks.Tick();
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND CreateHiddenWindow(const char *className, WNDPROC procedure, const char *title)
{
    WNDCLASSA windowClass{};
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
    windowClass.lpszClassName = className;
    RegisterClassA(&windowClass);
    // Hidden: no input reaches it, so nothing closes the saver early.
    return CreateWindowExA(0, className, title, WS_POPUP, 0, 0, 200, 150, nullptr, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
}

double ThreadCpuSeconds(HANDLE thread)
{
    FILETIME created, ended, kernel, user;
    if (!GetThreadTimes(thread, &created, &ended, &kernel, &user))
        return -1;
    auto units = [](const FILETIME &t) { return (static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
    // Summed in whole 100 ns units, so equal times compare equal.
    return static_cast<double>(units(kernel) + units(user)) / 1e7;
}

// The saver's ticks beside SetTimer's, in alternating phases, so a change
// in the machine's load hits both.
void MeasureTickPeriods(HWND saver, HWND ticked, double seconds, int rounds)
{
    SaverPeriod = FramePeriodMs;
    for (int round = 0; round < rounds; ++round) {
        // The first round's thread starts from the saver's WM_CREATE.
        if (round > 0)
            ScrStartTimer(saver);
        PumpFor(seconds);
        SaverTicks.EndPhase();
        ScrStopTimer(saver);
        PumpFor(0.2);
        SaverTicks.phase.clear();

        SetTimer(ticked, 1, static_cast<UINT>(FramePeriodMs), nullptr);
        PumpFor(seconds);
        KillTimer(ticked, 1);
        TimerTicks.EndPhase();
    }
    const double saverMedian = Percentile(SaverTicks.intervals, 0.5);
    const double saverP99 = Percentile(SaverTicks.intervals, 0.99);
    const double timerMedian = Percentile(TimerTicks.intervals, 0.5);
    const double timerP99 = Percentile(TimerTicks.intervals, 0.99);
    std::printf("tick periods asking for %ld ms (start to start):\n", static_cast<long>(FramePeriodMs));
    std::printf("  saver timer thread (SCRM_TIMER): median %6.2f ms, 99th percentile %6.2f ms (%zu periods)\n",
                saverMedian, saverP99, SaverTicks.intervals.size());
    std::printf("  SetTimer window (WM_TIMER):      median %6.2f ms, 99th percentile %6.2f ms (%zu periods)\n",
                timerMedian, timerP99, TimerTicks.intervals.size());
    std::printf("  ratio saver / SetTimer: median %.3f, 99th percentile %.3f (goal: at most 1)\n",
                Ratio(saverMedian, timerMedian), Ratio(saverP99, timerP99));
    std::printf("  ratio saver median / asked period: %.4f (goal: 0.995 to 1.005)\n",
                Ratio(saverMedian, static_cast<double>(FramePeriodMs)));
}

// Spins until told to stop.
DWORD WINAPI Spin(LPVOID stop)
{
    while (!*static_cast<volatile LONG *>(stop)) {
    }
    return 0;
}

// The share of one core a live thread used over about this long. (The
// system forgets a thread's times once it has ended.)
double CpuShareOver(HANDLE thread, double seconds, void (*wait)(double))
{
    const double cpuStart = ThreadCpuSeconds(thread);
    const double wallStart = NowSeconds();
    wait(seconds);
    const double cpuEnd = ThreadCpuSeconds(thread);
    const double wall = NowSeconds() - wallStart;
    return cpuStart >= 0 && cpuEnd >= 0 && wall > 0 ? 100 * (cpuEnd - cpuStart) / wall : -1;
}

void SleepFor(double seconds)
{
    Sleep(static_cast<DWORD>(seconds * 1000));
}

// Posts the timer thread batches of messages, a WM_QUIT first in each,
// until told to stop.
struct Flood {
    DWORD threadId = 0;
    volatile LONG stop = 0;
    LONG posted = 0;
};

DWORD WINAPI PostFlood(LPVOID context)
{
    auto *flood = static_cast<Flood *>(context);
    while (!flood->stop) {
        for (UINT i = 0; i < 10; ++i)
            if (PostThreadMessageA(flood->threadId, i == 0 ? WM_QUIT : WM_USER + i, i, 0))
                ++flood->posted;
        Sleep(1);
    }
    return 0;
}

// The timer thread's share while messages keep arriving, beside the share
// it used alone; and whether it still ticks and still runs afterwards.
void MeasureFloodedCpu(HANDLE thread, DWORD threadId, double seconds, double quietShare, double spinShare)
{
    Flood flood;
    flood.threadId = threadId;
    HANDLE poster = CreateThread(nullptr, 0, PostFlood, &flood, 0, nullptr);
    const std::size_t ticksBefore = SaverTicks.phase.size();
    const double floodedShare = CpuShareOver(thread, seconds, PumpFor);
    const std::size_t ticks = SaverTicks.phase.size() - ticksBefore;
    InterlockedExchange(&flood.stop, 1);
    WaitForSingleObject(poster, INFINITE);
    CloseHandle(poster);
    const bool running = WaitForSingleObject(thread, 0) == WAIT_TIMEOUT;
    std::printf("  while another thread posts to it (%ld messages, a WM_QUIT in every ten; %zu ticks in %.1f s, "
                "thread %s):\n",
                static_cast<long>(flood.posted), ticks, seconds, running ? "still running" : "ENDED");
    std::printf("  timer thread:     %7.3f %% of one core, %.1f us of processor time per message\n", floodedShare,
                flood.posted ? floodedShare * seconds * 1e4 / flood.posted : 0.0);
    std::printf("  ratio posted to / spinning thread: %.5f\n", Ratio(floodedShare, spinShare));
    if (quietShare > 0)
        std::printf("  ratio posted to / left alone: %.3f\n", Ratio(floodedShare, quietShare));
    else
        std::printf("  ratio posted to / left alone: no ratio, the thread used no measurable time alone\n");
}

// The timer thread of a saver ticking once a second, watched over a few
// seconds of mostly waiting; a spinning thread shows what a busy core reads.
void MeasureWaitingCpu(HWND saver, double seconds)
{
    SaverPeriod = IdlePeriodMs;
    ScrStartTimer(saver);
    ThreadData *timer = GetTimerProp(saver);
    HANDLE thread = nullptr;
    if (!timer || !DuplicateHandle(GetCurrentProcess(), timer->thread, GetCurrentProcess(), &thread, 0, FALSE,
                                   DUPLICATE_SAME_ACCESS)) {
        std::printf("timer thread: could not be reached\n");
        return;
    }
    const DWORD threadId = timer->threadId;
    PumpFor(1.5);  // past the first tick and into the steady state
    const std::size_t ticksBefore = SaverTicks.phase.size();
    const double waitingShare = CpuShareOver(thread, seconds, PumpFor);
    const std::size_t ticks = SaverTicks.phase.size() - ticksBefore;

    volatile LONG stop = 0;
    HANDLE spinner = CreateThread(nullptr, 0, Spin, const_cast<LONG *>(&stop), 0, nullptr);
    SleepFor(0.2);
    const double spinShare = CpuShareOver(spinner, 1.0, SleepFor);
    InterlockedExchange(const_cast<LONG *>(&stop), 1);
    WaitForSingleObject(spinner, INFINITE);
    CloseHandle(spinner);

    std::printf("timer thread while waiting (saver asks for %ld ms, %zu ticks in %.1f s):\n",
                static_cast<long>(IdlePeriodMs), ticks, seconds);
    std::printf("  timer thread:     %7.3f %% of one core, %.0f ms of processor time (goal: under 1 %%)\n",
                waitingShare, waitingShare * seconds * 10);
    std::printf("  spinning thread:  %7.3f %% of one core (what a busy thread reads)\n", spinShare);
    std::printf("  ratio timer thread / spinning thread: %.5f\n", Ratio(waitingShare, spinShare));

    MeasureFloodedCpu(thread, threadId, seconds, waitingShare, spinShare);
    ScrStopTimer(saver);
    CloseHandle(thread);
}

struct CloseTimes {
    std::vector<double> windowHidden; // ms from the move until the window is no longer shown
    std::vector<double> windowGone;  // ms from the move to the window's end
    std::vector<double> processEnd;  // ms from the move to the process's end
    int failures = 0;
};

// Moves the real cursor a few pixels and times the window's and the
// process's end. The window is hidden first as it is destroyed, so the
// time until then is the reaction to the move, and the rest the cost of
// taking the window and the process down.
void TimeMouseClose(driver::ProgramDriver &program, HWND window, CloseTimes &times)
{
    PumpFor(0.5);  // let the program settle after its window appeared
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, program.ProcessId());
    POINT cursor{};
    GetCursorPos(&cursor);
    const double start = NowSeconds();
    if (!process || !driver::SendMouseMoveTo(cursor.x + 3, cursor.y + 2)) {
        ++times.failures;
        if (process)
            CloseHandle(process);
        program.Terminate();
        return;
    }
    double hidden = 0;
    while (IsWindow(window) && NowSeconds() - start < 30) {
        if (!hidden && !IsWindowVisible(window))
            hidden = NowSeconds();
        Sleep(1);
    }
    const double gone = NowSeconds();
    if (!hidden)
        hidden = gone;
    const bool ended = WaitForSingleObject(process, 30000) == WAIT_OBJECT_0;
    const double end = NowSeconds();
    CloseHandle(process);
    if (!ended || program.WaitForExit(1000) != std::optional<DWORD>(2)) {
        ++times.failures;
        program.Terminate();
        return;
    }
    times.windowHidden.push_back(1000 * (hidden - start));
    times.windowGone.push_back(1000 * (gone - start));
    times.processEnd.push_back(1000 * (end - start));
}

// The processor time of a saver that draws for 2 ms on each 40 ms tick,
// as the example saver does about, over 10 s with the display reported
// off, beside the same with it on: its window's thread and its timer
// thread together. The report lies in this process's memory, as the
// system hands it over.
void MeasureDarkDisplay(HWND saver)
{
    constexpr double PhaseSeconds = 10;
    SaverPeriod = FramePeriodMs;
    SaverDrawMs = 2;
    ScrStartTimer(saver);
    ThreadData *timer = GetTimerProp(saver);
    HANDLE thread = nullptr;
    if (!timer || !DuplicateHandle(GetCurrentProcess(), timer->thread, GetCurrentProcess(), &thread, 0, FALSE,
                                   DUPLICATE_SAME_ACCESS)) {
        std::printf("the saver with the display off: its timer thread could not be reached\n");
        return;
    }
    DisplayReport report;
    const auto phase = [&](DWORD state) {
        report.state = state;
        SendMessageA(saver, WM_POWERBROADCAST, PowerSettingChange, reinterpret_cast<LPARAM>(&report));
        PumpFor(0.3);
        const double start = ThreadCpuSeconds(GetCurrentThread()) + ThreadCpuSeconds(thread);
        PumpFor(PhaseSeconds);
        return 1000 * (ThreadCpuSeconds(GetCurrentThread()) + ThreadCpuSeconds(thread) - start);
    };
    const double lit = phase(1);
    const double dark = phase(0);
    report.state = 1;
    SendMessageA(saver, WM_POWERBROADCAST, PowerSettingChange, reinterpret_cast<LPARAM>(&report));
    ScrStopTimer(saver);
    CloseHandle(thread);
    SaverDrawMs = 0;
    std::printf("a saver drawing 2 ms of each 40 ms tick, processor time over %.0f s:\n", PhaseSeconds);
    std::printf("  display on %8.1f ms, display off %8.1f ms\n", lit, dark);
    std::printf("  ratio display off / on: %.4f (goal: under 0.02)\n", Ratio(dark, lit));
}

void MeasureSaverClose(int rounds)
{
    // Any movement closes, and no password is asked.
    brix::RegistryValueScope threshold(brix::ScreenSaversKey, "Mouse Threshold", 0);
    brix::RegistryValueScope usePassword(brix::DesktopKey, "ScreenSaveUsePassword", std::nullopt);
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, sizeof self);

    driver::StartOptions undebugged;
    undebugged.captureDebugOutput = false;
    CloseTimes saver, plain;
    for (int round = 0; round < rounds; ++round) {
        SetCursorPos(CursorHome.x, CursorHome.y);
        {
            driver::ProgramDriver program(brix::ProgramPath());
            auto window = brix::StartSaver(program, "/s", undebugged);
            if (window)
                TimeMouseClose(program, window->handle, saver);
            else
                ++saver.failures;
        }
        SetCursorPos(CursorHome.x, CursorHome.y);
        {
            driver::ProgramDriver program(self);
            std::optional<driver::WindowInfo> window;
            if (program.Start("--plain-window", undebugged))
                window = program.WaitForWindowOfClass(PlainClass);
            if (window)
                TimeMouseClose(program, window->handle, plain);
            else
                ++plain.failures;
        }
    }
    const double saverHidden = Percentile(saver.windowHidden, 0.5);
    const double saverGone = Percentile(saver.windowGone, 0.5);
    const double saverEnd = Percentile(saver.processEnd, 0.5);
    const double plainHidden = Percentile(plain.windowHidden, 0.5);
    const double plainGone = Percentile(plain.windowGone, 0.5);
    const double plainEnd = Percentile(plain.processEnd, 0.5);
    std::printf("mouse move beyond the threshold to the end (median of %zu and %zu runs):\n",
                saver.processEnd.size(), plain.processEnd.size());
    std::printf("  brix.scr /s:          window hidden %7.1f ms, gone %7.1f ms, process ended %7.1f ms\n",
                saverHidden, saverGone, saverEnd);
    std::printf("  plain window program: window hidden %7.1f ms, gone %7.1f ms, process ended %7.1f ms\n",
                plainHidden, plainGone, plainEnd);
    std::printf("  ratio brix.scr / plain: hidden %.3f, gone %.3f, process ended %.3f\n",
                Ratio(saverHidden, plainHidden), Ratio(saverGone, plainGone), Ratio(saverEnd, plainEnd));
    if (saver.failures || plain.failures)
        std::printf("  runs that failed: brix.scr %d, plain window %d\n", saver.failures, plain.failures);
}

// The baseline program: a topmost full-screen popup that ends its loop on
// the first mouse message that finds the cursor moved, with the exit code
// the saver mode gives.
POINT PlainOrigin;

LRESULT CALLBACK PlainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_MOUSEMOVE: {
        POINT now{};
        GetCursorPos(&now);
        if (now.x != PlainOrigin.x || now.y != PlainOrigin.y)
            PostMessageA(window, WM_CLOSE, 0, 0);
        return 0;
    }
    case WM_DESTROY:
        PostQuitMessage(2);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

int RunPlainWindow()
{
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = PlainWindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
    windowClass.lpszClassName = PlainClass;
    RegisterClassA(&windowClass);
    GetCursorPos(&PlainOrigin);
    if (!CreateWindowExA(WS_EX_TOPMOST, PlainClass, "Plain", WS_POPUP | WS_VISIBLE, 0, 0,
                         GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr,
                         GetModuleHandleA(nullptr), nullptr))
        return 1;
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return static_cast<int>(message.wParam);
}

double Argument(int argc, char **argv, int index, double fallback)
{
    if (argc <= index)
        return fallback;
    const double value = std::atof(argv[index]);
    return value > 0 ? value : fallback;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc > 1 && std::strcmp(argv[1], "--plain-window") == 0)
        return RunPlainWindow();
    const double seconds = Argument(argc, argv, 1, 2.0);
    const int rounds = static_cast<int>(Argument(argc, argv, 2, 3));

    HWND saver = CreateHiddenWindow(SaverClass, BenchSaverProc, "SaverWindow");
    HWND ticked = CreateHiddenWindow(TickedClass, TickedProc, "Ticked");
    if (!saver || !ticked) {
        std::fprintf(stderr, "saver_bench: the windows could not be created\n");
        return 1;
    }
    MeasureTickPeriods(saver, ticked, seconds, rounds);
    std::fflush(stdout);
    MeasureWaitingCpu(saver, 3 * seconds);
    std::fflush(stdout);
    MeasureDarkDisplay(saver);
    std::fflush(stdout);
    DestroyWindow(ticked);
    DestroyWindow(saver);
    PumpFor(0.2);

    MeasureSaverClose(rounds);
    return 0;
}
