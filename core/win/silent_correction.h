// Measuring the network offset, correcting the clock, and the silent start-up mode.
#pragma once

#include "core/serial_date.h"

// Pause between two rounds over the time sources in the silent start-up mode.
constexpr unsigned kSourceRetryDelayMs = 5000;

// Fetches the network time, stores NetworkTime and NetworkOffset; true when a source answered.
bool MeasureNetworkOffset();
// What a measurement does with the fetched UTC time: NetworkTime := fetchedUtc; if that is a
// real time, NetworkTime becomes the network time (UTC+8) and NetworkOffset the network time
// minus the local clock, and the result is true. On 0.0 NetworkOffset stays as it was.
bool StoreNetworkMeasurement(SerialDate fetchedUtc);
// Sets the local clock to the local clock plus NetworkOffset: the date first, then the time of
// day, each from its own reading of the clock; the milliseconds stay.
void CorrectLocalClock();
// True when the recorded command line asks for the silent start-up mode (any argument text).
bool SilentModeRequested();
// With arguments on the command line: fetches until a source answers (every 5000 ms), corrects
// the clock and returns true. Without arguments returns false at once.
bool SilentCorrection();
