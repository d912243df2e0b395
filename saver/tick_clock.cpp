#include "saver/tick_clock.h"

#include <cmath>

#include "saver/debug_output.h"
#include "saver/system_components.h"

namespace {

// Not in older headers; the flag fails with ERROR_INVALID_PARAMETER where
// the system does not know it.
constexpr DWORD HighResolutionTimer = 0x00000002; // CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
constexpr UINT FineResolutionMs = 1;
constexpr UINT NoTimerError = 0; // TIMERR_NOERROR

using CreateTimerExProc = HANDLE(WINAPI *)(LPSECURITY_ATTRIBUTES, LPCWSTR, DWORD, DWORD);
using TimePeriodProc = UINT(WINAPI *)(UINT);

double CounterFrequencyPerMs()
{
    static const double perMs = [] {
        LARGE_INTEGER frequency = {};
        QueryPerformanceFrequency(&frequency);
        return frequency.QuadPart > 0 ? static_cast<double>(frequency.QuadPart) / 1000.0 : 0.0;
    }();
    return perMs;
}

HMODULE Winmm = nullptr; // held while the fine resolution is in force

TimePeriodProc WinmmEntry(const char *name)
{
    return LoadedEntry<TimePeriodProc>(Winmm, name);
}

} // namespace

double TickClockMs()
{
    const double perMs = CounterFrequencyPerMs();
    LARGE_INTEGER counter = {};
    if (perMs <= 0 || !QueryPerformanceCounter(&counter))
        return static_cast<double>(GetTickCount());
    return static_cast<double>(counter.QuadPart) / perMs;
}

DWORD MillisecondsUntil(double moment)
{
    const double left = moment - TickClockMs();
    if (left <= 0)
        return 0;
    // Never INFINITE: a moment that far away is a fault of the caller's.
    return left >= 0xFFFFFFF0u ? 0xFFFFFFF0u : static_cast<DWORD>(std::ceil(left));
}

DeadlineTimer::DeadlineTimer()
{
    // Looked up at run time: the program still starts where the call is missing.
    auto create = SystemEntry<CreateTimerExProc>("kernel32.dll", "CreateWaitableTimerExW");
    if (create)
        timer_ = create(nullptr, nullptr, HighResolutionTimer, TIMER_MODIFY_STATE | SYNCHRONIZE);
}

DeadlineTimer::~DeadlineTimer()
{
    if (timer_)
        CloseHandle(timer_);
}

bool DeadlineTimer::Arm(double moment)
{
    if (!timer_)
        return false;
    // Relative, in 100-nanosecond units: a change of the system's clock
    // does not move it. At least one unit, so a moment already past still
    // signals.
    const double left = moment - TickClockMs();
    LARGE_INTEGER due;
    due.QuadPart = -(left > 0 ? static_cast<LONGLONG>(left * 10000.0) + 1 : 1);
    return SetWaitableTimer(timer_, &due, 0, nullptr, nullptr, FALSE) != FALSE;
}

void AskFineTimerResolution()
{
    if (Winmm)
        return;
    Winmm = LoadSystemComponent("winmm.dll");
    TimePeriodProc begin = Winmm ? WinmmEntry("timeBeginPeriod") : nullptr;
    if (begin && WinmmEntry("timeEndPeriod") && begin(FineResolutionMs) == NoTimerError) {
        ScrTrace("Timer: asked for a 1 ms timer resolution while the saver runs");
        return;
    }
    ScrTrace("Timer: the system's timer resolution stays as it is");
    if (Winmm)
        FreeLibrary(Winmm);
    Winmm = nullptr;
}

void GiveBackFineTimerResolution()
{
    if (!Winmm)
        return;
    WinmmEntry("timeEndPeriod")(FineResolutionMs);
    FreeLibrary(Winmm);
    Winmm = nullptr;
    ScrTrace("Timer: gave the timer resolution back");
}
