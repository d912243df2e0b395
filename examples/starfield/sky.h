// The starfield's motion, apart from any drawing: stars fly towards the
// viewer out of the middle of the screen and start again far away once
// they have passed. Everything is integer arithmetic, so a sky seeded the
// same way moves the same way on every machine.
#pragma once

#include <cstdint>

constexpr int SkyStars = 180;
constexpr int SkyFar = 1536;   // depth at which a star starts again
constexpr int SkyNear = 64;    // depth at which it has flown past
constexpr int SkySpread = 4096; // half the width of the field at depth 1

struct Star {
    int x, y;  // -SkySpread..SkySpread: where it sits across the field
    int z;     // SkyNear..SkyFar: how far away it is
    int lastX, lastY; // where it was drawn the step before, or -1
};

struct Sky {
    Star stars[SkyStars];
    std::uint32_t seed;
    int speed;     // depth units per step
    int warpSteps; // steps left of a burst of speed
};

// Spreads the stars through the whole depth of the field.
void SeedSky(Sky &sky, std::uint32_t seed);
// Moves every star one step nearer; a star that flew past starts again far
// away at a new place.
void StepSky(Sky &sky);
// A short burst of speed, for the saver to show that it heard something.
void WarpSky(Sky &sky);

// Where a star appears on a picture of width x height, and how bright it
// is (0..255, nearer is brighter). False when it lies outside the picture.
bool ProjectStar(const Star &star, int width, int height, int &screenX, int &screenY, int &brightness);
