// Handling this thread's messages while a test waits: what is queued, and
// what other threads and processes send to this thread's windows (a
// preview of another process cannot be created inside one of them
// otherwise, and a timer thread's ticks are sent messages).
#pragma once
#include <windows.h>

#include <functional>

// What a pump saw.
struct PumpResult {
    bool quit = false;
    int quitCode = 0;
};

// Dispatches what is queued now, without waiting. A WM_QUIT is taken and
// reported, not posted again.
PumpResult Drain();
// Dispatches for about ms milliseconds, or until a WM_QUIT comes by.
PumpResult Pump(DWORD ms);
// Drain, for those that do not care about WM_QUIT.
void PumpMessages();
// Dispatches for about this long, whatever comes by (a WM_QUIT too).
void PumpFor(double seconds);

// Waits as driver::WaitUntil does (the limit stretched on a slow machine)
// for the condition, handling this thread's messages between its checks.
bool PumpingWaitUntil(const std::function<bool()> &condition, DWORD timeoutMs);
