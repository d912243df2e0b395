#include "gl/swap_pacer.h"

namespace {

// Of the latest swaps, this many must have blocked for a quarter of the
// period for the driver to count as pacing: a single swap that ran long
// (the machine was busy) says nothing.
constexpr unsigned RecentSwaps = 8;
constexpr int BlockedToCount = 4;
constexpr unsigned RecentMask = (1u << RecentSwaps) - 1;

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
    blocked_ = 0;
}

bool SwapPacer::DriverWaits() const
{
    return CountBits(blocked_) >= BlockedToCount;
}

double SwapPacer::WaitAfterSwap(double swapStart, double swapEnd)
{
    if (period_ <= 0)
        return 0;
    const bool blocked = swapEnd - swapStart >= period_ / 4;
    blocked_ = ((blocked_ << 1) | (blocked ? 1u : 0u)) & RecentMask;
    if (DriverWaits()) {
        started_ = false; // the driver keeps time; a grid would only fight it
        return 0;
    }
    if (!started_) {
        started_ = true;
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
