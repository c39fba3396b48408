// Stamps of the computer's UTC clock for timing the exchanges of one measurement.
#pragma once

#include "core/serial_date.h"

// Where the clock reads to a fraction of a millisecond, a stamp is a read of it. Where it moves
// only with the timer tick (Windows 7: 15.6 ms at a time), the stamps come from the performance
// counter, anchored to the moment one tick of the clock began; they are then as fine as the
// counter. Copies share the anchor.
class UtcStamps {
public:
    UtcStamps();

    SerialDate Now() const;

    // How far something has set (or slewed) the clock since the stamps began, in days, either
    // way: offsets measured with these stamps are against the clock as it was then.
    double ClockMovedDays() const;

private:
    double utcAheadOfCounterDays_ = 0.0;
    bool counted_ = false;
    SerialDate anchorUtc_ = 0.0;
    double anchorCounterMs_ = 0.0;
};
