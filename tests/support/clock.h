// Time on the performance counter, for measuring the periods between
// events (ticks, frames) finer than GetTickCount can.
#pragma once

// Seconds since a fixed moment of this process's life.
double NowSeconds();
// The same moment's time in milliseconds.
double NowMs();
