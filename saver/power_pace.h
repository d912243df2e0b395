// How often a saver may tick for the machine's power: on battery with the
// system's battery saver on, at most 30 times a second, whatever the saver
// asks. Pure arithmetic, with no Windows headers, so it is tested natively;
// saver/timer.cpp reads the power state around it.
#pragma once
#include <cstdint>

struct PowerState {
    bool onBattery;    // no mains power
    bool batterySaver; // the system's battery saver is on
};

constexpr std::uint32_t BatterySaverPeriodMs = 33;

// The period to wait for a tick that asked for asked milliseconds (0: at
// once): shorter periods are stretched to BatterySaverPeriodMs on battery
// with the battery saver on; anything else stays as asked.
std::uint32_t PacedPeriod(std::uint32_t asked, PowerState power);
