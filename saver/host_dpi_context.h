// A preview is a child of a window that need not be ours (the display
// settings' little monitor, a host program's pane). Since Windows 10 1803 a
// window refuses a child of another DPI awareness unless it allows mixed
// hosting, so the thread that makes a preview takes its host's awareness
// for as long as this object lives, and gets its own back at the end.
// Where the system has no per-window awareness, nothing changes.
#pragma once
#include <windows.h>

class HostDpiContext {
public:
    explicit HostDpiContext(HWND host);
    ~HostDpiContext();
    HostDpiContext(const HostDpiContext &) = delete;
    HostDpiContext &operator=(const HostDpiContext &) = delete;

private:
    DPI_AWARENESS_CONTEXT previous_ = nullptr; // the thread's own; null when it was never changed
};

// Some systems (Wine 8) report one awareness for every window, so tests
// name the awareness that hosts have here; null asks the system.
extern DPI_AWARENESS_CONTEXT SaidHostAwareness;
