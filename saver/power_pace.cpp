#include "saver/power_pace.h"

std::uint32_t PacedPeriod(std::uint32_t asked, PowerState power)
{
    const bool saving = power.onBattery && power.batterySaver;
    return saving && asked < BatterySaverPeriodMs ? BatterySaverPeriodMs : asked;
}
