#include "saver/password_setting.h"

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

// A decimal number with optional blanks and sign around it: only whether
// it is zero matters, so no digit count can overflow.
bool TextAsks(const std::uint8_t *bytes, std::size_t size)
{
    std::size_t length = 0;
    while (length < size && bytes[length] != 0)
        ++length;
    if (length == 0)
        return false;
    const char *text = reinterpret_cast<const char *>(bytes);
    std::size_t at = 0;
    while (at < length && IsBlank(text[at]))
        ++at;
    if (at < length && (text[at] == '+' || text[at] == '-'))
        ++at;
    const std::size_t digitsStart = at;
    bool nonzero = false;
    for (; at < length && text[at] >= '0' && text[at] <= '9'; ++at)
        nonzero = nonzero || text[at] != '0';
    const bool hasDigits = at > digitsStart;
    while (at < length && IsBlank(text[at]))
        ++at;
    // Not a number: the text says something, and it is not "no".
    if (!hasDigits || at != length)
        return true;
    return nonzero;
}

bool NumberAsks(const std::uint8_t *bytes, std::size_t size)
{
    for (std::size_t i = 0; i < size; ++i)
        if (bytes[i] != 0)
            return true;
    return false;
}

} // namespace

bool PasswordSettingAsks(std::uint32_t type, const std::uint8_t *bytes, std::size_t size)
{
    if (size > PasswordSettingSize)
        return true;
    if (size > 0 && !bytes)
        return true;
    switch (type) {
    case PasswordSettingText:
    case PasswordSettingExpandText:
        return TextAsks(bytes, size);
    case PasswordSettingNumber:
    case PasswordSettingBinary:
        return NumberAsks(bytes, size);
    default:
        return true;
    }
}
