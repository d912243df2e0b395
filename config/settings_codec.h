// The registry form of the general settings, as bytes: decoding what a
// value query handed back, the index limits, and the "Mouse Corners"
// characters. No Windows headers, so it can be tested and fuzzed natively;
// config/general_dialog.cpp does the registry calls around it.
#pragma once
#include <cstddef>
#include <cstdint>

#include "monitor/corner_action.h"

// Reading buffers: a number value is read into 4 bytes, "Mouse Corners"
// into 5 (four characters and the terminating zero). A value longer than
// its buffer is not read at all.
constexpr std::size_t NumberValueSize = 4;
constexpr std::size_t CornersValueSize = 5;
constexpr std::size_t CornerCountInValue = CornerCount;

// The number in the first size bytes of a value, low byte first, whatever
// type the value was stored with. A value shorter than 4 bytes counts its
// missing bytes as zero. False (number untouched) when size exceeds 4.
bool DecodeNumberValue(const std::uint8_t *bytes, std::size_t size, std::int32_t &number);

// Compared as unsigned numbers, so a negative index lands on the top.
std::int32_t ClampPasswordDelayIndex(std::int32_t index); // 0 seconds, 1 minutes
std::int32_t ClampMouseThresholdIndex(std::int32_t index); // 0 to 3
// A stored password delay that reads as negative (0x80000000 or more) is
// no delay: the password guards the desktop, so in doubt it is asked.
std::int32_t ClampPasswordDelay(std::int32_t seconds);

// "Y" is now, "N" never, anything else (lower case included) default.
CornerAction CornerFromCharacter(char character);
// The character written for a corner: "-", "Y" or "N". An action outside
// 0 to 2 is written as default.
char CornerCharacter(std::uint8_t action);

// The four corners from the first size bytes of a "Mouse Corners" value;
// characters the value does not supply read as default. False (corners
// untouched) when size exceeds 5.
bool DecodeCornersValue(const std::uint8_t *bytes, std::size_t size, std::uint8_t (&corners)[CornerCountInValue]);
// The 5 bytes written for the corners: one character each and a zero.
void EncodeCornersValue(const std::uint8_t (&corners)[CornerCountInValue], char (&text)[CornersValueSize]);
