// What every monitor control in the process draws and offers: the picture
// and its mask, the corner marks and menus, where the marks sit and where
// a preview goes. Loaded once at the library's start-up with the
// registration of the two monitor classes, freed at its shut-down, and
// touched only on the thread that makes framework calls.
#pragma once
#include <windows.h>

#include "monitor/corner_action.h"

extern HBITMAP MonitorPicture;                 // picture and mask side by side
extern SIZE PictureSize;                       // one half of MonitorPicture
extern HBITMAP CornerMarks[CornerActionCount]; // indexed by CornerAction
extern SIZE MarkSize;
extern HMENU CornerMenus[CornerCount];         // in corner order
extern RECT CornerSquares[CornerCount];        // same order, control client coordinates
extern RECT ScreenArea;                        // the monitor's screen inside the picture
extern BOOL AgentWarningShown;                 // the hot-corner warning was shown since start-up

// Makes the menus, loads the bitmaps and reads the geometry from the
// framework's module, and forgets the agent and its warning. What does
// not load stays empty (a null handle, a size of 0 x 0).
void LoadMonitorResources();
// Frees whatever LoadMonitorResources made; safe to call twice.
void FreeMonitorResources();

// The whole multiple a control draws the picture at: from its window's DPI
// where the system tells one, else from the system's. 1 below 192 DPI.
int PictureScaleOf(HWND control);
// A rectangle of the picture (a corner square, the screen) at that scale.
RECT ScaledPictureRect(const RECT &rect, int scale);

// The two monitor classes, global to the process so that dialog templates
// of any module can name them. FALSE (traced, and in a debug box when the
// preferences ask for one) when a class would not register or unregister.
BOOL ScrRegisterControls();
BOOL ScrUnregisterControls();

// Whether the hot-corner agent runs, as the General page last found it:
// without it the corner menus warn, once per start-up, that the corners
// do nothing.
void NoteHotCornerAgent(bool present);
bool HotCornerAgentPresent();
