// Measuring the network offset, correcting the clock, and the silent start-up mode.
#pragma once

#include "core/network_estimate.h"

// Pause between two rounds over the time sources in the silent start-up mode.
constexpr unsigned kSourceRetryDelayMs = 5000;

// What a measurement does with a fetch's reading: when it holds a header time and both local
// stamps, NetworkTime becomes the estimated network time (UTC+8) at the middle of the exchange
// and NetworkOffset that minus the local clock at the same moment, and the result is true.
// Otherwise NetworkTime becomes 0 and NetworkOffset stays as it was.
bool StoreNetworkMeasurement(const NetworkReading& reading);
// Sets the local clock to one reading of it plus NetworkOffset: date, time of day and
// milliseconds at once (see SetLocalClock). The result is not reported.
void CorrectLocalClock();
// True when the recorded command line asks for the silent start-up mode (any argument text).
bool SilentModeRequested();
// Takes this session's one silent-correction turn, a named mutex, for the rest of the
// process's life; false when another process holds it. A turn whose holder ended without
// giving it back is taken over. When the mutex cannot be made or waited for, the turn is taken
// too, so that a failure of the guard never keeps the clock from being corrected.
bool TakeSilentCorrectionTurn();
// With arguments on the command line: when another instance is correcting already, returns
// true at once, without asking the network or touching the clock; otherwise fetches until a
// source answers (every 5000 ms), corrects the clock and returns true. Without arguments
// returns false at once.
bool SilentCorrection();
