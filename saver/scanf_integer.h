// Reading integers the way sscanf's "%i" does. Window numbers on the
// command line, the typed password delay, the sensitivity entries and the
// monitor picture's corner text are all written that way. Pure text
// handling with no Windows headers, so it can be tested and fuzzed natively.
#pragma once
#include <cstdint>

// One number as it was written.
struct ScannedInteger {
    bool Negative = false;
    // The digits' value, modulo 2^64: its low bits are exact however long
    // the digits run, for a reader that wraps.
    std::uint64_t Magnitude = 0;
    // The digits' value does not fit 64 bits, for a reader that saturates.
    bool Overflowed = false;
    // Just past the last character taken.
    const char *End = nullptr;
};

// Reads one number at text: white space first (blank, tab, line breaks,
// vertical tab, form feed), an optional sign touching the digits, then
// "0x" or "0X" and hexadecimal digits, a leading 0 and octal digits, or
// decimal digits; the number ends at the first character that cannot
// continue it. A "0x" with no hexadecimal digit after it is taken whole
// and reads as 0. False, with number untouched, when no number starts
// there (or text is null).
bool ScanInteger(const char *text, ScannedInteger &number);

// The number at text as a 64-bit value. Beyond 64 bits it saturates at
// INT64_MAX, or -INT64_MAX when negative; the caller decides what range
// it accepts. False, with value untouched, when no number starts there.
bool ReadScanfInteger(const char *text, std::int64_t *value);
