// The four corners, and what a hot corner does when the pointer rests in it. One byte wide, as
// the settings store it and as the public SCR_CORNER_* numbers give it to
// savers; the same numbers are the positions of the items in each corner
// menu and the order of the corner marks. No Windows headers, so the pure
// logic around corners can use it natively.
#pragma once
#include <cstdint>

enum CornerAction : std::uint8_t {
    CornerDefault = 0, // the corner does nothing special
    CornerNow = 1,     // a pointer in the corner starts the saver
    CornerNever = 2,   // a pointer in the corner keeps the saver away
};
constexpr int CornerActionCount = 3;

// Corner order, the same for styles, menus, marks' squares and settings.
constexpr int CornerTopLeft = 0;
constexpr int CornerTopRight = 1;
constexpr int CornerBottomRight = 2;
constexpr int CornerBottomLeft = 3;
constexpr int CornerCount = 4;
