// Time on the performance counter, for measuring the periods between
// events (ticks, frames) finer than GetTickCount can.
#pragma once

// Seconds since a fixed moment of this process's life.
double NowSeconds();
// The same moment's time in milliseconds.
double NowMs();

#include <vector>

// Event times of one source; the intervals between events of a phase, ms.
struct TickLog {
    std::vector<double> phase;
    std::vector<double> intervals;

    void Tick() { phase.push_back(NowSeconds()); }
    void EndPhase();
};

// The value below which this fraction of the values lie (0.5: the median),
// one of the values themselves; 0 for none.
double Percentile(std::vector<double> values, double fraction);
