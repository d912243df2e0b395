#include "saver/command_line.h"

namespace {

// Only the space character separates words here; tabs are part of them.
bool IsBlank(char c)
{
    return c == ' ';
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

bool WindowHandleBits(std::int64_t number, std::intptr_t &bits)
{
    if (number < INT32_MIN || number > UINT32_MAX)
        return false;
    // The low 32 bits as a signed value, then widened: the sign fills the
    // upper half of a 64-bit handle.
    bits = static_cast<std::intptr_t>(static_cast<std::int32_t>(static_cast<std::uint32_t>(number)));
    return true;
}
