// What the demo's in-process tests share: an answerer for the message
// boxes the demo shows, a watch on the display-mode switch, and a clean
// slate between tests.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

struct ShownBox {
    std::string caption, text;
    bool owned, ok, yes, no;
    HICON icon; // compare with LoadIconA(nullptr, IDI_...)
};

// Answers every box this thread opens while the object lives, as soon as it
// opens: box n gets answers[n], later ones IDOK (or IDNO without an OK
// button). A box still open five seconds after its answer is closed and
// TimedOut() becomes true.
class BoxAnswerer {
public:
    explicit BoxAnswerer(std::vector<int> answers = {});
    ~BoxAnswerer();
    std::vector<ShownBox> boxes;
    bool TimedOut() const { return timedOut_; }
    // Runs inside the box's own message loop, before the answer.
    void (*onShow)(void *context) = nullptr;
    void *onShowContext = nullptr;
    // Notes and answers a box the first time; closes it when it has ignored
    // its answer too long.
    void Answer(HWND box);

private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam);
    static void CALLBACK Watchdog(HWND, UINT, UINT_PTR, DWORD);
    std::vector<int> answers_;
    std::vector<std::pair<HWND, DWORD>> answered_; // box and when
    HHOOK hook_;
    UINT_PTR timer_;
    bool timedOut_ = false;
};

struct DisplayModeCall {
    bool restore;     // called with no mode: back to the registry's mode
    DEVMODEA request; // zero when restoring
    DWORD flags;
};

// Watches ChangeDisplayMode while it lives. PassThrough asks the real
// system; Grant answers DISP_CHANGE_SUCCESSFUL without touching the display,
// as a display that has the mode would.
class DisplayModeWatch {
public:
    enum Behaviour { PassThrough, Grant };
    explicit DisplayModeWatch(Behaviour behaviour);
    ~DisplayModeWatch();
    std::vector<DisplayModeCall> calls;
    std::vector<LONG> results;

private:
    static LONG WINAPI Change(DEVMODEA *mode, DWORD flags);
    Behaviour behaviour_;
};

// The cursor's show count: 0 or more means visible.
int CursorShowCount();

// Handles every pending message of this thread; a WM_QUIT is dropped.
void DrainMessages();

// Back to what a fresh process has, but for the scene's random numbers: no
// window, class unregistered, no keys held, active. Returns the number of
// boxes the teardown showed (and answered).
size_t ResetDemo();

// A demo window as the program opens it on a display that refuses the
// full-screen mode and a user who answers Yes.
class OpenDemoTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    int width_ = 0, height_ = 0; // of the client area, which OpenGL draws
};
