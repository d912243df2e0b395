// What the monitor control shows on screen: the picture over its parent's
// drawing, the marks by state, the preview type's screen window, and that
// painting it over and over leaves nothing behind.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "dusklit.h"
#include "library/library.h"
#include "monitor/monitor_resources.h"
#include "saver/timer.h"
#include "tests/monitor/control_fixture.h"
#include "tests/monitor/gdi_tracker.h"

namespace {

constexpr DWORD ChildVisible = WS_CHILD | WS_VISIBLE;
// From 192 DPI on the control draws every pixel of its art as a square.
const int Scale = PictureScaleHere();
const int Width = 184 * Scale;
const int Height = 170 * Scale;

// Where the control lies in the parent: odd, so that the stripes under it
// do not start on a stripe boundary.
constexpr int PlacedX = 31;
constexpr int PlacedY = 12;

// What the control must show, built from the library's own bitmaps at
// the control's scale: the parent's stripes where the mask is white, the
// picture elsewhere, and the mark of each corner's state in its square
// when marks are drawn.
Pixels ExpectedPicture(const int *marks)
{
    Pixels picture = ReadBitmapPixels(MonitorPicture, 0, 184, 170);
    Pixels mask = ReadBitmapPixels(MonitorPicture, 184, 184, 170);
    for (int corner = 0; marks && corner < 4; ++corner) {
        Pixels mark = ReadBitmapPixels(CornerMarks[marks[corner]], 0, MarkSize.cx, MarkSize.cy);
        const RECT &square = CornerSquares[corner];
        for (int y = 0; y < MarkSize.cy; ++y)
            for (int x = 0; x < MarkSize.cx; ++x) {
                const size_t at = static_cast<size_t>((square.top + y) * 184 + square.left + x);
                picture.rgb[at] = mark.At(x, y);
                mask.rgb[at] = 0;
            }
    }
    Pixels expected = {Width, Height, {}};
    for (int y = 0; y < Height; ++y)
        for (int x = 0; x < Width; ++x)
            expected.rgb.push_back(mask.At(x / Scale, y / Scale) == 0xFFFFFF ? StripeAt(PlacedX + x)
                                                                             : picture.At(x / Scale, y / Scale));
    return expected;
}

// Compares two images and describes the first few differences.
::testing::AssertionResult SamePixels(const Pixels &expected, const Pixels &actual)
{
    if (actual.width != expected.width || actual.height != expected.height)
        return ::testing::AssertionFailure() << "read " << actual.width << " x " << actual.height;
    int differences = 0;
    std::ostringstream first;
    for (int y = 0; y < expected.height; ++y) {
        for (int x = 0; x < expected.width; ++x) {
            if (expected.At(x, y) == actual.At(x, y))
                continue;
            if (++differences <= 5)
                first << " (" << x << "," << y << ") expected " << std::hex << expected.At(x, y)
                      << " got " << actual.At(x, y) << std::dec;
        }
    }
    if (differences)
        return ::testing::AssertionFailure() << differences << " pixels differ:" << first.str();
    return ::testing::AssertionSuccess();
}

TEST(MonitorPainting, PictureOverTheParentWithTheMarkOfEachState)
{
    // Top-left Default, top-right Now, bottom-right Never, bottom-left Now.
    Monitor monitor(ChildVisible | MS_CORNERS | MS_CTOPRIGHTNOW | MS_CBOTRIGHTNEV | MS_CBOTLEFTNOW,
                    PlacedX, PlacedY, Width, Height);
    RedrawEverything();
    const int marks[4] = {0, 1, 2, 1};
    Pixels shown = ReadWindowPixels(monitor.Handle(), Width, Height);
    EXPECT_TRUE(SamePixels(ExpectedPicture(marks), shown));
    // The picture's own colours, as a check on the check: the screen is
    // dark cyan, the stand's surroundings show the stripes, the red dot
    // of Never sits in the bottom-right square.
    EXPECT_EQ(0x008080u, shown.At(92 * Scale, 73 * Scale));
    EXPECT_EQ(StripeAt(PlacedX + 2 * Scale), shown.At(2 * Scale, 160 * Scale));
    EXPECT_EQ(StripeAt(PlacedX + 181 * Scale), shown.At(181 * Scale, 160 * Scale));
    EXPECT_EQ(0x800000u, shown.At((145 + 11) * Scale, (108 + 10) * Scale));
}

TEST(MonitorPainting, CommandRepaintsTheMarkAtOnce)
{
    Monitor monitor(ChildVisible | MS_CORNERS, PlacedX, PlacedY, Width, Height);
    RedrawEverything();
    const int before[4] = {0, 0, 0, 0};
    EXPECT_TRUE(SamePixels(ExpectedPicture(before), ReadWindowPixels(monitor.Handle(), Width, Height)));
    // No message loop runs between the command and the reading: the
    // control has redrawn itself before the command returned.
    SendMessageA(monitor.Handle(), WM_COMMAND, 0x1202, 0);
    const int after[4] = {0, 0, 2, 0};
    Pixels shown = ReadWindowPixels(monitor.Handle(), Width, Height);
    EXPECT_TRUE(SamePixels(ExpectedPicture(after), shown));
    EXPECT_EQ(0x800000u, shown.At(145 + 11, 108 + 10));
    TakeNotifications();
}

TEST(MonitorPainting, OtherTypesDrawThePictureAlone)
{
    // Corner fields set, yet no marks: they show only with MS_CORNERS.
    for (DWORD type : {DWORD{MS_NOTHING}, DWORD{3}}) {
        Monitor monitor(ChildVisible | type | MS_CTOPLEFTNEV | MS_CBOTRIGHTNOW, PlacedX, PlacedY,
                        Width, Height);
        RedrawEverything();
        EXPECT_TRUE(SamePixels(ExpectedPicture(nullptr),
                               ReadWindowPixels(monitor.Handle(), Width, Height)))
            << "type " << type;
    }
}

TEST(MonitorPreview, HasOneScreenWindowFilledWithTheDesktopColour)
{
    Monitor monitor(ChildVisible | MS_PREVIEW, PlacedX, PlacedY, Width, Height, 41);
    HWND screen = GetWindow(monitor.Handle(), GW_CHILD);
    ASSERT_NE(nullptr, screen);
    EXPECT_EQ(nullptr, GetWindow(screen, GW_HWNDNEXT)) << "more than one child";
    char text[32] = "";
    GetClassNameA(screen, text, sizeof text);
    EXPECT_STREQ(DUSKLIT_MONITOR_WINDOW_CLASS, text);
    GetWindowTextA(screen, text, sizeof text);
    EXPECT_STREQ("Monitor window", text);
    EXPECT_EQ(41, GetWindowLongA(screen, GWL_ID));
    EXPECT_EQ(static_cast<LONG>(WS_CHILD | WS_VISIBLE), GetWindowLongA(screen, GWL_STYLE));
    RECT placed;
    GetWindowRect(screen, &placed);
    MapWindowPoints(nullptr, monitor.Handle(), reinterpret_cast<POINT *>(&placed), 2);
    EXPECT_EQ(16 * Scale, placed.left);
    EXPECT_EQ(17 * Scale, placed.top);
    EXPECT_EQ(153 * Scale, placed.right - placed.left);
    EXPECT_EQ(113 * Scale, placed.bottom - placed.top);

    RedrawEverything();
    // The screen window is filled with the desktop colour, edge to edge,
    // and the picture shows around it.
    const std::uint32_t desktop = Rgb(GetSysColor(COLOR_BACKGROUND));
    Pixels inside = ReadWindowPixels(screen, 153 * Scale, 113 * Scale);
    ASSERT_EQ(153 * 113 * Scale * Scale, static_cast<int>(inside.rgb.size()));
    int other = 0;
    for (std::uint32_t p : inside.rgb)
        other += p != desktop;
    EXPECT_EQ(0, other) << "pixels not of the desktop colour " << std::hex << desktop;
    Pixels whole = ReadWindowPixels(monitor.Handle(), Width, Height);
    Pixels expected = ExpectedPicture(nullptr);
    for (int y = 17 * Scale; y < 130 * Scale; ++y)
        for (int x = 16 * Scale; x < 169 * Scale; ++x)
            expected.rgb[static_cast<size_t>(y * Width + x)] = desktop;
    EXPECT_TRUE(SamePixels(expected, whole));
}

TEST(MonitorPreview, OnlyThePreviewTypeHasAScreenWindow)
{
    for (DWORD type : {DWORD{MS_NOTHING}, DWORD{MS_CORNERS}, DWORD{3}}) {
        Monitor monitor(ChildVisible | type, PlacedX, PlacedY, 40, 40);
        EXPECT_EQ(nullptr, GetWindow(monitor.Handle(), GW_CHILD)) << type;
    }
}

// A preview inside the screen window: the window only answers its timer's
// ticks, asking for none after the first, and notes whether its timer was
// already stopped when it is destroyed itself.
bool PreviewTicked = false;
bool TimerStoppedFirst = false;

LRESULT CALLBACK PreviewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case SCRM_INTERNAL:
        if (wParam == 0) {
            PreviewTicked = true;
            return -1;
        }
        return 0;
    case WM_DESTROY:
        TimerStoppedFirst = GetPropA(window, TimerPropName) && !GetTimerProp(window);
        RemoveTimerProp(window);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

TEST(MonitorPreview, ScreenWindowStopsThePreviewsTimerBeforeThePreviewGoes)
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = PreviewProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "MonitorTestPreview";
    ASSERT_NE(0, RegisterClassA(&wc));

    Monitor monitor(ChildVisible | MS_PREVIEW, PlacedX, PlacedY, Width, Height);
    HWND screen = GetWindow(monitor.Handle(), GW_CHILD);
    ASSERT_NE(nullptr, screen);
    HWND preview = CreateWindowExA(0, "MonitorTestPreview", "", WS_CHILD | WS_VISIBLE, 0, 0, 153,
                                   113, screen, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(nullptr, preview);
    CreateTimerProp(preview);
    PreviewTicked = false;
    TimerStoppedFirst = false;
    ScrStartTimer(preview);
    ThreadData *timer = GetTimerProp(preview);
    ASSERT_NE(nullptr, timer);
    HANDLE thread = timer->thread;
    // The first tick comes as soon as this thread takes sent messages.
    MSG message;
    while (!PreviewTicked && GetMessageA(&message, nullptr, 0, 0) > 0)
        DispatchMessageA(&message);
    ASSERT_TRUE(PreviewTicked);

    DestroyWindow(monitor.Handle());
    EXPECT_TRUE(TimerStoppedFirst);
    // The thread, told to stop, ends; the limit only keeps a fault from
    // hanging the run.
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, 60000));
    UnregisterClassA("MonitorTestPreview", GetModuleHandleA(nullptr));
}

TEST(MonitorPainting, AThousandPaintsLeaveNoObjectBehind)
{
    Monitor monitor(ChildVisible | MS_CORNERS | MS_CTOPLEFTNOW | MS_CBOTRIGHTNEV, PlacedX,
                    PlacedY, Width, Height);
    RedrawEverything();
    const int marks[4] = {1, 0, 2, 0};
    const Pixels expected = ExpectedPicture(marks);
    ASSERT_TRUE(SamePixels(expected, ReadWindowPixels(monitor.Handle(), Width, Height)));

    {
        GdiTracker tracker;
        ASSERT_TRUE(tracker.Active());
        for (int paint = 0; paint < 1000; ++paint) {
            InvalidateRect(monitor.Handle(), nullptr, FALSE);
            UpdateWindow(monitor.Handle());
        }
        // Two DCs and one bitmap per paint, every one freed, each DC with
        // its own bitmap back in it and the bitmap out of every DC.
        EXPECT_EQ(2000, tracker.DCsMade());
        EXPECT_EQ(1000, tracker.BitmapsMade());
        EXPECT_EQ(0, tracker.DCsLeft());
        EXPECT_EQ(0, tracker.BitmapsLeft());
        for (const std::string &fault : tracker.Faults())
            ADD_FAILURE() << fault;
    }
    // The shared bitmaps and menus survived, unchanged in size.
    BITMAP info = {};
    ASSERT_EQ(static_cast<int>(sizeof info), GetObjectA(MonitorPicture, sizeof info, &info));
    EXPECT_EQ(368, info.bmWidth);
    for (HBITMAP mark : CornerMarks)
        EXPECT_EQ(OBJ_BITMAP, static_cast<int>(GetObjectType(mark)));
    for (HMENU menu : CornerMenus)
        EXPECT_EQ(3, GetMenuItemCount(menu));
    // Painting over its own drawing, the control still shows the same.
    EXPECT_TRUE(SamePixels(expected, ReadWindowPixels(monitor.Handle(), Width, Height)));
}

} // namespace
