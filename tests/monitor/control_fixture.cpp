#include "tests/monitor/control_fixture.h"

#include <gtest/gtest.h>

#include "dusklit.h"
#include "library/library.h"
#include "monitor/monitor_resources.h"
#include "tests/support/message_pump.h"

namespace {

const char ParentClass[] = "MonitorTestParent";
constexpr int StripeWidth = 3;

HWND Parent = nullptr;
HBRUSH StripeBrushes[2] = {nullptr, nullptr};
std::vector<Notification> Heard;

COLORREF ToColorRef(std::uint32_t rgb)
{
    return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

void DrawStripes(HWND window, HDC dc)
{
    RECT client;
    GetClientRect(window, &client);
    for (int x = 0; x < client.right; x += StripeWidth) {
        RECT band = {x, 0, x + StripeWidth, client.bottom};
        FillRect(dc, &band, StripeBrushes[(x / StripeWidth) % 2]);
    }
}

LRESULT CALLBACK ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_ERASEBKGND:
        DrawStripes(window, reinterpret_cast<HDC>(wParam));
        return 1;
    case WM_COMMAND:
        Heard.push_back({wParam, lParam});
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// Starts the library the way any framework call would, and makes the one
// parent. Every test that does not test the hot-corner warning runs as if
// the System Agent were present, so that no warning comes in between.
class MonitorEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        ScrEnsureStarted();
        ASSERT_TRUE(LibraryStarted);
        NoteHotCornerAgent(true);
        StripeBrushes[0] = CreateSolidBrush(ToColorRef(StripeA));
        StripeBrushes[1] = CreateSolidBrush(ToColorRef(StripeB));
        WNDCLASSA wc = {};
        wc.lpfnWndProc = ParentProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = ParentClass;
        ASSERT_NE(0, RegisterClassA(&wc));
        // No WS_CLIPCHILDREN: the stripes go under the controls too, as a
        // dialog's background does.
        Parent = CreateWindowExA(0, ParentClass, "Monitor tests", WS_POPUP | WS_VISIBLE, 40, 40,
                                 480, 360, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(nullptr, Parent);
        UpdateWindow(Parent);
    }

    void TearDown() override
    {
        DestroyWindow(Parent);
        for (HBRUSH brush : StripeBrushes)
            DeleteObject(brush);
    }
};

::testing::Environment *const Registered =
    ::testing::AddGlobalTestEnvironment(new MonitorEnvironment);

Pixels ReadFromDC(HDC source, int left, int width, int height)
{
    Pixels pixels;
    BITMAPINFO format = {};
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = width;
    format.bmiHeader.biHeight = -height; // top row first
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    format.bmiHeader.biCompression = BI_RGB;
    void *bits = nullptr;
    HBITMAP section = CreateDIBSection(source, &format, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC copy = CreateCompatibleDC(source);
    if (section && copy && bits) {
        HGDIOBJ before = SelectObject(copy, section);
        BitBlt(copy, 0, 0, width, height, source, left, 0, SRCCOPY);
        GdiFlush();
        pixels.width = width;
        pixels.height = height;
        const auto *data = static_cast<const std::uint32_t *>(bits);
        pixels.rgb.assign(data, data + width * height);
        for (std::uint32_t &p : pixels.rgb)
            p &= 0xFFFFFF;
        SelectObject(copy, before);
    }
    if (copy)
        DeleteDC(copy);
    if (section)
        DeleteObject(section);
    return pixels;
}

} // namespace

std::uint32_t StripeAt(int parentX)
{
    return (parentX / StripeWidth) % 2 ? StripeB : StripeA;
}

HWND TestParent()
{
    return Parent;
}

std::vector<Notification> TakeNotifications()
{
    std::vector<Notification> heard;
    heard.swap(Heard);
    return heard;
}

Monitor::Monitor(DWORD style, int x, int y, int width, int height, int id)
    : window_(CreateWindowExA(0, DUSKLIT_MONITOR_CLASS, "", style, x, y, width, height, Parent,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                              GetModuleHandleA(nullptr), nullptr))
{
}

Monitor::~Monitor()
{
    if (window_)
        DestroyWindow(window_);
    PumpMessages();
    TakeNotifications();
}

DWORD Monitor::Style() const
{
    return static_cast<DWORD>(GetWindowLongA(window_, GWL_STYLE));
}

RECT Monitor::Placement() const
{
    RECT rect = {};
    GetWindowRect(window_, &rect);
    MapWindowPoints(nullptr, Parent, reinterpret_cast<POINT *>(&rect), 2);
    return rect;
}

void RedrawEverything()
{
    RedrawWindow(Parent, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

Pixels ReadWindowPixels(HWND window, int width, int height)
{
    HDC dc = GetDC(window);
    Pixels pixels = ReadFromDC(dc, 0, width, height);
    ReleaseDC(window, dc);
    return pixels;
}

Pixels ReadBitmapPixels(HBITMAP bitmap, int left, int width, int height)
{
    HDC screen = GetDC(nullptr);
    HDC holder = CreateCompatibleDC(screen);
    HGDIOBJ before = SelectObject(holder, bitmap);
    Pixels pixels = ReadFromDC(holder, left, width, height);
    SelectObject(holder, before);
    DeleteDC(holder);
    ReleaseDC(nullptr, screen);
    return pixels;
}
