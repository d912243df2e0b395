// What the demo's in-process tests share: a watch on the display-mode
// switch, the cursor's show count, and a clean slate between tests.
#pragma once
#include <windows.h>

#include <vector>

struct DisplayModeCall {
    bool restore = false; // called with no mode: back to the registry's mode
    DEVMODEA request{};   // the request as passed (zero when restoring)
    DWORD flags = 0;
    LONG result = 0;
};

// Watches ChangeDisplayMode while the object lives. Passing through asks
// the real system; granting answers DISP_CHANGE_SUCCESSFUL without
// touching the display, as a display that supports the mode would.
class DisplayModeWatch {
public:
    enum Behaviour { PassThrough, Grant };
    explicit DisplayModeWatch(Behaviour behaviour);
    ~DisplayModeWatch();
    DisplayModeWatch(const DisplayModeWatch &) = delete;
    DisplayModeWatch &operator=(const DisplayModeWatch &) = delete;

    const std::vector<DisplayModeCall> &Calls() const { return calls_; }

private:
    static LONG WINAPI Change(DEVMODEA *mode, DWORD flags);
    Behaviour behaviour_;
    std::vector<DisplayModeCall> calls_;
};

// The cursor's show count: 0 or more means visible.
int CursorShowCount();

// Takes every pending message of this thread, WM_QUIT included.
void DrainMessages();

// Runs this thread's messages for about this long.
void PumpMessagesFor(DWORD milliseconds);

// Puts the demo back as a fresh process has it, apart from the scene's
// random numbers: no window, class unregistered, no keys held, active.
void ResetDemo();
