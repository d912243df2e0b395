// What start-up builds from the framework's resources: corner menus,
// sizes, geometry, the two window classes, and the generated art itself.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "dusklit.h"
#include "library/library.h"
#include "monitor/monitor_control.h"
#include "monitor/monitor_resources.h"
#include "resource_ids.h"

namespace {

class StartedLibrary : public ::testing::Test {
protected:
    void SetUp() override
    {
        ScrEnsureStarted();
        ASSERT_TRUE(LibraryStarted);
    }
};

void ExpectRect(const RECT &r, LONG left, LONG top, LONG right, LONG bottom, const char *what)
{
    EXPECT_EQ(left, r.left) << what;
    EXPECT_EQ(top, r.top) << what;
    EXPECT_EQ(right, r.right) << what;
    EXPECT_EQ(bottom, r.bottom) << what;
}

TEST_F(StartedLibrary, EachCornerHasAMenuOfItsThreeActions)
{
    const char *texts[] = {"Default", "Now", "Never"};
    for (int corner = 0; corner < 4; ++corner) {
        HMENU menu = CornerMenus[corner];
        ASSERT_TRUE(IsMenu(menu)) << corner;
        for (int other = 0; other < corner; ++other)
            EXPECT_NE(CornerMenus[other], menu) << "corners share a menu";
        ASSERT_EQ(3, GetMenuItemCount(menu)) << corner;
        for (int position = 0; position < 3; ++position) {
            EXPECT_EQ(static_cast<UINT>(0x1000 + 0x100 * corner + position),
                      GetMenuItemID(menu, position));
            char text[100] = "";
            GetMenuStringA(menu, position, text, sizeof text, MF_BYPOSITION);
            EXPECT_STREQ(texts[position], text);
        }
    }
}

TEST_F(StartedLibrary, GeometryFollowsThePictureMarksAndScreenCorners)
{
    EXPECT_EQ(184, PictureSize.cx);
    EXPECT_EQ(170, PictureSize.cy);
    EXPECT_EQ(24, MarkSize.cx);
    EXPECT_EQ(22, MarkSize.cy);
    ExpectRect(CornerSquares[0], 16, 17, 40, 39, "top-left");
    ExpectRect(CornerSquares[1], 145, 17, 169, 39, "top-right");
    ExpectRect(CornerSquares[2], 145, 108, 169, 130, "bottom-right");
    ExpectRect(CornerSquares[3], 16, 108, 40, 130, "bottom-left");
    ExpectRect(ScreenArea, 16, 17, 169, 130, "screen");
}

TEST_F(StartedLibrary, BothClassesAreGlobalWithTheNullBrush)
{
    struct Expected {
        const char *name;
        UINT style;
        WNDPROC procedure;
    } classes[] = {{DUSKLIT_MONITOR_CLASS, 0x4000, MonitorControlProc},
                   {DUSKLIT_MONITOR_WINDOW_CLASS, 0x4003, MonitorWindowProc}};
    // A module that did not register the classes: only a global class is
    // found through it, as dialog templates of other modules need.
    HINSTANCE stranger = GetModuleHandleA("kernel32.dll");
    for (const Expected &expected : classes) {
        WNDCLASSEXA wc = {};
        wc.cbSize = sizeof wc;
        ASSERT_NE(0, GetClassInfoExA(ScrLibraryInstance, expected.name, &wc)) << expected.name;
        EXPECT_EQ(expected.style, wc.style) << expected.name;
        EXPECT_EQ(expected.procedure, wc.lpfnWndProc) << expected.name;
        EXPECT_EQ(0, wc.cbClsExtra);
        EXPECT_EQ(0, wc.cbWndExtra);
        EXPECT_EQ(GetStockObject(NULL_BRUSH), wc.hbrBackground) << expected.name;
        EXPECT_EQ(nullptr, wc.hIcon);
        EXPECT_EQ(nullptr, wc.hIconSm);
        EXPECT_EQ(nullptr, wc.hCursor);
        EXPECT_EQ(nullptr, wc.lpszMenuName);

        HWND window = CreateWindowExA(0, expected.name, "", WS_POPUP, 0, 0, 10, 10, nullptr,
                                      nullptr, stranger, nullptr);
        ASSERT_NE(nullptr, window) << expected.name;
        EXPECT_EQ(reinterpret_cast<ULONG_PTR>(ScrLibraryInstance),
                  GetClassLongPtrA(window, GCLP_HMODULE)) << expected.name;
        DestroyWindow(window);
    }
}

// The pixels of a bitmap as 0xRRGGBB, top row first.
struct Pixels {
    int width = 0, height = 0;
    std::vector<std::uint32_t> rgb;
    std::uint32_t at(int x, int y) const { return rgb[static_cast<size_t>(y * width + x)]; }
};

constexpr std::uint32_t Black = 0x000000, White = 0xFFFFFF, LightGrey = 0xC0C0C0,
                        DarkGrey = 0x808080, DarkCyan = 0x008080, DarkRed = 0x800000;

Pixels ReadPixels(HBITMAP bitmap)
{
    Pixels pixels;
    BITMAP info = {};
    if (!bitmap || !GetObjectA(bitmap, sizeof info, &info))
        return pixels;
    pixels.width = info.bmWidth;
    pixels.height = info.bmHeight;
    pixels.rgb.resize(static_cast<size_t>(info.bmWidth * info.bmHeight));
    BITMAPINFO format = {};
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = info.bmWidth;
    format.bmiHeader.biHeight = -info.bmHeight; // top row first
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    format.bmiHeader.biCompression = BI_RGB;
    HDC screen = GetDC(nullptr);
    GetDIBits(screen, bitmap, 0, info.bmHeight, pixels.rgb.data(), &format, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    for (std::uint32_t &p : pixels.rgb)
        p &= 0xFFFFFF;
    return pixels;
}

Pixels LoadPixels(UINT id)
{
    HBITMAP bitmap = LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id));
    Pixels pixels = ReadPixels(bitmap);
    DeleteObject(bitmap);
    return pixels;
}

TEST(Art, BitmapsAreSixteenColourImagesOfTheirSizes)
{
    struct {
        UINT id;
        int width, height;
    } bitmaps[] = {{IDB_MONITOR, 368, 170}, {IDB_MARK_DEFAULT, 24, 22}, {IDB_MARK_NOW, 24, 22},
                   {IDB_MARK_NEVER, 24, 22}};
    for (const auto &expected : bitmaps) {
        HANDLE image = LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(expected.id),
                                  IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION);
        DIBSECTION section = {};
        ASSERT_EQ(static_cast<int>(sizeof section), GetObjectA(image, sizeof section, &section))
            << expected.id;
        EXPECT_EQ(expected.width, section.dsBmih.biWidth) << expected.id;
        EXPECT_EQ(expected.height, section.dsBmih.biHeight) << expected.id;
        EXPECT_EQ(4, section.dsBmih.biBitCount) << expected.id;
        EXPECT_EQ(static_cast<DWORD>(BI_RGB), section.dsBmih.biCompression) << expected.id;
        DeleteObject(image);
    }
}

// The framework's icon brings an image for every size the system asks for
// at 96 to 192 DPI (brix.scr's icon is drawn the same way): the system's
// choice for each size is an image of exactly that size, not the nearest
// one, which it would stretch.
TEST(Art, TheIconComesInEverySizeFromSixteenToSixtyFour)
{
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC group = FindResourceA(module, MAKEINTRESOURCEA(IDI_DUSKLIT), MAKEINTRESOURCEA(14)); // RT_GROUP_ICON
    ASSERT_NE(nullptr, group);
    auto *directory = static_cast<BYTE *>(LockResource(LoadResource(module, group)));
    for (int size : {16, 32, 48, 64}) {
        int image = LookupIconIdFromDirectoryEx(directory, TRUE, size, size, 0);
        HRSRC entry = FindResourceA(module, MAKEINTRESOURCEA(image), MAKEINTRESOURCEA(3)); // RT_ICON
        ASSERT_NE(nullptr, entry) << size;
        auto *header = static_cast<const BITMAPINFOHEADER *>(LockResource(LoadResource(module, entry)));
        EXPECT_EQ(size, header->biWidth);
        EXPECT_EQ(2 * size, header->biHeight) << size; // the colour image and its mask
    }
}

TEST(Art, MonitorMaskShowsTheBackgroundOnlyWhereThePictureIsBlack)
{
    Pixels both = LoadPixels(IDB_MONITOR);
    ASSERT_EQ(368, both.width);
    const int half = 184;
    auto picture = [&](int x, int y) { return both.at(x, y); };
    auto mask = [&](int x, int y) { return both.at(half + x, y); };

    for (int y = 0; y < both.height; ++y) {
        for (int x = 0; x < half; ++x) {
            ASSERT_TRUE(mask(x, y) == Black || mask(x, y) == White) << x << "," << y;
            if (mask(x, y) == White) {
                ASSERT_EQ(Black, picture(x, y)) << x << "," << y;
            }
        }
    }
    // Beside the stand and below the foot the background shows.
    for (POINT p : {POINT{2, 160}, POINT{20, 150}, POINT{165, 150}, POINT{181, 160},
                    POINT{92, 169}})
        EXPECT_EQ(White, mask(p.x, p.y)) << p.x << "," << p.y;
    // The cabinet, the screen, the neck and the foot cover it.
    for (POINT p : {POINT{92, 6}, POINT{8, 70}, POINT{92, 73}, POINT{92, 148}, POINT{92, 158}})
        EXPECT_EQ(Black, mask(p.x, p.y)) << p.x << "," << p.y;
    EXPECT_EQ(LightGrey, picture(8, 70));
    EXPECT_EQ(LightGrey, picture(92, 158));
}

TEST(Art, MonitorScreenIsDarkCyanExactlyOverTheScreenArea)
{
    Pixels both = LoadPixels(IDB_MONITOR);
    ASSERT_EQ(368, both.width);
    const RECT screen = {16, 17, 169, 130};
    for (int y = screen.top - 1; y <= screen.bottom; ++y) {
        for (int x = screen.left - 1; x <= screen.right; ++x) {
            bool inside =
                x >= screen.left && x < screen.right && y >= screen.top && y < screen.bottom;
            if (inside) {
                ASSERT_EQ(DarkCyan, both.at(x, y)) << x << "," << y;
                ASSERT_EQ(Black, both.at(184 + x, y)) << x << "," << y;
            } else {
                ASSERT_NE(DarkCyan, both.at(x, y)) << x << "," << y;
            }
        }
    }
}

TEST(Art, CornerMarksAreRaisedSquaresWithTheirSigns)
{
    Pixels marks[3] = {LoadPixels(IDB_MARK_DEFAULT), LoadPixels(IDB_MARK_NOW),
                       LoadPixels(IDB_MARK_NEVER)};
    for (const Pixels &mark : marks) {
        ASSERT_EQ(24, mark.width);
        ASSERT_EQ(22, mark.height);
        EXPECT_EQ(White, mark.at(10, 0));     // top edge
        EXPECT_EQ(White, mark.at(0, 10));     // left edge
        EXPECT_EQ(DarkGrey, mark.at(10, 20)); // inner bottom
        EXPECT_EQ(DarkGrey, mark.at(22, 10)); // inner right
        EXPECT_EQ(Black, mark.at(10, 21));    // outer bottom
        EXPECT_EQ(Black, mark.at(23, 10));    // outer right
        EXPECT_EQ(LightGrey, mark.at(3, 3));  // face
    }
    // Count the face's colours: empty, a black tick, a dark-red dot.
    auto count = [](const Pixels &mark, std::uint32_t colour) {
        int n = 0;
        for (int y = 1; y < 20; ++y)
            for (int x = 1; x < 22; ++x)
                n += mark.at(x, y) == colour;
        return n;
    };
    EXPECT_EQ(21 * 19, count(marks[0], LightGrey));
    EXPECT_GT(count(marks[1], Black), 10);
    EXPECT_EQ(0, count(marks[1], DarkRed));
    EXPECT_EQ(DarkRed, marks[2].at(11, 10));
    EXPECT_GT(count(marks[2], DarkRed), 50);
    EXPECT_EQ(0, count(marks[2], Black));
}

} // namespace
