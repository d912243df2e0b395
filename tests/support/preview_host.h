// A window of this process to hold previews, standing in for the display
// settings' little monitor: a framed, visible top-level window, so its
// outer size differs from its client size. Of a class of the tests' own
// that draws nothing, unless the test names another (the monitor
// control's screen window, say).
#pragma once
#include <windows.h>

#include <string>

class PreviewHost {
public:
    // At (100, 100) on the screen, 320 x 240 with its frame, and with the
    // first messages it gets handled.
    explicit PreviewHost(const char *className = nullptr);
    ~PreviewHost() { Destroy(); }
    PreviewHost(const PreviewHost &) = delete;
    PreviewHost &operator=(const PreviewHost &) = delete;

    HWND Handle() const { return handle_; }
    // The handle as the decimal number a /p command line gives.
    std::string Number() const;
    // Destroys the window now, taking a preview inside it along.
    void Destroy();

private:
    HWND handle_ = nullptr;
};
