#include "gl/swap_pacer.h"

namespace {

// Of the latest swaps, this many must have come sooner than nine tenths
// of the period after the one before for the driver to count as not
// waiting: the first pictures of a driver that queues a few, or one that
// the machine let through late, say nothing.
constexpr unsigned RecentSwaps = 8;
constexpr int EarlyToCount = 5;
constexpr unsigned RecentMask = (1u << RecentSwaps) - 1;
constexpr double EarlyShare = 0.9;

int CountBits(unsigned bits)
{
    int count = 0;
    for (; bits; bits &= bits - 1)
        ++count;
    return count;
}

} // namespace

void SwapPacer::Reset(double periodMs)
{
    period_ = periodMs > 0 ? periodMs : 0;
    started_ = false;
    early_ = 0;
    onTheClock_ = false;
}

double SwapPacer::WaitAfterSwap(double swapEnd)
{
    if (period_ <= 0)
        return 0;
    if (!onTheClock_) {
        // The helper has not waited since the last swap: how soon this one
        // came is the driver's own doing.
        if (started_) {
            const bool early = swapEnd - lastEnd_ < EarlyShare * period_;
            early_ = ((early_ << 1) | (early ? 1u : 0u)) & RecentMask;
        }
        started_ = true;
        lastEnd_ = swapEnd;
        onTheClock_ = CountBits(early_) >= EarlyToCount;
        due_ = swapEnd;
        return 0;
    }
    due_ += period_;
    if (swapEnd < due_)
        return due_ - swapEnd;
    // Late: within half a period the grid stays and the next frames catch
    // up; later than that the picture is simply late and the grid starts
    // from it.
    if (swapEnd - due_ > period_ / 2)
        due_ = swapEnd;
    return 0;
}
