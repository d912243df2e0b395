#include <gtest/gtest.h>

#include "saver/power_pace.h"
#include "saver/tick_lateness.h"

#include <cmath>

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

// Wake-ups that come 0.6 ms late, and one in ten 9 ms late: the lead
// must settle on the common lateness, so most ticks start on their
// moment, not on the mean, which would bring nine in ten early.
TEST(TickLateness, LeadFollowsTheCommonLatenessNotTheRareDelays)
{
    TickLateness lateness;
    for (int tick = 0; tick < 400; ++tick) {
        const double woke = tick % 10 == 9 ? 9.0 : 0.6;
        lateness.Learn(woke - lateness.Lead());
        if (tick >= 5) // and soon: a saver's first second counts too
            ASSERT_NEAR(lateness.Lead(), 0.6, 0.05) << "tick " << tick;
    }
    lateness.Learn(std::nan(""));
    EXPECT_NEAR(lateness.Lead(), 0.6, 0.05) << "a clock fault teaches nothing";
    // Within 0 to 5 ms, whatever the wake-ups do.
    for (int tick = 0; tick < 200; ++tick)
        lateness.Learn(-50);
    EXPECT_EQ(lateness.Lead(), 0.0);
    for (int tick = 0; tick < 200; ++tick)
        lateness.Learn(1e9);
    EXPECT_EQ(lateness.Lead(), 5.0);
}

} // namespace
