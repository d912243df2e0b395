// How much sooner than its moment each of the timer thread's waits is set.
// Every wake-up of the system, and the thread's own work before it sends
// the tick, comes a little after the moment asked for; without a lead
// every period would be that much long. Pure arithmetic, tested natively.
#pragma once

class TickLateness {
public:
    double Lead() const { return lead_; }
    // A tick meant for its moment started late milliseconds after it
    // (negative: before it), with the wait set Lead() before the moment.
    void Learn(double late);

private:
    static constexpr int Remembered = 9;
    // How late the last ticks would have been with no lead, oldest first
    // overwritten.
    double wokeLate_[Remembered] = {};
    int count_ = 0;
    int next_ = 0;
    double lead_ = 0;
};
