#include "saver/scanf_integer.h"

namespace {

bool IsScanfSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// The value of c as a digit in bases up to 16, or 16 when it is none.
unsigned DigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return static_cast<unsigned>(c - '0');
    if (c >= 'a' && c <= 'f')
        return static_cast<unsigned>(c - 'a' + 10);
    if (c >= 'A' && c <= 'F')
        return static_cast<unsigned>(c - 'A' + 10);
    return 16;
}

} // namespace

bool ScanInteger(const char *text, ScannedInteger &number)
{
    if (!text)
        return false;
    const char *at = text;
    while (IsScanfSpace(*at))
        ++at;
    ScannedInteger read;
    if (*at == '+' || *at == '-') {
        read.Negative = *at == '-';
        ++at;
    }
    unsigned base = 10;
    bool sawDigit = false;
    if (*at == '0') {
        sawDigit = true;
        ++at;
        if (*at == 'x' || *at == 'X') {
            base = 16;
            ++at;
        } else {
            base = 8;
        }
    }
    for (; DigitValue(*at) < base; ++at) {
        sawDigit = true;
        const std::uint64_t digit = DigitValue(*at);
        if (read.Magnitude > (UINT64_MAX - digit) / base)
            read.Overflowed = true;
        // Unsigned arithmetic wraps, which is what keeps the low bits.
        read.Magnitude = read.Magnitude * base + digit;
    }
    if (!sawDigit)
        return false;
    read.End = at;
    number = read;
    return true;
}

bool ReadScanfInteger(const char *text, std::int64_t *value)
{
    ScannedInteger number;
    if (!ScanInteger(text, number))
        return false;
    const auto limit = static_cast<std::uint64_t>(INT64_MAX);
    const std::uint64_t magnitude = number.Overflowed || number.Magnitude > limit ? limit : number.Magnitude;
    const auto signedMagnitude = static_cast<std::int64_t>(magnitude);
    *value = number.Negative ? -signedMagnitude : signedMagnitude;
    return true;
}
