// What the monitor control tests share: the started library, one parent
// window for the whole run (a top-level window is slow to make under the
// emulator), the notifications it hears, and pixels read back from the
// screen.
#pragma once
#include <windows.h>

#include <cstdint>
#include <vector>

#include "tests/support/layout_check.h"

// The parent draws vertical stripes of these two colours, three pixels
// wide, so that a control showing "what lies under it" can be told from
// one that fills with some colour of its own.
constexpr std::uint32_t StripeA = 0x123456;
constexpr std::uint32_t StripeB = 0xA05030;
std::uint32_t StripeAt(int parentX);

HWND TestParent();

// A WM_COMMAND the parent received.
struct Notification {
    WPARAM wParam;
    LPARAM lParam;
};
// What the parent heard since the last call, and forgets it.
std::vector<Notification> TakeNotifications();

// A monitor control, a child of the test parent, destroyed with the object.
class Monitor {
public:
    Monitor(DWORD style, int x, int y, int width, int height, int id = 3640);
    ~Monitor();
    Monitor(const Monitor &) = delete;
    Monitor &operator=(const Monitor &) = delete;
    HWND Handle() const { return window_; }
    DWORD Style() const;
    // Where it lies in the parent's client area.
    RECT Placement() const;

private:
    HWND window_;
};

// Erases and repaints the parent and all its children now.
void RedrawEverything();

// Pixels as 0xRRGGBB, top row first.
struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> rgb;
    std::uint32_t At(int x, int y) const { return rgb[static_cast<size_t>(y * width + x)]; }
};

// What the window shows on screen, its client area from the top-left.
Pixels ReadWindowPixels(HWND window, int width, int height);
// A part of a bitmap.
Pixels ReadBitmapPixels(HBITMAP bitmap, int left, int width, int height);

constexpr std::uint32_t Rgb(COLORREF colour)
{
    return (static_cast<std::uint32_t>(GetRValue(colour)) << 16) |
           (static_cast<std::uint32_t>(GetGValue(colour)) << 8) | GetBValue(colour);
}
