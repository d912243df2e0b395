#include "saver/tick_lateness.h"

#include <algorithm>

// The lead is the median of how late the last nine ticks would have come
// with no lead, not their mean: wake-ups are now and then very late
// (another thread ran, the system was busy) and never much early, so a
// lead that evened out the mean would bring most ticks early. The median
// passes over up to four such delays in nine and settles within a few
// ticks of the start. It stays within 0 to 5 ms.
void TickLateness::Learn(double late)
{
    constexpr double MaxLeadMs = 5.0;
    const double woke = late + lead_;
    // A NaN (a clock fault) is no evidence either way.
    if (woke != woke)
        return;
    wokeLate_[next_] = woke;
    next_ = (next_ + 1) % Remembered;
    count_ = std::min(count_ + 1, Remembered);
    double sorted[Remembered];
    std::copy(wokeLate_, wokeLate_ + count_, sorted);
    std::nth_element(sorted, sorted + count_ / 2, sorted + count_);
    const double median = sorted[count_ / 2];
    lead_ = median < 0 ? 0 : median > MaxLeadMs ? MaxLeadMs : median;
}
