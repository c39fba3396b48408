// Measuring the network offset, correcting the clock, and the silent start-up mode.
#pragma once

#include "core/network_estimate.h"
#include "core/offset_refinement.h"

// Pause between two rounds over the time sources in the silent start-up mode.
constexpr unsigned kSourceRetryDelayMs = 5000;

// What a measurement does with a fetch's reading: when it holds a header time and both stamps,
// NetworkTime becomes the estimated network time (UTC+8) at the middle of the exchange and
// NetworkOffset the source's UTC minus the computer's UTC at the same moment, and the result is
// true. Otherwise NetworkTime becomes 0 and NetworkOffset stays as it was.
bool StoreNetworkMeasurement(const NetworkReading& reading);
// The same with the offset narrowed down from that reading: the centre of the bounds.
void StoreRefinedMeasurement(const NetworkReading& first, const OffsetBounds& bounds);
// Sets the local clock to the network time (UTC+8) of one reading of the computer's clock with
// the given offset: date, time of day and milliseconds at once (see SetLocalClock). Windows
// takes the time given as local wall-clock time in the zone in force at that moment. The result
// is not reported.
void CorrectLocalClockBy(double offsetDays);
// The same with NetworkOffset.
void CorrectLocalClock();
// The offset at which the network time is the computer's own wall clock: 0 in UTC+8, the
// zone's distance from UTC+8 elsewhere. It stands for "nothing measured" before the first
// measurement and right after a correction, when the wall clock shows the network time.
double OffsetShowingLocalClock();
// True when the recorded command line asks for the silent start-up mode (any argument text).
bool SilentModeRequested();
// Takes this session's one silent-correction turn, a named mutex, for the rest of the
// process's life; false when another process holds it. A turn whose holder ended without
// giving it back is taken over. When the mutex cannot be made or waited for, the turn is taken
// too, so that a failure of the guard never keeps the clock from being corrected.
bool TakeSilentCorrectionTurn();
// With arguments on the command line: when another instance is correcting already, returns
// true at once, without asking the network or touching the clock; otherwise fetches until a
// source answers (every 5000 ms), narrows that source's offset down (RefineNetworkReading),
// corrects the clock once and returns true. Without arguments returns false at once.
bool SilentCorrection();
