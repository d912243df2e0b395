#include "monitor/geometry.h"

#include <cstdint>

#include "saver/scanf_integer.h"

namespace {

// Numbers wrap at 32 bits instead of overflowing, so no input, however long
// its digits, leads to undefined arithmetic.
int Wrap(std::int64_t value)
{
    return static_cast<int>(static_cast<std::uint32_t>(value));
}

// Reads one number at text the way "%i" does and moves text past it.
// Leaves text alone and returns false when no number starts there. The
// number keeps its low 32 bits, however many digits it has.
bool ReadNumber(const char *&text, int &value)
{
    ScannedInteger number;
    if (!ScanInteger(text, number))
        return false;
    const std::uint64_t bits = number.Negative ? 0u - number.Magnitude : number.Magnitude;
    value = Wrap(static_cast<std::int64_t>(bits & UINT32_MAX));
    text = number.End;
    return true;
}

} // namespace

int ReadScreenCorners(const char *text, ScreenCorners &corners)
{
    int numbers[2 * CornerCount] = {};
    int count = 0;
    if (text) {
        while (count < 2 * CornerCount && ReadNumber(text, numbers[count]))
            ++count;
    }
    for (int corner = 0; corner < CornerCount; ++corner) {
        corners.x[corner] = numbers[2 * corner];
        corners.y[corner] = numbers[2 * corner + 1];
    }
    return count;
}

void ComputeCornerSquares(const ScreenCorners &corners, int markWidth, int markHeight,
                          MonitorRect (&squares)[CornerCount])
{
    const std::int64_t w = markWidth;
    const std::int64_t h = markHeight;
    const int *x = corners.x;
    const int *y = corners.y;
    const int tl = CornerTopLeft, tr = CornerTopRight;
    const int br = CornerBottomRight, bl = CornerBottomLeft;
    squares[tl] = {x[tl], y[tl], Wrap(x[tl] + w), Wrap(y[tl] + h)};
    squares[tr] = {Wrap(x[tr] - w), y[tr], x[tr], Wrap(y[tr] + h)};
    squares[br] = {Wrap(x[br] - w), Wrap(y[br] - h), x[br], y[br]};
    squares[bl] = {x[bl], Wrap(y[bl] - h), Wrap(x[bl] + w), y[bl]};
}

MonitorRect ComputeScreenArea(const ScreenCorners &corners)
{
    return {corners.x[CornerTopLeft], corners.y[CornerTopLeft], corners.x[CornerBottomRight],
            corners.y[CornerBottomRight]};
}

int HitCornerSquare(const MonitorRect (&squares)[CornerCount], int x, int y)
{
    int hit = -1;
    for (int corner = 0; corner < CornerCount; ++corner) {
        const MonitorRect &square = squares[corner];
        if (x >= square.left && x < square.right && y >= square.top && y < square.bottom)
            hit = corner;
    }
    return hit;
}

bool HasSize(const MonitorRect &rect, int width, int height)
{
    return static_cast<std::int64_t>(rect.right) - rect.left == width &&
           static_cast<std::int64_t>(rect.bottom) - rect.top == height;
}

MonitorPoint RectCentre(const MonitorRect &rect)
{
    // Summed in 64 bits: a window far off either end of the coordinate
    // range still has a centre between its edges.
    return {static_cast<int>((static_cast<std::int64_t>(rect.left) + rect.right) / 2),
            static_cast<int>((static_cast<std::int64_t>(rect.top) + rect.bottom) / 2)};
}

MonitorPoint PlaceAboutCentre(MonitorPoint centre, int width, int height)
{
    return {Wrap(static_cast<std::int64_t>(centre.x) - width / 2),
            Wrap(static_cast<std::int64_t>(centre.y) - height / 2)};
}

int PictureScaleForDpi(int dpi)
{
    constexpr int BaseDpi = 96;
    constexpr int LargestScale = 5;
    if (dpi < 2 * BaseDpi)
        return 1;
    return dpi / BaseDpi < LargestScale ? dpi / BaseDpi : LargestScale;
}

MonitorRect ScaleRect(const MonitorRect &rect, int scale)
{
    // The corners come from a text any resource editor can change: the
    // products keep their low 32 bits, as numbers too long for it do.
    const std::int64_t by = scale;
    return {Wrap(rect.left * by), Wrap(rect.top * by), Wrap(rect.right * by), Wrap(rect.bottom * by)};
}
