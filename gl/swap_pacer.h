// How ScrGLSwap keeps one picture per refresh. Drivers that offer a swap
// interval mostly honour it: their swap returns when the display is due,
// and the helper leaves the pace to them. Some take the interval and
// return at once all the same (Mesa's software renderer on a virtual X
// server does): when the pictures come sooner than the refresh without any
// wait of the helper's, it waits after each swap on the clock instead, on
// a fixed grid of the period, so that waits that run long do not add up.
// Pure arithmetic on times in milliseconds.
#pragma once

class SwapPacer {
public:
    // periodMs: the time between pictures the saver asked for; 0 or less
    // for no pacing. Forgets what the driver did and starts over.
    void Reset(double periodMs);

    // The driver's swap returned at swapEnd: how long to wait before the
    // next frame may begin, 0 for not at all.
    double WaitAfterSwap(double swapEnd);

private:
    double period_ = 0;
    bool started_ = false;    // lastEnd_ holds a swap since the last Reset
    double lastEnd_ = 0;      // the latest swap's end, while the driver paces
    unsigned early_ = 0;      // one bit per recent swap, newest lowest: it came early
    bool onTheClock_ = false; // the driver's swaps were found not to wait
    double due_ = 0;          // on the clock: when the latest picture was due
};
