#include "sky.h"

namespace {

constexpr int CruiseSpeed = 16;
constexpr int WarpSpeed = 90;
constexpr int WarpLength = 15;

// A small linear congruential generator: enough for scattering stars, and
// the same sequence on every compiler.
int NextRandom(std::uint32_t &seed, int range)
{
    seed = seed * 1664525u + 1013904223u;
    return static_cast<int>((seed >> 8) % static_cast<std::uint32_t>(range));
}

void PlaceStar(Sky &sky, Star &star, int z)
{
    star.x = NextRandom(sky.seed, 2 * SkySpread + 1) - SkySpread;
    star.y = NextRandom(sky.seed, 2 * SkySpread + 1) - SkySpread;
    star.z = z;
    star.lastX = star.lastY = -1;
}

} // namespace

void SeedSky(Sky &sky, std::uint32_t seed)
{
    sky.seed = seed;
    sky.speed = CruiseSpeed;
    sky.warpSteps = 0;
    for (Star &star : sky.stars)
        PlaceStar(sky, star, SkyNear + NextRandom(sky.seed, SkyFar - SkyNear));
}

void StepSky(Sky &sky)
{
    const int speed = sky.warpSteps > 0 ? WarpSpeed : sky.speed;
    if (sky.warpSteps > 0)
        --sky.warpSteps;
    for (Star &star : sky.stars) {
        star.z -= speed;
        if (star.z < SkyNear)
            PlaceStar(sky, star, SkyFar);
    }
}

void WarpSky(Sky &sky)
{
    sky.warpSteps = WarpLength;
}

bool ProjectStar(const Star &star, int width, int height, int &screenX, int &screenY, int &brightness)
{
    // Perspective: the edge of the field at depth z lies 256 / z of the
    // picture's larger half-size from the middle, so far stars crowd the
    // middle and a star leaves the picture somewhat nearer than depth 256.
    const int halfW = width / 2, halfH = height / 2;
    const long long scale = halfW > halfH ? halfW : halfH;
    const long long divisor = static_cast<long long>(star.z) * (SkySpread / 256);
    screenX = halfW + static_cast<int>(star.x * scale / divisor);
    screenY = halfH + static_cast<int>(star.y * scale / divisor);
    brightness = 255 - (star.z - SkyNear) * 215 / (SkyFar - SkyNear);
    return screenX >= 0 && screenX < width && screenY >= 0 && screenY < height;
}
