// What the default saver procedure keeps while a saver runs: one record
// for the process, touched only on the thread that owns the saver windows.
// Only the full-screen window's own life changes it: a preview (one on the
// configuration sheet opened over the running saver, say) leaves it alone.
#pragma once
#include <windows.h>

struct SaverRunStateRecord {
    POINT originPos;        // mouse movement is measured from here
    DWORD startTick;        // GetTickCount when the saver window was created, or the
                            // password last accepted for active configuration
    bool dialogActive;      // a password or configuration dialog runs
    DWORD passwordDelay;    // seconds after the start without a password
    LONG mouseThreshold;    // pixels the cursor may move on either axis
    bool allowActiveConfig; // the user allows configuration over the saver
    HWND fullWindow;        // the full-screen window whose WM_CREATE set this record
    bool activeConfigAsked; // DefSaverProc's own active-configuration request is under way
};

extern SaverRunStateRecord SaverRunState;

// Whether a creation or destruction message is none: sent by another
// thread or program while nothing of the kind happens to the window. A
// window is created on its own thread, and the top-level saver windows
// (the full-screen one, the debug window) are destroyed only by it; a
// preview hears of the end of its parent, which lives in another program,
// from that program's thread. (Posted ones never reach a window procedure
// of a watched thread: see saver/message_origin.h.)
bool IsForgedLifeEvent(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Sub-codes of SCRM_INTERNAL.
constexpr WPARAM SCRINTERNAL_TICK = 0;       // sent: one tick, answers the period
constexpr WPARAM SCRINTERNAL_HADENOUGH = 1;  // posted: the saver stopped its ticks
constexpr WPARAM SCRINTERNAL_STARTTIMER = 2; // posted by WM_CREATE
