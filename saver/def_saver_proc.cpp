// The default saver procedure: when the saver ends (mouse, keys, clicks,
// losing activation), the password before the full-screen window closes,
// active configuration on request, the hidden cursor, following the
// desktop when its monitors change, swallowing system commands that would
// start a second saver or close this one, the timer's ticks, and the end
// of the run's message loop.
#include "saver/def_saver_proc.h"

#include <cstdlib>

#include "config/config_dialog.h"
#include "dusklit.h"
#include "library/startup.h"
#include "saver/create_params.h"
#include "saver/debug_output.h"
#include "saver/display_state.h"
#include "saver/issued.h"
#include "saver/lock_window.h"
#include "saver/message_origin.h"
#include "saver/monitors.h"
#include "saver/password.h"
#include "saver/prefs.h"
#include "saver/real_input.h"
#include "saver/tick_clock.h"
#include "saver/timer.h"
#include "saver/window_kinds.h"

SaverRunStateRecord SaverRunState = {};

namespace {

// Which window a message is for, as the framework recorded it when the
// window was made, and how its traces are labelled. A window not yet
// recorded (its first messages, before WM_CREATE) counts as a full one, so
// in doubt the password is asked.
struct SaverWindow {
    HWND handle;
    SaverWindowKind kind;
    bool preview; // a child filling a parent; otherwise the full-screen or debug window
    bool debug;   // the small debug window: an ordinary window, input aside
    bool lock;    // the full-screen window, which holds its place
    const char *label;
};

SaverWindow Identify(HWND window)
{
    const SaverWindowKind kind = SaverWindowKindOf(window);
    const bool preview = IsPreviewKind(kind);
    return {window, kind, preview, kind == SaverWindowKind::DebugWindow, kind == SaverWindowKind::FullScreen,
            preview ? "preview DefSaverProc" : "full DefSaverProc"};
}

void Trace(const SaverWindow &w, const char *text)
{
    ScrTracePrefixed(w.label, text);
}

void PostClose(HWND window)
{
    PostMessageA(window, WM_CLOSE, 0, 0);
}

void TakeSettings(LONG passwordDelay, LONG mouseThreshold, LONG allowActiveConfig)
{
    // A delay that reads as negative would outlast any saver: none at all.
    SaverRunState.passwordDelay = passwordDelay < 0 ? 0 : static_cast<DWORD>(passwordDelay);
    SaverRunState.mouseThreshold = mouseThreshold;
    SaverRunState.allowActiveConfig = allowActiveConfig != 0;
}

// While the saver runs, the time it may be closed without a password only
// ever shrinks: a shorter delay counts at once, a longer one from the next
// saver on. Whoever sits at the screen may reach the configuration over
// the saver (when no password is asked for it, or by a message from
// another program), and a longer Wait must not open the lock.
void TakeChangedSettings(const ScrGeneralSettings &settings)
{
    const DWORD delay = static_cast<DWORD>(settings.passwordDelay);
    TakeSettings(static_cast<LONG>(delay < SaverRunState.passwordDelay ? delay : SaverRunState.passwordDelay),
                 settings.mouseThreshold, settings.allowActiveConfig);
}

void RestartMouseOrigin()
{
    GetCursorPos(&SaverRunState.originPos);
}

// SCRM_DIALOGACTIVE reaches the saver's procedure, which may want to know,
// but only the framework's own sends change the dialog state: another
// program that says a dialog runs would leave the saver deaf to input.
WPARAM OwnDialogActiveSend = ~WPARAM(0);

void SetDialogActive(HWND window, bool active)
{
    const WPARAM previous = OwnDialogActiveSend;
    OwnDialogActiveSend = active ? 1 : 0;
    SendMessageA(window, SCRM_DIALOGACTIVE, OwnDialogActiveSend, 0);
    OwnDialogActiveSend = previous;
}

void OnDialogActive(const SaverWindow &w, WPARAM wParam)
{
    if (wParam != OwnDialogActiveSend) {
        Trace(w, "SCRM_DIALOGACTIVE: not the framework's own, so ignoring it");
        return;
    }
    SaverRunState.dialogActive = wParam != 0;
}

// A window's own WM_CREATE comes once, from CreateWindowExA on this
// thread, and records the window. Any program can send a saver window
// another one (the system even copies a creation structure across for
// it); taken for real, it would restart the password delay under a
// running saver.
bool IsOwnCreation(const SaverWindow &w)
{
    return w.kind == SaverWindowKind::Unknown;
}

bool IsForgedDestruction(const SaverWindow &w, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!IsForgedLifeEvent(w.handle, message, wParam, lParam))
        return false;
    Trace(w, message == WM_DESTROY ? "WM_DESTROY: not the window's own destruction, so ignoring it"
                                   : "WM_NCDESTROY: not the window's own destruction, so ignoring it");
    return true;
}

// The settings, the mouse origin, the start of the password delay and the
// dialog state belong to the full-screen window; a preview created while
// it runs leaves them alone.
void StartRunState(HWND fullWindow)
{
    ScrGeneralSettings stored = {};
    stored.size = sizeof stored;
    ScrGetSettings(&stored);
    TakeSettings(stored.passwordDelay, stored.mouseThreshold, stored.allowActiveConfig);
    RestartMouseOrigin();
    SaverRunState.startTick = GetTickCount();
    SaverRunState.dialogActive = false;
    SaverRunState.fullWindow = fullWindow;
    SaverRunState.activeConfigAsked = false;
    AskFineTimerResolution();
    WatchDisplayState(fullWindow);
}

// The display went dark or came back: the ticks rest or come again at
// once. Nothing else changes, whoever sent it.
void OnPowerBroadcast(const SaverWindow &w, WPARAM wParam, LPARAM lParam)
{
    const DisplayNews news = ReadDisplayNews(wParam, lParam);
    if (news == DisplayNews::None)
        return;
    NoteDisplay(news);
    if (news == DisplayNews::Lit) {
        Trace(w, "WM_POWERBROADCAST: the display is back, so ticking again");
        WakeTimer(w.handle);
    } else {
        Trace(w, "WM_POWERBROADCAST: the display is dark, so no ticks until it is back");
    }
}

LRESULT OnCreate(const SaverWindow &w, WPARAM wParam, LPARAM lParam)
{
    if (!IsOwnCreation(w)) {
        Trace(w, "WM_CREATE: not the window's own creation, so ignoring it");
        return 0;
    }
    Trace(w, "WM_CREATE...");
    const SaverWindowKind kind = RecordSaverWindow(w.handle);
    BeginWatchingMessageOrigins();
    if (!IsPreviewKind(kind))
        StartRunState(w.handle);
    if (auto *create = reinterpret_cast<CREATESTRUCTA *>(lParam)) {
        DeleteSaverCreateParams(create->lpCreateParams);
        create->lpCreateParams = nullptr;
    }
    CreateTimerProp(w.handle);
    if (!CurrentPrefs.NoTimers)
        PostMessageA(w.handle, SCRM_INTERNAL, SCRINTERNAL_STARTTIMER, 0);
    return DefWindowProcA(w.handle, WM_CREATE, wParam, lParam);
}

// The run's message loop belongs to the full-screen saver while it lives:
// a preview that goes meanwhile (one put into a plain window of the
// configuration opened over the saver) must not end it.
bool FullSaverRunning(HWND besides)
{
    HWND full = SaverRunState.fullWindow;
    return full && full != besides && IsWindow(full);
}

void TidyUp(const SaverWindow &w)
{
    Trace(w, "WM_DESTROY: tidying up");
    ScrStopTimer(w.handle);
    RemoveTimerProp(w.handle);
    NoteDestroy(w.handle, DestroyNote::TidiedUp);
    if (w.handle == SaverRunState.fullWindow) {
        GiveBackFineTimerResolution();
        StopWatchingDisplayState();
    }
    if (!(w.preview && (w.kind == SaverWindowKind::MonitorPreview || FullSaverRunning(w.handle)))) {
        Trace(w, "POSTQUITMESSAGE from WM_DESTROY!!");
        PostQuitMessage(2);
    }
}

LRESULT OnDestroy(const SaverWindow &w, WPARAM wParam, LPARAM lParam)
{
    if (IsForgedDestruction(w, WM_DESTROY, wParam, lParam))
        return 0;
    TidyUp(w);
    return DefWindowProcA(w.handle, WM_DESTROY, wParam, lParam);
}

// The window's record and its watch end with the window; the handle may
// name another window later. A window whose only WM_DESTROY was another
// thread's, refused then, and that ends all the same, is tidied up now,
// unless its saver's procedure was handed a WM_DESTROY and kept it.
LRESULT OnFinalDestroy(const SaverWindow &w, WPARAM wParam, LPARAM lParam)
{
    if (IsForgedDestruction(w, WM_NCDESTROY, wParam, lParam))
        return 0;
    if (w.kind != SaverWindowKind::Unknown) {
        if (DestroyNoted(w.handle, DestroyNote::Refused) && !DestroyNoted(w.handle, DestroyNote::TidiedUp) &&
            !DestroyNoted(w.handle, DestroyNote::Delivered))
            TidyUp(w);
        ForgetSaverWindow(w.handle);
        EndWatchingMessageOrigins();
    }
    return DefWindowProcA(w.handle, WM_NCDESTROY, wParam, lParam);
}

void OnDeactivate(const SaverWindow &w, WPARAM wParam)
{
    if (LOWORD(wParam) != 0)
        return;
    if (SaverRunState.dialogActive) {
        Trace(w, "WM_ACTIVATE: but a dialog is active, so ignoring it.");
        return;
    }
    Trace(w, "WM_ACTIVATE: about to inactivate window, so sending Close");
    PostClose(w.handle);
}

// Asks for the password if one is needed; true when the saver may close.
bool PasswordAccepted(const SaverWindow &w)
{
    if (!NeedPassword())
        return true;
    SetDialogActive(w.handle, true);
    Trace(w, "WM_CLOSE: starting verify-password message");
    bool accepted = SendMessageA(w.handle, SCRM_VERIFYPW, 0, 0) != 0;
    Trace(w, "WM_CLOSE: ending verify-password message");
    SetDialogActive(w.handle, false);
    RestartMouseOrigin();
    return accepted;
}

LRESULT OnClose(const SaverWindow &w)
{
    if (w.preview) {
        DestroyWindow(w.handle);
        return 0;
    }
    if (SaverRunState.dialogActive) {
        Trace(w, "WM_CLOSE: active dialog, so ignoring close request");
        return 0;
    }
    Trace(w, "WM_CLOSE: maybe we need a password");
    if (PasswordAccepted(w)) {
        // Locked while the saver still covers the screen, so the desktop
        // never shows, not even for a moment.
        if (NeedSystemLock()) {
            Trace(w, "WM_CLOSE: locking the workstation before the window goes");
            LockWorkStation();
        }
        Trace(w, "WM_CLOSE: password OK, so doing a DestroyWindow");
        DestroyWindow(w.handle);
    } else {
        Trace(w, "WM_CLOSE: not OK, so doing nothing");
    }
    return 0;
}

void OnSetCursor(const SaverWindow &w)
{
    if (!w.preview && !w.debug)
        SetCursor(nullptr);
    else
        SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW)));
}

// The configuration over a locked saver asks for the password first,
// when one would be needed to close the saver now and the saver's
// preferences do not say otherwise. Accepted, the password delay starts
// over; refused, there is no configuration.
bool MayOpenActiveConfig(const SaverWindow &w)
{
    if (!CurrentPrefs.ActiveConfigPassword || !NeedPassword())
        return true;
    Trace(w, "Active config: starting verify-password message");
    const bool accepted = SendMessageA(w.handle, SCRM_VERIFYPW, 0, 0) != 0;
    Trace(w, "Active config: ending verify-password message");
    if (!accepted) {
        Trace(w, "Active config: password not OK, so no dialog");
        return false;
    }
    SaverRunState.startTick = GetTickCount();
    return true;
}

// Shift, Ctrl, Scroll Lock and the right button open the configuration
// over the running saver when both the saver and the user allow it; if
// not, they close the saver like any other input. So does such a key or
// click that another program sent, or posted while no such key or button
// is really held down.
void RequestActiveConfig(const SaverWindow &w, bool reallyPressed)
{
    if (SaverRunState.dialogActive) {
        ScrTrace("WM_ACTIVE: but dialog is active, so ignoring");
        return;
    }
    if (!CurrentPrefs.ActiveConfig || !SaverRunState.allowActiveConfig) {
        ScrTrace("WM_ACTIVE: but it's not enabled, so sending close");
        PostClose(w.handle);
        return;
    }
    if (SentByAnotherThread() || !reallyPressed) {
        ScrTrace("WM_ACTIVE: not the user's own input, so sending close");
        PostClose(w.handle);
        return;
    }
    Trace(w, "Starting active config dialog");
    SetDialogActive(w.handle, true);
    if (MayOpenActiveConfig(w)) {
        SaverRunState.activeConfigAsked = true;
        SendMessageA(w.handle, SCRM_ACTIVECONFIG, 0, 0);
        SaverRunState.activeConfigAsked = false;
    }
    SetDialogActive(w.handle, false);
    Trace(w, "Finished active config dialog");
    RestartMouseOrigin();
}

void OnKeyDown(const SaverWindow &w, WPARAM key)
{
    if (key == VK_SHIFT || key == VK_CONTROL || key == VK_SCROLL) {
        ScrTrace("WM_KEYDOWN: active-config key pressed. Checking...");
        RequestActiveConfig(w, KeyReallyDown(static_cast<UINT>(key)));
        return;
    }
    if (SaverRunState.dialogActive) {
        ScrTrace("WM_KEYDOWN: Misc. key pressed, but active dialog, so ignoring it.");
        return;
    }
    ScrTrace("WM_KEYDOWN: Misc key pressed: sending Close");
    PostClose(w.handle);
}

// Returns true when the command is swallowed (answered 0). The full-screen
// window swallows them all: minimising, moving, sizing, the task list and
// the rest would each show the desktop beside or behind the lock, and it
// closes only through WM_CLOSE, which asks for the password. The low four
// bits belong to the system and say nothing about the command.
bool SwallowSystemCommand(const SaverWindow &w, WPARAM wParam)
{
    const WPARAM command = wParam & 0xFFF0;
    if (w.lock) {
        Trace(w, "WM_SYSCOMMAND: gobbling it up: the full-screen window stays as it is.");
        return true;
    }
    if (command == SC_SCREENSAVE) {
        Trace(w, "WM_SYSCOMMAND: gobbling up a SC_SCREENSAVE to stop a new saver from running.");
        return true;
    }
    if (command == SC_CLOSE)
        Trace(w, "WM_SYSCOMMAND: should be gobbling up a SC_CLOSE, but am not because we're in debug mode.");
    return false;
}

// The distance is always measured from where the cursor was when the
// saver started or the last dialog ended, so jitter never adds up.
void OnMouseMove(const SaverWindow &w)
{
    POINT now = {};
    GetCursorPos(&now);
    const LONG dx = std::labs(now.x - SaverRunState.originPos.x);
    const LONG dy = std::labs(now.y - SaverRunState.originPos.y);
    if (dx <= SaverRunState.mouseThreshold && dy <= SaverRunState.mouseThreshold)
        return;
    if (SaverRunState.dialogActive) {
        Trace(w, "WM_MOUSEMOVE: but dialog active, so ignoring");
        return;
    }
    Trace(w, "WM_MOUSEMOVE: gone beyond threshold, sending Close");
    PostClose(w.handle);
}

// A monitor came, went or changed size: the full-screen window follows the
// virtual screen, still topmost and without taking the activation from
// anyone, and the saver hears of its new size through WM_SIZE. A monitor
// that goes can push the cursor onto one that stays; that is no input of
// the user's, so the mouse is measured from where it is now.
void OnDisplayChange(const SaverWindow &w)
{
    const RECT screen = VirtualScreenRect();
    SetWindowPos(w.handle, HWND_TOPMOST, screen.left, screen.top, screen.right - screen.left,
                 screen.bottom - screen.top, SWP_NOACTIVATE);
    RestartMouseOrigin();
}

void OnButtonDown(const SaverWindow &w, UINT message)
{
    const bool left = message == WM_LBUTTONDOWN;
    if (SaverRunState.dialogActive) {
        Trace(w, left ? "WM_LBUTTONDOWN: but a dialog is active, so ignoring it."
                      : "WM_MBUTTONDOWN: but a dialog is active, so ignoring it.");
        return;
    }
    Trace(w, left ? "WM_LBUTTONDOWN: sending Close" : "WM_MBUTTONDOWN: sending Close");
    PostClose(w.handle);
}

LRESULT OnVerifyPassword(const SaverWindow &w)
{
    Trace(w, "SCRM_VERIFYPW: going to DoVerifyPwDialog");
    if (DoVerifyPwDialog(w.handle) == IDOK) {
        ScrTrace("SCRM_VERIFYPW: DoVerifyPw returned IDOK: returning TRUE!");
        return TRUE;
    }
    ScrTrace("SCRM_VERIFYPW: DoVerifyPw returned IDCANCEL: returning FALSE");
    return FALSE;
}

// Only the configuration that the saver's own request opened: the request
// is under way (its password accepted) exactly once per request. Anyone
// else's SCRM_ACTIVECONFIG, sent or posted, opens nothing.
void OnActiveConfig(const SaverWindow &w)
{
    if (!SaverRunState.activeConfigAsked) {
        Trace(w, "SCRM_ACTIVECONFIG: not the saver's own request, so ignoring it");
        return;
    }
    SaverRunState.activeConfigAsked = false;
    Trace(w, "SCRM_ACTIVECONFIG: going to pop up activeconfig");
    DoConfigDialog(w.handle, TRUE);
}

void OnSettingsChanged(const SaverWindow &w, WPARAM code, LPARAM lParam)
{
    if (w.preview)
        return;
    const ScrGeneralSettings *settings = ScrChangedSettings(code, lParam);
    if (!settings)
        return;
    TakeChangedSettings(*settings);
    if (ThreadData *timer = GetTimerProp(w.handle))
        SetEvent(timer->wakeEvent);
}

LRESULT OnUnansweredTimer()
{
    static const char stars[] = "******************************************************************************";
    static_assert(sizeof stars == 79, "a line of 78 asterisks");
    ScrTrace(stars);
    ScrTrace("** SCRM_TIMER: being turned off. If you want it to keep going, you must return its period.");
    ScrTrace(stars);
    return -1;
}

void OnHadEnough(const SaverWindow &w)
{
    ScrTrace("SCRINTERNAL_HADENOUGH: closing down thread...");
    if (ThreadData *timer = GetTimerProp(w.handle)) {
        // Anyone can post this; only the timer that asked is stopped.
        if (!TimerAskedToStop(timer)) {
            ScrTrace("SCRINTERNAL_HADENOUGH: the timer did not ask to stop, so ignoring it");
            return;
        }
        RequestTimerStop(w.handle, timer);
        return;
    }
    const char text[] = "SCRINTERNAL_HADENOUGH: strangely, the timer has disappeared!";
    ScrTrace(text);
    ScrDebugMessageBox(w.handle, text, "SCRTIMER error");
    SetTimerProp(w.handle, nullptr);
}

LRESULT OnInternal(const SaverWindow &w, WPARAM code, LPARAM lParam)
{
    switch (code) {
    case SCRINTERNAL_TICK:
        if (!CurrentPrefs.NoTimers && GetTimerProp(w.handle))
            return SendMessageA(w.handle, SCRM_TIMER, 0, lParam);
        break;
    case SCRINTERNAL_HADENOUGH:
        if (!CurrentPrefs.NoTimers)
            OnHadEnough(w);
        break;
    case SCRINTERNAL_STARTTIMER:
        ScrStartTimer(w.handle);
        break;
    default:
        break;
    }
    return DefWindowProcA(w.handle, SCRM_INTERNAL, code, lParam);
}

// Messages for the full-screen window only; a preview leaves them to the
// system. Returns true with result set when the message was answered.
bool FullWindowMessage(const SaverWindow &w, UINT message, WPARAM wParam, LPARAM lParam, LRESULT &result)
{
    switch (message) {
    case WM_ACTIVATE:
    case WM_ACTIVATEAPP:
    case WM_NCACTIVATE:
        if (!w.debug)
            OnDeactivate(w, wParam);
        return false;
    case WM_DISPLAYCHANGE:
        if (!w.debug)
            OnDisplayChange(w);
        return false;
    case WM_WINDOWPOSCHANGING:
        if (w.lock)
            HoldPlaceOnPositionChange(w.handle, lParam);
        return false;
    case WM_WINDOWPOSCHANGED:
        if (w.lock)
            RestorePlaceAfterChange(w.handle);
        return false;
    case WM_STYLECHANGING:
        if (w.lock)
            HoldStylesOnStyleChange(w.handle, wParam, lParam);
        return false;
    case WM_POWERBROADCAST:
        if (w.lock)
            OnPowerBroadcast(w, wParam, lParam);
        return false;
    case WM_KEYDOWN:
        OnKeyDown(w, wParam);
        return false;
    case WM_KEYUP:
        Trace(w, "WM_KEYUP: ignoring it");
        return false;
    case WM_SYSCOMMAND:
        if (SwallowSystemCommand(w, wParam)) {
            result = 0;
            return true;
        }
        return false;
    case WM_MOUSEMOVE:
        if (!w.debug)
            OnMouseMove(w);
        return false;
    case WM_LBUTTONDOWN:
    case WM_MBUTTONDOWN:
        OnButtonDown(w, message);
        return false;
    case WM_RBUTTONDOWN:
        ScrTrace("WM_RBUTTONDOWN: active-config. checking...");
        RequestActiveConfig(w, RightButtonReallyDown(w.handle, lParam));
        return false;
    default:
        return false;
    }
}

} // namespace

LRESULT CALLBACK DefSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    ScrEnsureStarted();
    const SaverWindow w = Identify(window);
    switch (message) {
    case WM_CREATE:
        return OnCreate(w, wParam, lParam);
    case WM_DESTROY:
        return OnDestroy(w, wParam, lParam);
    case WM_NCDESTROY:
        return OnFinalDestroy(w, wParam, lParam);
    case WM_CLOSE:
        return OnClose(w);
    case WM_SETCURSOR:
        OnSetCursor(w);
        break;
    case SCRM_VERIFYPW:
        return OnVerifyPassword(w);
    case SCRM_ACTIVECONFIG:
        OnActiveConfig(w);
        return 1;
    case SCRM_SETTINGSCHANGED:
        OnSettingsChanged(w, wParam, lParam);
        return 1;
    case SCRM_TIMER:
        return OnUnansweredTimer();
    case SCRM_DIALOGACTIVE:
        OnDialogActive(w, wParam);
        break;
    case SCRM_INTERNAL:
        return OnInternal(w, wParam, lParam);
    default:
        if (!w.preview) {
            LRESULT result = 0;
            if (FullWindowMessage(w, message, wParam, lParam, result))
                return result;
        }
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

bool IsForgedLifeEvent(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_NCCREATE:
    case WM_CREATE:
        return SentFromElsewhere(window, message, wParam, lParam);
    case WM_DESTROY:
    case WM_NCDESTROY:
        if (!IsTopLevelKind(SaverWindowKindOf(window)) || !SentFromElsewhere(window, message, wParam, lParam))
            return false;
        if (message == WM_DESTROY)
            NoteDestroy(window, DestroyNote::Refused);
        return true;
    default:
        return false;
    }
}

const ScrGeneralSettings *WINAPI ScrChangedSettings(WPARAM code, LPARAM data)
{
    if ((code & SCRCHANGE_KINDMASK) != SCRCHANGE_GENERAL)
        return nullptr;
    const auto *settings = reinterpret_cast<const ScrGeneralSettings *>(data);
    return WasIssued(settings, Issued::SettingsBlock) ? settings : nullptr;
}
