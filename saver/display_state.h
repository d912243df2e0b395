// What the full-screen saver knows of the display: while it is off or
// dimmed nobody sees the drawing, so the saver is not ticked and its timer
// thread waits on its event, using no processor time. The system tells
// the window by WM_POWERBROADCAST once it registered for the console's
// display state (the monitor's power on systems that lack it).
//
// Any program can send the window that message with any number in lParam:
// the block is read only where it is readable memory of this process, and
// a forged "display off" can pause the drawing, nothing more (input still
// closes the saver, and the password is still asked).
#pragma once
#include <windows.h>

// Registers the full-screen window for the display's state; the calls are
// looked up at run time, and nothing happens where they are missing. The
// display counts as lit until the system says otherwise.
void WatchDisplayState(HWND fullWindow);
// Unregisters, and the display counts as lit again.
void StopWatchingDisplayState();

enum class DisplayNews {
    None, // not a display-state report, or one that cannot be read
    Dark, // off, or dimmed
    Lit,  // on
};
DisplayNews ReadDisplayNews(WPARAM wParam, LPARAM lParam);

// Whether the display was last reported dark; read by every timer thread.
bool DisplayIsDark();
void NoteDisplay(DisplayNews news);
