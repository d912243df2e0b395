#include "saver/command_line.h"

namespace {

// Only the space character separates words here; tabs are part of them.
bool IsBlank(char c)
{
    return c == ' ';
}

// The white space scanf skips before a number.
bool IsScanfSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

int DigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return 99;
}

char Upper(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// Skips the program name: a quoted one up to its closing quote, otherwise
// everything up to the first blank. Null when the quote never closes.
const char *SkipProgramName(const char *p)
{
    if (*p == '"') {
        ++p;
        while (*p && *p != '"')
            ++p;
        return *p ? p + 1 : nullptr;
    }
    while (*p && !IsBlank(*p))
        ++p;
    return p;
}

const char *SkipBlanksAndColons(const char *p)
{
    while (IsBlank(*p) || *p == ':')
        ++p;
    return p;
}

void ReadWindowNumber(const char *p, CommandLineChoice &choice)
{
    choice.HasNumber = *p && ReadScanfInteger(p, &choice.Number);
}

} // namespace

bool ReadScanfInteger(const char *text, std::int64_t *value)
{
    const char *p = text;
    while (IsScanfSpace(*p))
        ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') {
        negative = *p == '-';
        ++p;
    }
    int base = 10;
    bool sawDigit = false;
    if (*p == '0') {
        // A lone 0, or 0x not followed by a hex digit, still reads as zero.
        sawDigit = true;
        ++p;
        if ((*p == 'x' || *p == 'X') && DigitValue(p[1]) < 16) {
            base = 16;
            ++p;
        } else {
            base = 8;
        }
    }
    const std::uint64_t limit = static_cast<std::uint64_t>(INT64_MAX);
    std::uint64_t magnitude = 0;
    for (; DigitValue(*p) < base; ++p) {
        sawDigit = true;
        const auto digit = static_cast<std::uint64_t>(DigitValue(*p));
        if (magnitude > (limit - digit) / static_cast<std::uint64_t>(base))
            magnitude = limit;
        else
            magnitude = magnitude * static_cast<std::uint64_t>(base) + digit;
    }
    if (!sawDigit)
        return false;
    const auto signedMagnitude = static_cast<std::int64_t>(magnitude);
    *value = negative ? -signedMagnitude : signedMagnitude;
    return true;
}

CommandLineChoice ReadCommandLine(const char *line)
{
    CommandLineChoice choice;
    if (!line)
        return choice;
    const char *p = SkipProgramName(line);
    if (!p)
        return choice;
    while (IsBlank(*p))
        ++p;
    if (!*p) {
        choice.Mode = RunMode::Configuration;
        return choice;
    }
    if (*p == '-')
        ++p;
    if (*p == '/')
        ++p;
    switch (Upper(*p)) {
    case 'S':
        choice.Mode = RunMode::Saver;
        break;
    case 'C':
        choice.Mode = RunMode::Configuration;
        choice.ForegroundParent = true;
        break;
    case 'P':
    case 'L': {
        choice.Mode = RunMode::Preview;
        choice.SwitchText = p;
        const char *rest = SkipBlanksAndColons(p + 1);
        choice.NothingAfterSwitch = !*rest;
        ReadWindowNumber(rest, choice);
        break;
    }
    case 'A':
        choice.Mode = RunMode::ChangePassword;
        choice.SwitchText = p;
        ReadWindowNumber(SkipBlanksAndColons(p + 1), choice);
        break;
    default:
        break;
    }
    return choice;
}
