// For the native tests and fuzz targets only (host compiler, no Windows):
// what the host's C library makes of a number written for "%i", the
// reference our own readers are held to, and a check that ends the run.
#pragma once
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>

// A failed property ends the fuzzing run with a crash report and the input.
inline void Check(bool holds)
{
    if (!holds)
        std::abort();
}

struct CLibraryInteger {
    bool read = false;
    long long value = 0; // saturated at the 64-bit limits, as the C library does
    int consumed = 0;    // characters taken, as "%n" counts them
};

inline CLibraryInteger ScanWithCLibrary(const char *text)
{
    CLibraryInteger result;
    result.read = std::sscanf(text, "%lli%n", &result.value, &result.consumed) == 1;
    return result;
}

// A 64-bit number kept within 32 bits, as the settings keep typed numbers.
inline std::int32_t SaturateTo32Bits(long long value)
{
    if (value > std::numeric_limits<std::int32_t>::max())
        return std::numeric_limits<std::int32_t>::max();
    if (value < std::numeric_limits<std::int32_t>::min())
        return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(value);
}
