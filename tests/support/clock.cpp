#include "tests/support/clock.h"

#include <windows.h>

#include <algorithm>
#include <cmath>

double NowSeconds()
{
    static const LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double NowMs()
{
    return 1000.0 * NowSeconds();
}

void TickLog::EndPhase()
{
    for (std::size_t i = 1; i < phase.size(); ++i)
        intervals.push_back(1000 * (phase[i] - phase[i - 1]));
    phase.clear();
}

double Percentile(std::vector<double> values, double fraction)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const auto rank = static_cast<std::size_t>(std::ceil(fraction * static_cast<double>(values.size())));
    return values[std::min(values.size(), std::max<std::size_t>(rank, 1)) - 1];
}
