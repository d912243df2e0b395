// The timer thread behind every saver window: it asks the window for one
// tick at a time and waits the period the saver answered, measured from
// the start of that tick, so drawing time is part of the period.
//
// The thread ends only when the framework ends it. Other processes can
// post the thread any message (WM_QUIT included) and the window any
// SCRM_INTERNAL: the stop request is the running flag, cleared under the
// record's lock, together with the record's event that every wait of the
// thread includes; messages posted to the thread are thrown away.
#pragma once
#include <windows.h>

#include "saver/window_kinds.h"

// One per timer thread. Allocated by ScrStartTimer; from then on it
// belongs to the thread, which frees it when it ends. The window reaches
// it through its timer property until it asks the thread to stop.
struct ThreadData {
    HWND hwnd;               // the window that is ticked
    CRITICAL_SECTION lock;   // guards running and hadEnough
    BOOL running;            // false once a stop was requested
    HANDLE wakeEvent;        // manual reset; set to cut the current wait short, and with every stop
    DWORD threadId;          // the thread's id
    HANDLE thread;           // also kept in the run's thread handle list
    BOOL hadEnough;          // the saver answered -1 and the thread posted SCRINTERNAL_HADENOUGH
    SaverWindowKind kind;    // what the window is: the full-screen one rests while the display is dark,
                             // a preview while it cannot be seen
};

// The window property holding a 4-byte local block with the window's
// ThreadData pointer (null when no thread runs). Other processes can set
// and remove a window's properties, so the framework keeps each window's
// block itself; the property shows it to whoever looks.
extern const char TimerPropName[];

void CreateTimerProp(HWND window);
// 0 when the window has no usable block; else LocalUnlock's result.
BOOL SetTimerProp(HWND window, ThreadData *data);
ThreadData *GetTimerProp(HWND window);
void RemoveTimerProp(HWND window);
// Whether CreateTimerProp gave the window its block (and nothing removed it).
bool HasTimerProp(HWND window);

// Clears running and wakes the thread, which then ends and frees the
// record, and forgets the record. After this the window never touches the
// record again.
void RequestTimerStop(HWND window, ThreadData *data);

// Cuts the window's current wait short, so its next tick comes at once
// (the display came back). Nothing for a window without a timer.
void WakeTimer(HWND window);

// Whether the thread itself asked to stop (it posts SCRINTERNAL_HADENOUGH
// only after noting so): a had-enough that anyone else posted is not.
bool TimerAskedToStop(ThreadData *data);

// The thread routine; record is the ThreadData.
unsigned __stdcall TimerThreadProc(void *record);

// How long the thread waits after a tick that started at tickStart and
// was answered at tickEnd with period (milliseconds of the tick clock):
// the rest of the period, or 0 when drawing took all of it.
double TimerWaitAfterTick(double tickStart, double tickEnd, double period);
