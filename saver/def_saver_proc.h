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

// Sub-codes of SCRM_INTERNAL.
constexpr WPARAM SCRINTERNAL_TICK = 0;       // sent: one tick, answers the period
constexpr WPARAM SCRINTERNAL_HADENOUGH = 1;  // posted: the saver stopped its ticks
constexpr WPARAM SCRINTERNAL_STARTTIMER = 2; // posted by WM_CREATE
