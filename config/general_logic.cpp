#include "config/general_logic.h"

#include <cstring>
#include <limits>

#include "saver/scanf_integer.h"

namespace {

constexpr std::int64_t SecondsPerMinute = 60;

std::int32_t KeepWithin32Bits(std::int64_t value)
{
    if (value > std::numeric_limits<std::int32_t>::max())
        return std::numeric_limits<std::int32_t>::max();
    if (value < std::numeric_limits<std::int32_t>::min())
        return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(value);
}

// Reads a number like "%i" and keeps it within 32 bits. The reader
// saturates at 64 bits, so neither step can overflow.
bool ReadNumber(const char *text, std::int32_t &number)
{
    std::int64_t value = 0;
    if (!text || !ReadScanfInteger(text, &value))
        return false;
    number = KeepWithin32Bits(value);
    return true;
}

} // namespace

std::int32_t ShownDelay(std::int32_t seconds, std::int32_t unit)
{
    return unit == DelayUnitMinutes ? seconds / static_cast<std::int32_t>(SecondsPerMinute) : seconds;
}

bool ReadTypedDelay(const char *text, std::int32_t unit, std::int32_t &seconds)
{
    std::int32_t typed = 0;
    if (!ReadNumber(text, typed) || typed < 0)
        return false;
    seconds = unit == DelayUnitMinutes ? KeepWithin32Bits(typed * SecondsPerMinute) : typed;
    return true;
}

std::size_t SensitivityNameLength(const char *entry)
{
    if (!entry)
        return 0;
    const char *comma = std::strrchr(entry, ',');
    return comma ? static_cast<std::size_t>(comma - entry) : std::strlen(entry);
}

bool ReadSensitivityThreshold(const char *entry, std::int32_t &threshold)
{
    const char *comma = entry ? std::strrchr(entry, ',') : nullptr;
    return comma && ReadNumber(comma + 1, threshold);
}

