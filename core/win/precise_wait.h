// Waiting for a moment to within a fraction of a millisecond.
#pragma once

// Waits durationMs (fractions allowed; nothing for 0 or less). Sleep alone can end up to a timer
// tick (15.6 ms) late, so it is used only for the bulk of the wait, and the last few
// milliseconds are spun on the performance counter. The counter, not the wall clock, measures
// the wait, so a change of the clock meanwhile neither stretches nor cuts it.
void WaitPreciselyMs(double durationMs);

// The performance counter in milliseconds: for durations, which no change of the clock touches.
double MonotonicMs();
