// How ScrGLSwap keeps one picture per refresh. Drivers that offer a swap
// interval mostly honour it: their swap blocks until the display is due.
// Some take the interval and return at once all the same (Mesa's software
// renderer on a virtual X server does); after their swap the helper waits
// on the clock instead, on a fixed grid of the period so that waits that
// run long do not add up. Pure arithmetic on times in milliseconds.
#pragma once

class SwapPacer {
public:
    // periodMs: the time between pictures the saver asked for; 0 or less
    // for no pacing. Starts a new grid and forgets what the driver did.
    void Reset(double periodMs);

    // The driver's swap began at swapStart and returned at swapEnd: how
    // long to wait after it before the next frame may begin, 0 for not at
    // all.
    double WaitAfterSwap(double swapStart, double swapEnd);

    // The driver's own swaps have waited for the display lately.
    bool DriverWaits() const;

private:
    double period_ = 0;
    double due_ = 0;          // when the latest picture was due on the grid
    bool started_ = false;    // due_ has been set since the last Reset
    unsigned blocked_ = 0;    // one bit per recent swap, newest lowest: it blocked
};
