#include "config/settings_codec.h"

namespace {

// Indexed by corner action.
constexpr char CornerCharacters[] = {'-', 'Y', 'N'};

std::int32_t ClampUnsigned(std::int32_t index, std::uint32_t highest)
{
    return static_cast<std::uint32_t>(index) > highest ? static_cast<std::int32_t>(highest) : index;
}

} // namespace

bool DecodeNumberValue(const std::uint8_t *bytes, std::size_t size, std::int32_t &number)
{
    if (size > NumberValueSize || (size > 0 && !bytes))
        return false;
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < size; ++i)
        value |= static_cast<std::uint32_t>(bytes[i]) << (8 * i);
    number = static_cast<std::int32_t>(value);
    return true;
}

std::int32_t ClampPasswordDelayIndex(std::int32_t index)
{
    return ClampUnsigned(index, 1);
}

std::int32_t ClampPasswordDelay(std::int32_t seconds)
{
    return seconds < 0 ? 0 : seconds;
}

std::int32_t ClampMouseThresholdIndex(std::int32_t index)
{
    return ClampUnsigned(index, 3);
}

CornerAction CornerFromCharacter(char character)
{
    if (character == 'Y')
        return CornerNow;
    if (character == 'N')
        return CornerNever;
    return CornerDefault;
}

char CornerCharacter(std::uint8_t action)
{
    return action < sizeof CornerCharacters ? CornerCharacters[action] : CornerCharacters[CornerDefault];
}

bool DecodeCornersValue(const std::uint8_t *bytes, std::size_t size, std::uint8_t (&corners)[CornerCountInValue])
{
    if (size > CornersValueSize || (size > 0 && !bytes))
        return false;
    for (std::size_t i = 0; i < CornerCountInValue; ++i)
        corners[i] = i < size ? CornerFromCharacter(static_cast<char>(bytes[i])) : CornerDefault;
    return true;
}

void EncodeCornersValue(const std::uint8_t (&corners)[CornerCountInValue], char (&text)[CornersValueSize])
{
    for (std::size_t i = 0; i < CornerCountInValue; ++i)
        text[i] = CornerCharacter(corners[i]);
    text[CornerCountInValue] = '\0';
}
