#include <gtest/gtest.h>

#include "saver/power_pace.h"

namespace {

// Only battery and the battery saver together slow the ticks, and only
// those asked faster than 30 a second.
TEST(PowerPace, BatterySaverStretchesOnlyFastTicks)
{
    const struct {
        std::uint32_t asked;
        PowerState power;
        std::uint32_t paced;
    } cases[] = {
        {0, {true, true}, 33},     {16, {true, true}, 33},    {32, {true, true}, 33},
        {33, {true, true}, 33},    {40, {true, true}, 40},    {0xFFFFFFFEu, {true, true}, 0xFFFFFFFEu},
        {0, {true, false}, 0},     {16, {true, false}, 16},   {16, {false, true}, 16},
        {16, {false, false}, 16},
    };
    for (const auto &c : cases)
        EXPECT_EQ(PacedPeriod(c.asked, c.power), c.paced)
            << c.asked << " ms, battery " << c.power.onBattery << ", saver " << c.power.batterySaver;
}

} // namespace
