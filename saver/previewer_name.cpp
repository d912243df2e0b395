#include "saver/previewer_name.h"

#include <cstring>

namespace {

// As on the rest of the command line, only the space separates words.
bool IsBlank(char c)
{
    return c == ' ';
}

} // namespace

void LowerCaseAscii(char *text, std::size_t length)
{
    for (std::size_t i = 0; i < length; ++i)
        if (text[i] >= 'A' && text[i] <= 'Z')
            text[i] = static_cast<char>(text[i] - 'A' + 'a');
}

std::size_t PreviewerWordAfterSwitch(const char *text, char (&word)[PreviewerTextSize])
{
    word[0] = '\0';
    if (!text)
        return 0;
    // Work on a bounded copy: the command line may be of any length.
    char copy[PreviewerTextSize] = {};
    std::size_t copied = 0;
    while (copied < PreviewerTextSize - 1 && text[copied]) {
        copy[copied] = text[copied];
        ++copied;
    }
    std::size_t start = copied > 0 ? 1 : 0; // the switch letter
    while (start < copied && IsBlank(copy[start]))
        ++start;
    std::size_t length = 0;
    while (start + length < copied && !IsBlank(copy[start + length])) {
        word[length] = copy[start + length];
        ++length;
    }
    word[length] = '\0';
    return length;
}

bool SwitchNamesPreviewer(const char *text, const char *lowerCaseName, LowerCaseFunction lower)
{
    if (!lowerCaseName || !*lowerCaseName)
        return false;
    char word[PreviewerTextSize];
    const std::size_t length = PreviewerWordAfterSwitch(text, word);
    if (lower)
        lower(word, length);
    return std::strcmp(word, lowerCaseName) == 0;
}
