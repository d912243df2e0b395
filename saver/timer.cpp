#include "saver/timer.h"

#include <process.h>

#include <map>
#include <mutex>

#include "dusklit.h"
#include "library/startup.h"
#include "saver/debug_output.h"
#include "saver/display_state.h"
#include "saver/power_pace.h"
#include "saver/prefs.h"
#include "saver/thread_list.h"
#include "saver/tick_clock.h"
#include "saver/tick_lateness.h"
#include "saver/trace_format.h"

const char TimerPropName[] = "PROP_DUSKLITTIMERDATA";

namespace {

constexpr WPARAM InternalTick = 0;
constexpr WPARAM InternalHadEnough = 1;
constexpr LRESULT StopTicking = -1;
// A flood of posted messages is thrown away this many at a time, so the
// ticks go on between the batches, and at most once in this many
// milliseconds, so it costs the thread little however fast it comes.
constexpr int MessagesPerBatch = 64;
constexpr DWORD DropIntervalMs = 10;

// Each window's timer block, kept by the framework: the property that
// mirrors it can be replaced or removed by any process on the desktop.
// Windows of several threads (previews of a loaded library) meet here.
std::mutex &BlocksLock()
{
    static std::mutex lock;
    return lock;
}

std::map<HWND, HLOCAL> &Blocks()
{
    static std::map<HWND, HLOCAL> blocks;
    return blocks;
}

HLOCAL BlockOf(HWND window)
{
    std::lock_guard<std::mutex> guard(BlocksLock());
    auto found = Blocks().find(window);
    return found == Blocks().end() ? nullptr : found->second;
}

void TraceThreadMessage(const MSG &message)
{
    if (!CurrentPrefs.Debug)
        return; // nothing would be traced: a flood of messages costs no formatting
    char text[128];
    FormatThreadMessage(text, sizeof text, message.message, static_cast<std::uintptr_t>(message.wParam),
                        static_cast<std::uintptr_t>(message.lParam));
    ScrTrace(text);
}

// Nothing the framework needs travels as a thread message: whatever was
// posted to the thread (a WM_QUIT too) is taken off its queue and
// dropped. The debug trace notes it; a message box would hold the ticks
// up for as long as it is open.
void DropThreadMessages()
{
    MSG message;
    for (int i = 0; i < MessagesPerBatch && PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE); ++i)
        TraceThreadMessage(message);
}

bool StillRunning(ThreadData *data)
{
    EnterCriticalSection(&data->lock);
    bool running = data->running != FALSE;
    LeaveCriticalSection(&data->lock);
    return running;
}

// Waits until moment on the tick clock, or with NoDeadline until woken;
// true when it waited for the deadline (not woken, no failure).
// The wait ends early when the wake event is set: a settings change or a
// stop. The deadline is the high-resolution timer's where the system has
// one, else a wait of whole milliseconds rounded up. A message posted to
// the thread ends the wait too; it is dropped, and the wait goes on for
// what is left, for a while without looking at messages, so posted
// messages never turn the wait into a busy loop.
constexpr double NoDeadline = -1;

bool WaitForNextTick(ThreadData *data, DeadlineTimer &timer, double moment)
{
    const bool forever = moment == NoDeadline;
    if (!forever && MillisecondsUntil(moment) == 0) {
        Sleep(0);
        return false;
    }
    HANDLE deadlineTimer = !forever && timer.Arm(moment) ? timer.Handle() : nullptr;
    HANDLE handles[2] = {data->wakeEvent, deadlineTimer};
    const DWORD count = deadlineTimer ? 2 : 1;
    for (;;) {
        const DWORD left = forever || deadlineTimer ? INFINITE : MillisecondsUntil(moment);
        if (left == 0)
            return true;
        DWORD result = MsgWaitForMultipleObjects(count, handles, FALSE, left, QS_ALLPOSTMESSAGE);
        if (result == WAIT_OBJECT_0 + count) {
            DropThreadMessages();
            const DWORD rest = forever || deadlineTimer ? INFINITE : MillisecondsUntil(moment);
            result = WaitForMultipleObjects(count, handles, FALSE, rest < DropIntervalMs ? rest : DropIntervalMs);
            if (result == WAIT_TIMEOUT)
                continue;
        }
        if (result == WAIT_OBJECT_0) {
            ResetEvent(data->wakeEvent);
            return false;
        }
        // The deadline, or a failed wait: tick again.
        return result == WAIT_TIMEOUT || (deadlineTimer && result == WAIT_OBJECT_0 + 1);
    }
}

// How often a preview that cannot be seen looks again whether it can.
constexpr DWORD HiddenPreviewLookMs = 100;

// A preview that it or an ancestor hides or minimises cannot be seen.
bool CanBeSeen(HWND window)
{
    if (!IsWindowVisible(window))
        return false;
    for (HWND at = window; at; at = GetAncestor(at, GA_PARENT)) {
        if (at == GetDesktopWindow())
            break;
        if (IsIconic(at))
            return false;
    }
    return true;
}

// A preview's drawing that nobody would see; the debug window always ticks.
bool HiddenPreview(const ThreadData *data)
{
    return IsPreviewKind(data->kind) && !CanBeSeen(data->hwnd);
}

// The machine's power as the system reports it; mains power when it
// cannot tell. The fourth byte of the report is the battery saver's flag
// (older headers call it Reserved1).
PowerState CurrentPowerState()
{
    SYSTEM_POWER_STATUS status = {};
    if (!GetSystemPowerStatus(&status))
        return {false, false};
    const auto *bytes = reinterpret_cast<const BYTE *>(&status);
    return {status.ACLineStatus == 0, (bytes[3] & 1) != 0};
}

// The saver answered -1: noted under the lock before the window hears of
// it, so the window can tell this had-enough from one posted by anyone.
void PostHadEnough(ThreadData *data)
{
    ScrTrace("Thread: infinite delay specified, so posting a 'had enough'");
    EnterCriticalSection(&data->lock);
    data->hadEnough = TRUE;
    LeaveCriticalSection(&data->lock);
    PostMessageA(data->hwnd, SCRM_INTERNAL, InternalHadEnough, 0);
}

void FreeRecord(ThreadData *data)
{
    CloseHandle(data->wakeEvent);
    DeleteCriticalSection(&data->lock);
    delete data;
}

bool LaunchTimerThread(ThreadData *data)
{
    unsigned threadId = 0;
    HANDLE thread = reinterpret_cast<HANDLE>(
        _beginthreadex(nullptr, 4096, TimerThreadProc, data, CREATE_SUSPENDED, &threadId));
    if (!thread)
        return false;
    data->thread = thread;
    data->threadId = threadId;
    ThreadListAdd(thread);
    SetThreadPriority(thread, GetThreadPriority(GetCurrentThread()) - 1);
    ResumeThread(thread);
    return true;
}

} // namespace

void CreateTimerProp(HWND window)
{
    std::lock_guard<std::mutex> guard(BlocksLock());
    if (Blocks().count(window))
        return; // the window has its block already
    HLOCAL block = LocalAlloc(LMEM_ZEROINIT, sizeof(ThreadData *));
    if (!block)
        return;
    if (auto *slot = static_cast<ThreadData **>(LocalLock(block))) {
        *slot = nullptr;
        LocalUnlock(block);
    }
    if (!SetPropA(window, TimerPropName, block)) {
        LocalFree(block);
        return;
    }
    Blocks()[window] = block;
}

BOOL SetTimerProp(HWND window, ThreadData *data)
{
    HLOCAL block = BlockOf(window);
    if (!block)
        return 0;
    auto *slot = static_cast<ThreadData **>(LocalLock(block));
    if (!slot)
        return 0;
    *slot = data;
    return LocalUnlock(block);
}

ThreadData *GetTimerProp(HWND window)
{
    HLOCAL block = BlockOf(window);
    if (!block)
        return nullptr;
    auto *slot = static_cast<ThreadData **>(LocalLock(block));
    if (!slot)
        return nullptr;
    ThreadData *data = *slot;
    LocalUnlock(block);
    return data;
}

void RemoveTimerProp(HWND window)
{
    HLOCAL block = nullptr;
    {
        std::lock_guard<std::mutex> guard(BlocksLock());
        auto found = Blocks().find(window);
        if (found == Blocks().end())
            return;
        block = found->second;
        Blocks().erase(found);
    }
    LocalFree(block);
    RemovePropA(window, TimerPropName);
}

bool HasTimerProp(HWND window)
{
    return BlockOf(window) != nullptr;
}

void RequestTimerStop(HWND window, ThreadData *data)
{
    // The thread frees the record once it has read running cleared, which
    // it reads under this lock: the event is set before it can.
    EnterCriticalSection(&data->lock);
    data->running = FALSE;
    SetEvent(data->wakeEvent);
    LeaveCriticalSection(&data->lock);
    SetTimerProp(window, nullptr);
}

void WakeTimer(HWND window)
{
    if (ThreadData *data = GetTimerProp(window))
        SetEvent(data->wakeEvent);
}

bool TimerAskedToStop(ThreadData *data)
{
    EnterCriticalSection(&data->lock);
    bool asked = data->hadEnough != FALSE;
    LeaveCriticalSection(&data->lock);
    return asked;
}

double TimerWaitAfterTick(double tickStart, double tickEnd, double period)
{
    const double spent = tickEnd - tickStart;
    return period > spent ? period - spent : 0;
}

unsigned __stdcall TimerThreadProc(void *record)
{
    auto *data = static_cast<ThreadData *>(record);
    DeadlineTimer timer;
    TickLateness lateness;
    bool hadEnough = false;
    // The moment the last wait was for, while no wake-up cut it short: the
    // next tick's start tells how late it came, the thread's own work
    // after the wake-up included.
    double awaited = NoDeadline;
    for (;;) {
        const double lastAwaited = awaited;
        awaited = NoDeadline;
        DropThreadMessages();
        if (!StillRunning(data))
            break;
        if (hadEnough || (data->kind == SaverWindowKind::FullScreen && DisplayIsDark())) {
            // The saver wants no more ticks, or the display is dark: wait
            // for the stop, or for the display to come back.
            WaitForNextTick(data, timer, NoDeadline);
            continue;
        }
        if (HiddenPreview(data)) {
            WaitForNextTick(data, timer, TickClockMs() + HiddenPreviewLookMs);
            continue;
        }
        const double tickStart = TickClockMs();
        if (lastAwaited != NoDeadline)
            lateness.Learn(tickStart - lastAwaited);
        const LRESULT period = SendMessageA(data->hwnd, SCRM_INTERNAL, InternalTick, 0);
        const double tickEnd = TickClockMs();
        if (period == StopTicking) {
            PostHadEnough(data);
            hadEnough = true;
            continue;
        }
        const DWORD paced = PacedPeriod(static_cast<DWORD>(period), CurrentPowerState());
        if (paced == 0)
            continue;
        const double moment = tickEnd + TimerWaitAfterTick(tickStart, tickEnd, paced);
        if (WaitForNextTick(data, timer, moment - lateness.Lead()))
            awaited = moment;
    }

    ScrTrace("Thread coming to an end. Deleting threaddata");
    FreeRecord(data);
    return 0;
}

void WINAPI ScrStartTimer(HWND window)
{
    ScrEnsureStarted();
    if (CurrentPrefs.NoTimers) {
        ScrTrace("ScrStartTimer: Timers have been turned off in the prefs: they are not being initialized");
        return;
    }
    ScrTrace("ScrStartTimer: creating a timer...");
    if (GetTimerProp(window)) {
        ScrTrace("ScrStartTimer: cannot restart, because one was already there!");
        return;
    }
    if (!HasTimerProp(window)) {
        // Without the property nothing could ever stop the thread, and it
        // would tick a window that may already be gone.
        ScrTrace("ScrStartTimer: the window has no timer property, so no timer was started");
        return;
    }
    auto *data = new ThreadData{};
    SetTimerProp(window, data);
    ScrTrace("ScrStartTimer: am able to work with timers!");
    InitializeCriticalSection(&data->lock);
    data->wakeEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    data->hwnd = window;
    data->kind = SaverWindowKindOf(window);
    data->running = TRUE;
    if (!data->wakeEvent || !LaunchTimerThread(data)) {
        // Nothing runs, so nothing must point at the record.
        SetTimerProp(window, nullptr);
        if (data->wakeEvent)
            CloseHandle(data->wakeEvent);
        DeleteCriticalSection(&data->lock);
        delete data;
    }
}

void WINAPI ScrStopTimer(HWND window)
{
    if (!window) {
        ScrTrace("ScrStopTimer: hwnd is null!");
        return;
    }
    ScrEnsureStarted();
    if (CurrentPrefs.NoTimers) {
        ScrTrace("ScrStopTimer: Timers have been turned off: you can not destroy them.");
        return;
    }
    ThreadData *data = GetTimerProp(window);
    if (!data) {
        ScrTrace("ScrStopTimer: the timer had already been destroyed. This isn't necessarily bad.");
        return;
    }
    ScrTrace("ScrStopTimer: destroying timer...");
    RequestTimerStop(window, data);
}
