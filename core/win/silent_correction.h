// Measuring the network offset, correcting the clock, and the silent start-up mode.
#pragma once

// Fetches the network time, stores NetworkTime and NetworkOffset; true when a source answered.
bool MeasureNetworkOffset();
// Sets the local clock to the local clock plus NetworkOffset: the date first, then the time of
// day, each from its own reading of the clock; the milliseconds stay.
void CorrectLocalClock();
// With arguments on the command line: fetches until a source answers (every 5000 ms), corrects
// the clock and returns true. Without arguments returns false at once.
bool SilentCorrection();
