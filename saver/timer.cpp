#include "saver/timer.h"

#include <process.h>

#include "dusklit.h"
#include "monitor/library.h"
#include "saver/debug_output.h"
#include "saver/prefs.h"
#include "saver/thread_list.h"

const char TimerPropName[] = "PROP_DUSKLITTIMERDATA";

namespace {

constexpr WPARAM InternalTick = 0;
constexpr WPARAM InternalHadEnough = 1;
constexpr LRESULT StopTicking = -1;

// Handed to a starting thread beside its record: the thread signals it
// once its message queue exists, so a stop request posted right after the
// start cannot be lost.
struct StartContext {
    ThreadData *data;
    HANDLE queueReady;
};

void ReportThreadMessage(const MSG &message)
{
    char text[128];
    wsprintfA(text, "Thread message: msg=%x wParam=%x lParam=%x", message.message,
              static_cast<unsigned>(message.wParam), static_cast<unsigned>(message.lParam));
    ScrTrace(text);
    ScrDebugMessageBox(nullptr, text, "Thread message");
}

// Takes at most one message off the thread's queue: waiting for one once
// the saver has had enough, polling otherwise. Returns true on WM_QUIT.
bool TakeThreadMessage(bool hadEnough)
{
    MSG message = {};
    bool taken;
    if (hadEnough) {
        // -1 would be an invalid call; nothing could arrive after it.
        if (GetMessageA(&message, nullptr, 0, 0xFFFF) == -1)
            return true;
        taken = true;
    } else {
        taken = PeekMessageA(&message, nullptr, 0, 0xFFFF, PM_REMOVE) != FALSE;
    }
    if (!taken)
        return false;
    if (message.message == WM_QUIT)
        return true;
    ReportThreadMessage(message);
    return false;
}

bool StillRunning(ThreadData *data)
{
    EnterCriticalSection(&data->lock);
    bool running = data->running != FALSE;
    LeaveCriticalSection(&data->lock);
    return running;
}

// Waits out the rest of the period. The wait ends early when a settings
// change sets the wake event or when a message (a stop request) is posted
// to the thread, so stopping never waits for a long period to pass.
void WaitForNextTick(ThreadData *data, DWORD wait)
{
    if (wait == 0) {
        Sleep(0);
        return;
    }
    DWORD result = MsgWaitForMultipleObjects(1, &data->wakeEvent, FALSE, wait, QS_ALLPOSTMESSAGE);
    if (result == WAIT_OBJECT_0)
        ResetEvent(data->wakeEvent);
}

void PushThreadHandle(HANDLE thread)
{
    ThreadListAdd(thread);
    SetThreadPriority(thread, GetThreadPriority(GetCurrentThread()) - 1);
}

// Starts the thread and waits until its queue exists (or it has ended).
bool LaunchTimerThread(ThreadData *data)
{
    StartContext context = {data, CreateEventA(nullptr, TRUE, FALSE, nullptr)};
    if (!context.queueReady)
        return false;
    unsigned threadId = 0;
    HANDLE thread = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 4096, TimerThreadProc, &context, 0, &threadId));
    if (!thread) {
        CloseHandle(context.queueReady);
        return false;
    }
    data->thread = thread;
    data->threadId = threadId;
    HANDLE started[] = {context.queueReady, thread};
    WaitForMultipleObjects(2, started, FALSE, INFINITE);
    CloseHandle(context.queueReady);
    PushThreadHandle(thread);
    return true;
}

} // namespace

void CreateTimerProp(HWND window)
{
    HLOCAL block = LocalAlloc(LMEM_ZEROINIT, sizeof(ThreadData *));
    if (!block)
        return;
    if (auto *slot = static_cast<ThreadData **>(LocalLock(block))) {
        *slot = nullptr;
        LocalUnlock(block);
    }
    if (!SetPropA(window, TimerPropName, block))
        LocalFree(block);
}

BOOL SetTimerProp(HWND window, ThreadData *data)
{
    HLOCAL block = GetPropA(window, TimerPropName);
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
    HLOCAL block = GetPropA(window, TimerPropName);
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
    HLOCAL block = GetPropA(window, TimerPropName);
    if (!block)
        return;
    LocalFree(block);
    RemovePropA(window, TimerPropName);
}

void RequestTimerStop(HWND window, ThreadData *data)
{
    EnterCriticalSection(&data->lock);
    data->running = FALSE;
    LeaveCriticalSection(&data->lock);
    PostThreadMessageA(data->threadId, WM_QUIT, 0, 0);
    SetTimerProp(window, nullptr);
}

DWORD TimerWaitAfterTick(DWORD tickStart, DWORD tickEnd, DWORD period)
{
    const DWORD spent = tickEnd - tickStart;
    return period > spent ? period - spent : 0;
}

unsigned __stdcall TimerThreadProc(void *start)
{
    auto *context = static_cast<StartContext *>(start);
    ThreadData *data = context->data;
    MSG probe;
    PeekMessageA(&probe, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
    SetEvent(context->queueReady); // context is gone after this

    bool quit = false;
    bool hadEnough = false;
    while (!quit) {
        quit = TakeThreadMessage(hadEnough);
        if (quit || hadEnough || !StillRunning(data))
            continue;
        const DWORD tickStart = GetTickCount();
        const LRESULT period = SendMessageA(data->hwnd, SCRM_INTERNAL, InternalTick, 0);
        const DWORD tickEnd = GetTickCount();
        if (period == 0)
            continue;
        if (period == StopTicking) {
            ScrTrace("Thread: infinite delay specified, so posting a 'had enough'");
            hadEnough = true;
            PostMessageA(data->hwnd, SCRM_INTERNAL, InternalHadEnough, 0);
            continue;
        }
        WaitForNextTick(data, TimerWaitAfterTick(tickStart, tickEnd, static_cast<DWORD>(period)));
    }

    ScrTrace("Thread coming to an end. Deleting threaddata");
    CloseHandle(data->wakeEvent);
    DeleteCriticalSection(&data->lock);
    delete data;
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
    auto *data = new ThreadData{};
    if (!GetPropA(window, TimerPropName)) {
        // Without the property nothing could ever stop the thread, and it
        // would tick a window that may already be gone.
        ScrTrace("ScrStartTimer: the window has no timer property, so no timer was started");
        delete data;
        return;
    }
    SetTimerProp(window, data);
    ScrTrace("ScrStartTimer: am able to work with timers!");
    InitializeCriticalSection(&data->lock);
    data->wakeEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    data->hwnd = window;
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
