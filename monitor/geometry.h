// Geometry of the monitor picture: where the monitor's screen lies and where
// the four corner marks sit inside it. Pure arithmetic on a text and a few
// integers, with no Windows headers, so it can be tested and fuzzed natively.
#pragma once

#include "monitor/corner_action.h"

// A rectangle laid out like the platform's RECT: right and bottom are just
// outside it.
struct MonitorRect {
    int left;
    int top;
    int right;
    int bottom;
};

// The four corners of the monitor's screen inside the picture, indexed by
// corner.
struct ScreenCorners {
    int x[CornerCount];
    int y[CornerCount];
};

// Reads the corners from a text of eight numbers, "x y" per corner in
// corner order, such as "16 17  169 17  169 130  16 130". Numbers are read
// as sscanf's "%i" reads them: blanks, tabs and line breaks before a number
// are skipped; an optional sign; "0x" or "0X" starts a hexadecimal number
// (just "0x" reads as 0), a leading 0 an octal one, anything else is
// decimal; the number ends at the first character that cannot continue it.
// Reading stops where no number can be read, so a short or malformed text
// yields fewer numbers. The numbers not read are 0: the result is always
// defined, and a corner left at the origin puts its square outside the
// picture, where it can be neither seen nor clicked. A number beyond the
// 32-bit range keeps its low 32 bits. Returns how many numbers were read,
// 0 to 8; a null text reads none.
int ReadScreenCorners(const char *text, ScreenCorners &corners);

// Corner square i is a mark of markWidth x markHeight placed inside
// corner i of the screen, touching both edges that meet there.
void ComputeCornerSquares(const ScreenCorners &corners, int markWidth, int markHeight,
                          MonitorRect (&squares)[CornerCount]);

// The screen spans from the top-left to the bottom-right corner; the other
// two corners take no part in it.
MonitorRect ComputeScreenArea(const ScreenCorners &corners);

struct MonitorPoint {
    int x;
    int y;
};

// The corner whose square holds the point, or -1 for none. A square holds
// the points from its left and top edges up to, not including, its right
// and bottom ones; should squares overlap, the last in corner order wins.
int HitCornerSquare(const MonitorRect (&squares)[CornerCount], int x, int y);

// Whether a rectangle already has the given size.
bool HasSize(const MonitorRect &rect, int width, int height);

// The middle of a rectangle, each half rounded toward zero.
MonitorPoint RectCentre(const MonitorRect &rect);

// The top-left corner of a width x height rectangle about a centre (the
// halves of the size rounded toward zero), so that a rectangle of any size
// can be replaced by one of the picture's size in the same place.
MonitorPoint PlaceAboutCentre(MonitorPoint centre, int width, int height);

// The whole multiple that the picture, its marks, squares and screen are
// drawn at on a display of `dpi` dots per inch. Its 16-colour art has
// one-pixel edges that any fraction would smear (144 DPI is 150 %), so it
// stays at 1 below 192 and takes the largest whole multiple of 96 above:
// 2 at 192, 3 at 288, and at most 5, the platform's largest scale (480 DPI).
int PictureScaleForDpi(int dpi);

// A rectangle of the picture at `scale` times its size and its distance
// from the picture's top-left corner.
MonitorRect ScaleRect(const MonitorRect &rect, int scale);
