// The General page's arithmetic and text handling, apart from the controls:
// the password delay in its display unit, reading what the user typed, and
// the mouse-sensitivity entries of the string table. No Windows headers,
// so it can be tested and fuzzed natively; config/general_page.cpp does
// the rest (the hot corners' style bits are monitor/corner_style.h's).
#pragma once
#include <cstddef>
#include <cstdint>

// Display units of the password delay, the positions in the unit list.
constexpr std::int32_t DelayUnitSeconds = 0;
constexpr std::int32_t DelayUnitMinutes = 1;

// The number the Wait box shows for a delay stored in seconds: whole
// minutes (the rest dropped, toward zero) when the unit is minutes, the
// seconds themselves for any other unit.
std::int32_t ShownDelay(std::int32_t seconds, std::int32_t unit);

// The delay in seconds that the typed text asks for. The text is read the
// way "%i" reads it: blanks skipped, an optional sign, 0x for hexadecimal,
// a leading 0 for octal, up to the first character that does not fit; so
// "0x1E" is 30 and "010" is 8. In minutes the number is multiplied by 60.
// The number is not limited to the arrows' range, but a text or product
// beyond 32 bits stops at the nearest 32-bit value rather than wrapping to
// some unrelated delay. False (seconds untouched) when no number starts
// the text, the number is negative (a delay past any saver's end, once
// stored), or the text is null.
bool ReadTypedDelay(const char *text, std::int32_t unit, std::int32_t &seconds);

// A sensitivity entry of the string table is a list text and a threshold
// separated by the last comma, as in "Low, 400". The length of the list
// text: up to the last comma, or the whole text when it has none.
std::size_t SensitivityNameLength(const char *entry);
// The threshold after the last comma, read like "%i" (so the blank in
// "Low, 400" is skipped) and kept within 32 bits. False (threshold
// untouched) when the entry has no comma or no number follows it.
bool ReadSensitivityThreshold(const char *entry, std::int32_t &threshold);

