// The monitor control keeps its whole state in its window style: the type
// in the lowest two bits and one two-bit CornerAction per corner above
// them. Reading and rewriting those bits, and reading the corner commands
// that change them, is pure arithmetic with no Windows headers, so it can
// be tested natively. The General page uses the same decoding and encoding
// on its control's style.
#pragma once
#include <cstdint>

#include "monitor/corner_action.h"
#include "monitor/geometry.h"

// The style bits the monitor control gives meaning to.
constexpr std::uint32_t MonitorTypeMask = 0x003;
constexpr std::uint32_t MonitorTypeNothing = 0x000;
constexpr std::uint32_t MonitorTypePreview = 0x001;
constexpr std::uint32_t MonitorTypeCorners = 0x002;
constexpr std::uint32_t CornerFieldsMask = 0xFF0;

// Only the preview type has a screen window, and only the corners type
// shows marks; the unnamed type 3 does neither, like the nothing type.
bool HasScreenWindow(std::uint32_t style);
bool ShowsCornerMarks(std::uint32_t style);

// The two bits of a corner's field that mean Now and Never.
std::uint32_t CornerNowBits(int corner);
std::uint32_t CornerNeverBits(int corner);

// A corner's action: exactly the Now bits give Now, exactly the Never bits
// Never, and anything else (including the never-written value 3) Default.
CornerAction DecodeCorner(std::uint32_t style, int corner);
void DecodeCorners(std::uint32_t style, CornerAction (&actions)[CornerCount]);

// The style with its corner fields replaced by the given actions; an
// action other than Now or Never is stored as Default. Bits outside the
// corner fields are kept.
std::uint32_t EncodeCorners(std::uint32_t style, const CornerAction (&actions)[CornerCount]);

// A corner command carries the corner in bits 8 to 11 and the action in
// bits 0 to 7 of its identifier; the corner menus' item identifiers
// (IDM_CORNER_BASE + IDM_CORNER_STRIDE x corner + action) are such commands. Bits above 11 are
// ignored. False, with nothing written, for a corner above 3 or an action
// above 2.
bool ReadCornerCommand(unsigned identifier, int &corner, CornerAction &action);

// The identifier of corner menu item `action` of `corner`.
unsigned CornerMenuItem(int corner, CornerAction action);

// The style after a corner command: the corner set to the action, the
// other corners and all other bits as they were. A corner outside 0 to 3
// leaves the style unchanged.
std::uint32_t SetCornerAction(std::uint32_t style, int corner, CornerAction action);
