// The clock and the waits behind the saver's ticks. The system's tick
// count moves in steps of its timer resolution (15.6 ms by default), so a
// period measured with it and a wait of whole milliseconds would turn 40
// ms into alternating 31 and 47. The ticks are measured on the
// performance counter instead, and waited for with a high-resolution
// waitable timer where the system has one (Windows 10 1803 and later);
// while a full-screen saver runs the system's timer resolution is 1 ms.
#pragma once
#include <windows.h>

// Milliseconds on the performance counter, from some fixed moment.
double TickClockMs();

// Whole milliseconds until moment on that clock, rounded up so a wait of
// them never ends before it; 0 once it has come.
DWORD MillisecondsUntil(double moment);

// A high-resolution waitable timer, owned by the thread that made it.
// Where the system has none, Handle() is null and the caller waits in
// whole milliseconds instead.
class DeadlineTimer {
public:
    DeadlineTimer();
    ~DeadlineTimer();
    DeadlineTimer(const DeadlineTimer &) = delete;
    DeadlineTimer &operator=(const DeadlineTimer &) = delete;

    HANDLE Handle() const { return timer_; }
    // Signals the timer at moment on the tick clock; false when there is
    // no timer or it would not be set.
    bool Arm(double moment);

private:
    HANDLE timer_ = nullptr;
};

// While a full-screen saver runs, the system's timer resolution is 1 ms
// (asked of winmm.dll from the system directory, where it is there);
// previews never ask. Each call after the first of its kind does nothing.
void AskFineTimerResolution();
void GiveBackFineTimerResolution();
