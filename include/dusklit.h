/*
 * dusklit.h - everything a screen-saver author needs from Dusklit.
 *
 * A saver program hands control to the framework through one of three
 * entries and returns the entry's result as its exit code:
 *
 *   int WINAPI WinMain(HINSTANCE inst, HINSTANCE, LPSTR, int)
 *   {
 *       return ScrMain(inst, MySaverProc, NULL, NULL, 0);
 *   }
 *
 * The framework reads the screen-saver switches from the command line
 * (/s run, /p N preview inside window N, /c configure, /a change password,
 * nothing at all: configure) and runs that mode. MySaverProc passes every
 * message it does not handle to DefSaverProc.
 *
 * Two ways to link: the static library `dusklit` together with the
 * framework's resources (dusklit.rc); or the loadable library dusklit.dll,
 * through its import library (libdusklit.dll.a, -ldusklit, with MinGW;
 * dusklit_dll.lib with MSVC) and nothing else: the resources are inside
 * the DLL, which must lie in the Windows directory or it refuses to load.
 *
 * Results follow the platform's habits: TRUE/FALSE, IDOK/IDCANCEL, window
 * handles or NULL, and exit codes where 2 means failure, and also the
 * usual end of the saver (/s) and of a preview (/p). A hook answers
 * SCR_NOT_HANDLED (9) to let the framework do its default; a host window
 * answers 0 for the same.
 *
 * 32-bit and 64-bit programs: the same header and sources serve both.
 * ScrPrefs (556 bytes), ScrGeneralSettings (24), SaverCreateParams (8) and
 * ScrMonitor (20) have the same layout in both. What holds a pointer or a
 * handle is as wide as the program's pointers: ScrChangeNotice (12 bytes
 * in a 32-bit program, 24 in a 64-bit one), the WPARAM, LPARAM and
 * LRESULT of every message, and the INT_PTR answers of the hooks and
 * dialog procedures; keep such values in INT_PTR, LONG_PTR and their kin,
 * and a window's own data with SetWindowLongPtr. The window number on the
 * command line (/p N, /a N) is the handle's 32-bit value in either: a
 * 64-bit program widens it with its sign, as the system does.
 */
#ifndef DUSKLIT_H
#define DUSKLIT_H

#include <windows.h>
#include <prsht.h>

#ifdef __cplusplus
extern "C" {
#endif

/* ------------------------------------------------------------------ */
/* Preferences: what the saver supports and how the framework behaves. */

/* Get a copy with ScrGetPrefs, change it, and give it back with
 * ScrSetPrefs before entering the framework. Switches are off at 0. */
typedef struct ScrPrefs {
    LONG Size;                  /* 556 in every copy from ScrGetPrefs */
    LONG ActiveConfig;          /* saver supports active configuration (0) */
    LONG Sound;                 /* saver makes sound: offer Mute Sound (1) */
    LONG Debug;                 /* debug trace and debug message boxes (0) */
    LONG DebugWindow;           /* small ordinary saver window, cursor shown (0) */
    LONG NoAbout;               /* no "&About" in the sheet's system menu (0) */
    LONG NoPreviewRelay;        /* changes not relayed to previews on the sheet (0) */
    LONG NoTimers;              /* no timer threads at all (0) */
    char Text1[256];            /* free text, kept but never interpreted */
    char Text2[256];            /* free text, kept but never interpreted */
    LONG AlwaysRequirePassword; /* saver always uses a password (0) */
    LONG NeverRequirePassword;  /* saver never requires a password (0) */
    LONG ActiveConfigPassword;  /* active configuration asks for the password first,
                                   when closing would need it then (1) */
} ScrPrefs;

#define SCRPREFS_SIZE 556

/* A new heap copy of the current preferences; give it back to ScrSetPrefs. */
ScrPrefs *WINAPI ScrGetPrefs(void);
/* Installs the record and frees it. Refused (record stays yours) while an
 * entry runs. */
void WINAPI ScrSetPrefs(ScrPrefs *prefs);

/* ------------------------------------------------------------------ */
/* Entries. */

/* The value an application hook returns to let the framework do its default. */
#define SCR_NOT_HANDLED 9

typedef void(CALLBACK *ScrInitCallback)(HINSTANCE instance);
/* mode: 0 full-screen window, 1 preview in a monitor control, 2 preview
 * in the window named on the command line. Return the created window. */
typedef HWND(CALLBACK *ScrCreateWindowHook)(int mode, CREATESTRUCTA *create);
/* notifyOwner: the sheet runs over a running saver (active configuration),
 * which is told of every change. */
typedef INT_PTR(CALLBACK *ScrPropertySheetHook)(HWND configHost, PROPSHEETHEADERA *header, LONG notifyOwner);
typedef INT_PTR(CALLBACK *ScrAboutHook)(HWND owner);
typedef INT_PTR(CALLBACK *ScrChangePasswordHook)(HWND parent);

/* Own-class entry: saverProc handles the windows of "ZoScreenSaverClass".
 * configDialogProc, when given, runs the saver's own page (dialog 2003). */
int WINAPI ScrMain(HINSTANCE instance, WNDPROC saverProc, DLGPROC configDialogProc,
                   ScrInitCallback initCallback, LPARAM value);
/* Callback entry: the framework's DefSaverProc runs "DummyScreenSaverClass";
 * every hook may be NULL. */
int WINAPI ScrMainCallback(HINSTANCE instance, ScrCreateWindowHook createWindowHook,
                           ScrPropertySheetHook propertySheetHook, ScrAboutHook aboutHook,
                           ScrChangePasswordHook changePasswordHook);
/* Host-window entry: the framework asks hostWindow by SCRHOST_* messages
 * before creating windows and dialogs. */
int WINAPI ScrMainHost(HINSTANCE instance, HWND hostWindow);

/* Own-class entry, continued: the saver's procedure hears what the system
 * and the framework send its window. A creation or destruction that
 * another thread or program sends or posts it is not passed on.
 *
 * Under /s the program is the desktop's lock from the moment it starts:
 * the password delay counts from then, not from the saver window's
 * creation. A program that does work of its own before it calls an entry
 * asks first whether it runs as the lock, and secures its library search
 * before it loads or shows anything (the entries do that too): */

/* Takes the current directory out of the process's search for libraries,
 * where the system allows that, so a library planted there is never
 * loaded. Call it first thing in WinMain. */
void WINAPI ScrSecureDllSearch(void);
/* TRUE when the process's command line asks for the full-screen saver
 * (/s, -s or s, in either case). */
BOOL WINAPI ScrSaverModeRequested(void);

/* ------------------------------------------------------------------ */
/* Saver windows and the framework's messages. */

LRESULT CALLBACK DefSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

#define SCRM_VERIFYPW        0x8000 /* ask for the password; answer TRUE to close */
#define SCRM_ACTIVECONFIG    0x8001 /* open the configuration over the saver; DefSaverProc
                                       opens it only for its own request (Shift, Ctrl,
                                       Scroll Lock, right button), after the password */
#define SCRM_SETTINGSCHANGED 0x8002 /* wParam: SCRCHANGE_* code; lParam: the data, read
                                       only through ScrChangedSettings */
#define SCRM_TIMER           0x8003 /* tick: answer ms to next tick, 0 now, -1 stop */
#define SCRM_DIALOGACTIVE    0x8004 /* a framework dialog opens (TRUE) or closes */
#define SCRM_INTERNAL        0x8009 /* framework-internal; never handle it */

/* Timer ticks. DefSaverProc starts a saver window's timer thread after
 * WM_CREATE and stops it at WM_DESTROY; each tick arrives as SCRM_TIMER,
 * and the answer is the period until the next one, measured from the
 * start of this tick. A saver may stop and restart its ticks itself. */
void WINAPI ScrStartTimer(HWND window);
void WINAPI ScrStopTimer(HWND window);

/* ------------------------------------------------------------------ */
/* The user's general settings, as the General page stores them. */

#define SCR_CORNER_DEFAULT 0 /* the corner does nothing special */
#define SCR_CORNER_NOW     1 /* a pointer in the corner starts the saver */
#define SCR_CORNER_NEVER   2 /* a pointer in the corner keeps it away */

typedef struct ScrGeneralSettings {
    LONG size;              /* set by the caller: sizeof(ScrGeneralSettings), 24 */
    BYTE corners[4];        /* SCR_CORNER_*: top-left, top-right, bottom-right, bottom-left */
    LONG muteSound;         /* the user asked for silence */
    LONG mouseThreshold;    /* pixels the mouse may move before the saver closes */
    LONG passwordDelay;     /* seconds after the start without a password */
    LONG allowActiveConfig; /* the user allows configuration over the running saver */
} ScrGeneralSettings;

/* Fills every field but size with the user's stored settings. */
void WINAPI ScrGetSettings(ScrGeneralSettings *settings);

/* The settings a SCRM_SETTINGSCHANGED carries: pass its wParam and lParam.
 * Any program on the desktop can send or post a saver window this message
 * with any number in lParam, so read the block only through this call: it
 * answers the block when the code names general settings and the framework
 * itself sent that very block, NULL otherwise. The block lives until the
 * message returns: copy what you need.
 *
 *   case SCRM_SETTINGSCHANGED:
 *       if (const ScrGeneralSettings *s = ScrChangedSettings(wParam, lParam))
 *           mute = s->muteSound;
 *       break;
 */
const ScrGeneralSettings *WINAPI ScrChangedSettings(WPARAM code, LPARAM data);

/* Help for one control of the saver's own dialogs, from the framework's
 * help files: command is a WinHelp command (HELP_WM_HELP, HELP_CONTEXTMENU),
 * contextId the control's help context. */
void WINAPI ScrHelp(HWND control, UINT command, DWORD contextId);

/* The framework's version ("1.5s") into buffer, at most maxLength - 1
 * characters and a terminating zero; returns the characters written, 0
 * when no version was found. */
int WINAPI ScrGetVersionText(char *buffer, int maxLength);

/* Change codes of SCRM_SETTINGSCHANGED: the low 12 bits name the data. */
#define SCRCHANGE_GENERAL    0x0001 /* lParam: ScrGeneralSettings */
#define SCRCHANGE_KINDMASK   0x0FFF
#define SCRCHANGE_LIVE       0x1000 /* changed in the controls, not yet applied */
#define SCRCHANGE_APPLIED    0x2000 /* the user applied the change */
#define SCRCHANGE_TOPREVIEWS 0x4000 /* relay to the previews on the sheet */
#define SCRCHANGE_TOOWNER    0x8000 /* relay to the configuration's owner */

/* How the General page hands a change to the configuration host, which
 * relays it to the saver and the previews; the host takes only notices
 * that the framework sent. */
typedef struct ScrChangeNotice {
    HWND sheet; /* the property sheet */
    LONG code;  /* SCRCHANGE_* bits */
    void *data; /* for SCRCHANGE_GENERAL a ScrGeneralSettings */
} ScrChangeNotice;

/* ------------------------------------------------------------------ */
/* Saver windows, continued. */

/* The creation record every saver window receives as lpCreateParams. */
typedef struct SaverCreateParams {
    LONG first; /* always 0 */
    LONG mode;  /* 0 full screen, 1 preview in a monitor control, 2 preview */
} SaverCreateParams;

/* The monitors a saver window covers. The full-screen window spans every
 * monitor of the desktop (the virtual screen), and gets WM_SIZE when the
 * desktop changes under it; a saver that wants one picture per monitor asks
 * here, on WM_SIZE or its first tick. rect is in the window's client
 * coordinates; primary marks the monitor with the taskbar and the
 * desktop's origin. A preview, and the small DebugWindow, count as one
 * primary monitor: their whole client area.
 *
 * Fills at most maxCount entries and returns how many monitors there are,
 * which may be more; with maxCount 0 (monitors may then be NULL) it only
 * counts. Returns 0 for a handle that is not a window.
 *
 *   ScrMonitor found[8];
 *   int count = ScrGetMonitors(window, found, 8);
 *   for (int i = 0; i < count && i < 8; ++i)
 *       DrawSky(dc, &found[i].rect);
 */
typedef struct ScrMonitor {
    RECT rect;    /* the monitor, in the window's client coordinates */
    BOOL primary; /* the primary monitor */
} ScrMonitor;

int WINAPI ScrGetMonitors(HWND window, ScrMonitor *monitors, int maxCount);

/* Whether window is one of this process's saver windows: the full-screen
 * window, a preview or the debug window, from the WM_CREATE that
 * DefSaverProc saw until its WM_DESTROY. FALSE for any other window, for
 * NULL and for handles that are not windows. Helpers that serve savers
 * (dusklit_gl.h) ask it before they take a window on. */
BOOL WINAPI ScrIsSaverWindow(HWND window);

/* Host-window protocol: a host answers 0 to let the framework do it. */
#define SCRHOST_CREATECONFIGPREVIEW 0x8064
#define SCRHOST_CREATESYSPREVIEW    0x8065
#define SCRHOST_CREATEPREVIEW       0x8066
#define SCRHOST_CREATEFULL          0x8067
#define SCRHOST_CREATEWINDOW        0x8068
#define SCRHOST_PROPERTYSHEET       0x8069
#define SCRHOST_ABOUT               0x806A
#define SCRHOST_CHANGEPASSWORD      0x806B

LRESULT CALLBACK DefHostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

/* ------------------------------------------------------------------ */
/* Monitor control "DusklitMonitorClass": a monitor picture that edits the
 * hot corners or frames a live preview. Its state lives in these styles. */

#define MS_NOTHING      0x000
#define MS_PREVIEW      0x001
#define MS_CORNERS      0x002
#define MS_TYPEMASK     0x003
#define MS_CTOPLEFTDEF  0x000
#define MS_CTOPLEFTNOW  0x010
#define MS_CTOPLEFTNEV  0x020
#define MS_CTOPRIGHTDEF 0x000
#define MS_CTOPRIGHTNOW 0x040
#define MS_CTOPRIGHTNEV 0x080
#define MS_CBOTRIGHTDEF 0x000
#define MS_CBOTRIGHTNOW 0x100
#define MS_CBOTRIGHTNEV 0x200
#define MS_CBOTLEFTDEF  0x000
#define MS_CBOTLEFTNOW  0x400
#define MS_CBOTLEFTNEV  0x800
#define MS_CORNERMASK   0xFF0

/* A live preview of the running saver inside window: inside the screen of
 * an MS_PREVIEW monitor control, or filling any other window. Returns the
 * preview window, or NULL (for a monitor control of another type). Call it
 * from the saver's own configuration page while the framework runs. */
HWND WINAPI CreatePreview(HWND window);

/* The loadable-library form (dusklit.dll) describes the monitor control to
 * a dialog editor; DUSKLIT_CONTROL_INFO_EXPORT names the export. The
 * record is the editor's custom-control information record (CCINFOA);
 * returns the number of control kinds described, 1. */
#define DUSKLIT_CONTROL_INFO_EXPORT "ScrMonitorControlInfo"
UINT WINAPI ScrMonitorControlInfo(void *controlInfo);

#define DUSKLIT_MONITOR_CLASS        "DusklitMonitorClass"
#define DUSKLIT_MONITOR_WINDOW_CLASS "DusklitMonitorWindowClass"

#ifdef __cplusplus
}
#endif

#endif /* DUSKLIT_H */
