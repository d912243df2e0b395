// The monitor picture's geometry: reading the screen corners from their
// text and placing the corner marks inside them.
#include "monitor/geometry.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

const char ListedCorners[] = "16 17  169 17  169 130  16 130";
constexpr int MarkWidth = 24;
constexpr int MarkHeight = 22;

void ExpectRect(const MonitorRect &actual, int left, int top, int right, int bottom,
                const char *what)
{
    EXPECT_EQ(left, actual.left) << what;
    EXPECT_EQ(top, actual.top) << what;
    EXPECT_EQ(right, actual.right) << what;
    EXPECT_EQ(bottom, actual.bottom) << what;
}

// What the C library makes of the same text with the same format, the
// variables zeroed first as the reader promises for numbers it cannot read.
struct ScanfResult {
    int count;
    int numbers[8];
};

ScanfResult ScanLikeCLibrary(const char *text)
{
    ScanfResult result = {0, {}};
    int *n = result.numbers;
    result.count = std::sscanf(text, "%i %i  %i %i  %i %i  %i %i", &n[0], &n[1], &n[2], &n[3],
                               &n[4], &n[5], &n[6], &n[7]);
    if (result.count < 0) // EOF: nothing but blanks
        result.count = 0;
    return result;
}

void ExpectReadsLikeCLibrary(const std::string &text)
{
    ScreenCorners corners;
    int count = ReadScreenCorners(text.c_str(), corners);
    ScanfResult expected = ScanLikeCLibrary(text.c_str());
    ASSERT_EQ(expected.count, count) << '"' << text << '"';
    for (int corner = 0; corner < CornerCount; ++corner) {
        EXPECT_EQ(expected.numbers[2 * corner], corners.x[corner]) << '"' << text << '"';
        EXPECT_EQ(expected.numbers[2 * corner + 1], corners.y[corner]) << '"' << text << '"';
    }
}

} // namespace

TEST(MonitorGeometry, ListedCornersGiveListedSquaresAndScreen)
{
    ScreenCorners corners;
    ASSERT_EQ(8, ReadScreenCorners(ListedCorners, corners));

    MonitorRect squares[CornerCount];
    ComputeCornerSquares(corners, MarkWidth, MarkHeight, squares);
    ExpectRect(squares[CornerTopLeft], 16, 17, 40, 39, "top-left");
    ExpectRect(squares[CornerTopRight], 145, 17, 169, 39, "top-right");
    ExpectRect(squares[CornerBottomRight], 145, 108, 169, 130, "bottom-right");
    ExpectRect(squares[CornerBottomLeft], 16, 108, 40, 130, "bottom-left");
    ExpectRect(ComputeScreenArea(corners), 16, 17, 169, 130, "screen");
}

TEST(MonitorGeometry, EachSquareTouchesTheEdgesOfItsOwnCorner)
{
    // A lopsided screen, so that a square built from the wrong corner's
    // numbers or with width and height swapped shows up.
    ScreenCorners corners;
    ASSERT_EQ(8, ReadScreenCorners("1 2 103 4 105 56 7 58", corners));
    MonitorRect squares[CornerCount];
    ComputeCornerSquares(corners, 10, 5, squares);
    ExpectRect(squares[CornerTopLeft], 1, 2, 11, 7, "top-left");
    ExpectRect(squares[CornerTopRight], 93, 4, 103, 9, "top-right");
    ExpectRect(squares[CornerBottomRight], 95, 51, 105, 56, "bottom-right");
    ExpectRect(squares[CornerBottomLeft], 7, 53, 17, 58, "bottom-left");
    // Only the top-left and bottom-right corners span the screen.
    ExpectRect(ComputeScreenArea(corners), 1, 2, 105, 56, "screen");
}

TEST(MonitorGeometry, ReadsNumbersAsTheCLibraryDoes)
{
    const char *texts[] = {
        ListedCorners,
        "16 17 169 17 169 130 16 130",             // single blanks
        "   16\t17\n\n169  17 \r169 130\v16\f130  ", // any white space, anywhere
        "0x10 0X11 0xa9 0x11 0XA9 0x82 0x10 0x82",  // hexadecimal
        "020 021 0251 021 0251 0202 020 0202",      // octal
        "+16 -17 +0 -0 -0x10 +020 -0 0",            // signs
        "08 09",                                    // octal stops at 8: "0" then "8"
        "16 17 169 17 169 130 16 130 99 98",        // more than eight: the rest ignored
        "16,17,169",                                // stops at the first comma
        "16 17 x 3",                                // stops at the first non-number
        "- 5",                                      // a sign must touch its digits
        "+-3",
        "0x",                                       // prefix alone reads as 0
        "0xg 5",
        "0x 7",
        "00x5",
        "0xFFFFFFFF 0x80000000 2147483647 -2147483648",
        "",
        "   \t ",
    };
    for (const char *text : texts)
        ExpectReadsLikeCLibrary(text);
}

TEST(MonitorGeometry, AgreesWithTheCLibraryOnGeneratedTexts)
{
    // Texts made from the characters that matter to "%i", at most nine
    // characters between separators so that every number fits 32 bits in
    // both readers. A fixed generator keeps the run repeatable.
    const char alphabet[] = "0123456789abcdefxX+- \t,";
    std::uint32_t state = 12345;
    auto next = [&state](std::uint32_t limit) {
        state = state * 1103515245u + 12345u;
        return (state >> 16) % limit;
    };
    for (int round = 0; round < 5000; ++round) {
        std::string text;
        int run = 0;
        std::uint32_t length = next(40);
        for (std::uint32_t i = 0; i < length; ++i) {
            char c = alphabet[next(sizeof alphabet - 1)];
            bool separator = c == ' ' || c == '\t' || c == ',';
            if (!separator && ++run > 9) {
                c = ' ';
                separator = true;
            }
            if (separator)
                run = 0;
            text += c;
        }
        ExpectReadsLikeCLibrary(text);
        if (HasFatalFailure() || HasNonfatalFailure())
            return; // one failing text says enough
    }
}

TEST(MonitorGeometry, NumbersNotReadAreZero)
{
    ScreenCorners corners;
    // Fill with something else first: the reader must not leave old values.
    for (int corner = 0; corner < CornerCount; ++corner)
        corners.x[corner] = corners.y[corner] = 777;

    ASSERT_EQ(3, ReadScreenCorners("16 17 169", corners));
    EXPECT_EQ(16, corners.x[CornerTopLeft]);
    EXPECT_EQ(17, corners.y[CornerTopLeft]);
    EXPECT_EQ(169, corners.x[CornerTopRight]);
    EXPECT_EQ(0, corners.y[CornerTopRight]);
    EXPECT_EQ(0, corners.x[CornerBottomRight]);
    EXPECT_EQ(0, corners.y[CornerBottomLeft]);

    // With the bottom-right corner at the origin the screen is empty and
    // the squares there lie outside the picture.
    MonitorRect squares[CornerCount];
    ComputeCornerSquares(corners, MarkWidth, MarkHeight, squares);
    ExpectRect(squares[CornerTopLeft], 16, 17, 40, 39, "top-left");
    ExpectRect(squares[CornerBottomRight], -24, -22, 0, 0, "bottom-right");
    ExpectRect(ComputeScreenArea(corners), 16, 17, 0, 0, "screen");

    ASSERT_EQ(0, ReadScreenCorners(nullptr, corners));
    ExpectRect(ComputeScreenArea(corners), 0, 0, 0, 0, "screen of no text");
    EXPECT_EQ(0, corners.x[CornerTopRight]);
    EXPECT_EQ(0, corners.y[CornerBottomLeft]);
}

TEST(MonitorGeometry, OversizedNumbersWrapWithoutOverflow)
{
    ScreenCorners corners;
    // 2^32 + 16 keeps its low 32 bits; a run of digits far beyond any
    // integer type still reads as one number.
    ASSERT_EQ(3, ReadScreenCorners("4294967312 -4294967313 "
                                   "99999999999999999999999999999999999999999",
                                   corners));
    EXPECT_EQ(16, corners.x[CornerTopLeft]);
    EXPECT_EQ(-17, corners.y[CornerTopLeft]);

    // Squares at the ends of the range wrap instead of overflowing.
    ASSERT_EQ(8, ReadScreenCorners("2147483647 2147483647  -2147483648 2147483647  "
                                   "-2147483648 -2147483648  2147483647 -2147483648",
                                   corners));
    MonitorRect squares[CornerCount];
    ComputeCornerSquares(corners, MarkWidth, MarkHeight, squares);
    ExpectRect(squares[CornerTopLeft], INT_MAX, INT_MAX, INT_MIN + 23, INT_MIN + 21, "top-left");
    ExpectRect(squares[CornerBottomRight], INT_MAX - 23, INT_MAX - 21, INT_MIN, INT_MIN,
               "bottom-right");
}

TEST(MonitorGeometry, ClickHitsOnlyInsideASquare)
{
    ScreenCorners corners;
    ASSERT_EQ(8, ReadScreenCorners(ListedCorners, corners));
    MonitorRect squares[CornerCount];
    ComputeCornerSquares(corners, MarkWidth, MarkHeight, squares);

    // Each square's first and last pixel hit it; one step beyond its right
    // or bottom edge, or before its left or top edge, misses.
    for (int corner = 0; corner < CornerCount; ++corner) {
        const MonitorRect &s = squares[corner];
        EXPECT_EQ(corner, HitCornerSquare(squares, s.left, s.top)) << corner;
        EXPECT_EQ(corner, HitCornerSquare(squares, s.right - 1, s.bottom - 1)) << corner;
        EXPECT_EQ(-1, HitCornerSquare(squares, s.right, s.top)) << corner;
        EXPECT_EQ(-1, HitCornerSquare(squares, s.left, s.bottom)) << corner;
        EXPECT_EQ(-1, HitCornerSquare(squares, s.left - 1, s.top)) << corner;
        EXPECT_EQ(-1, HitCornerSquare(squares, s.left, s.top - 1)) << corner;
    }
    EXPECT_EQ(-1, HitCornerSquare(squares, 92, 73)); // the middle of the screen
    EXPECT_EQ(-1, HitCornerSquare(squares, 0, 0));
    EXPECT_EQ(-1, HitCornerSquare(squares, -20, -20));

    // Empty squares, as when the corners' text is missing, hold nothing.
    MonitorRect empty[CornerCount] = {};
    EXPECT_EQ(-1, HitCornerSquare(empty, 0, 0));

    // Should squares overlap, the later corner wins.
    MonitorRect overlapping[CornerCount] = {
        {0, 0, 10, 10}, {5, 5, 15, 15}, {100, 100, 110, 110}, {8, 8, 9, 9}};
    EXPECT_EQ(0, HitCornerSquare(overlapping, 2, 2));
    EXPECT_EQ(1, HitCornerSquare(overlapping, 6, 6));
    EXPECT_EQ(3, HitCornerSquare(overlapping, 8, 8));
}

TEST(MonitorGeometry, PictureSizedRectangleKeepsTheCentre)
{
    // The General page's control: 20 x 20 dialog units become some small
    // rectangle, replaced by 184 x 170 about the same centre.
    const MonitorRect placed = {200, 150, 231, 183};
    EXPECT_FALSE(HasSize(placed, 184, 170));
    const MonitorPoint centre = RectCentre(placed);
    EXPECT_EQ(215, centre.x);
    EXPECT_EQ(166, centre.y);
    const MonitorPoint topLeft = PlaceAboutCentre(centre, 184, 170);
    EXPECT_EQ(215 - 92, topLeft.x);
    EXPECT_EQ(166 - 85, topLeft.y);

    // A rectangle already of the picture's size ends where it was.
    const MonitorRect exact = {10, 20, 194, 190};
    EXPECT_TRUE(HasSize(exact, 184, 170));
    const MonitorPoint again = PlaceAboutCentre(RectCentre(exact), 184, 170);
    EXPECT_EQ(10, again.x);
    EXPECT_EQ(20, again.y);

    // Same width, other height (and the reverse) is not the picture's size.
    EXPECT_FALSE(HasSize({0, 0, 184, 171}, 184, 170));
    EXPECT_FALSE(HasSize({0, 0, 183, 170}, 184, 170));

    // Halves round toward zero, also left of and above the origin.
    EXPECT_EQ(-2, RectCentre({-5, -5, 0, 0}).x);
    EXPECT_EQ(2, RectCentre({0, 0, 5, 5}).y);
    EXPECT_EQ(-1 - 2, PlaceAboutCentre({-1, 0}, 5, 4).x);

    // Edges at the ends of the range have a centre between them.
    const MonitorPoint far = RectCentre({INT_MAX - 1, INT_MIN, INT_MAX, INT_MIN + 2});
    EXPECT_EQ(INT_MAX - 1, far.x);
    EXPECT_EQ(INT_MIN + 1, far.y);
}

TEST(MonitorGeometry, PictureGrowsOnlyByWholeMultiples)
{
    const struct {
        int dpi, scale;
    } cases[] = {{INT_MIN, 1}, {0, 1}, {96, 1}, {144, 1}, {191, 1}, {192, 2}, {240, 2}, {287, 2},
                 {288, 3}, {384, 4}, {480, 5}, {576, 5}, {INT_MAX, 5}};
    for (const auto &c : cases)
        EXPECT_EQ(c.scale, PictureScaleForDpi(c.dpi)) << c.dpi << " DPI";
    ExpectRect(ScaleRect({16, 17, 169, 130}, 2), 32, 34, 338, 260, "the screen at 2x");
    ExpectRect(ScaleRect({INT_MAX, -3, 0, 1}, 2), -2, -6, 0, 2, "wrapped, not overflowed");
}
