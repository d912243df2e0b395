// The timer thread behind every saver window: it asks the window for one
// tick at a time and waits the period the saver answered, measured from
// the start of that tick, so drawing time is part of the period.
#pragma once
#include <windows.h>

// One per timer thread. Allocated by ScrStartTimer; from then on it
// belongs to the thread, which frees it when it ends. The window reaches
// it through its timer property until it asks the thread to stop.
struct ThreadData {
    HWND hwnd;               // the window that is ticked
    CRITICAL_SECTION lock;   // guards running
    BOOL running;            // false once a stop was requested
    HANDLE wakeEvent;        // manual reset; set to cut the current wait short
    DWORD threadId;          // where the stop request (WM_QUIT) goes
    HANDLE thread;           // also kept in the run's thread handle list
};

// The window property holding a 4-byte local block with the window's
// ThreadData pointer (null when no thread runs).
extern const char TimerPropName[];

void CreateTimerProp(HWND window);
// 0 when the window has no usable block; else LocalUnlock's result.
BOOL SetTimerProp(HWND window, ThreadData *data);
ThreadData *GetTimerProp(HWND window);
void RemoveTimerProp(HWND window);

// Clears running, asks the thread to quit and forgets the record. After
// this the window never touches the record again.
void RequestTimerStop(HWND window, ThreadData *data);

unsigned __stdcall TimerThreadProc(void *record);

// How long the thread waits after a tick that started at tickStart and
// was answered at tickEnd with period (all milliseconds of GetTickCount,
// correct across its wrap): the rest of the period, or 0 when drawing
// took all of it.
DWORD TimerWaitAfterTick(DWORD tickStart, DWORD tickEnd, DWORD period);
