// Stamps of the computer's UTC clock for timing the exchanges of one measurement.
#include "core/win/utc_stamps.h"

#include <windows.h>

#include "core/win/local_clock.h"

namespace {

// The clock ticks every 15.6 ms by default, every 1 ms at the finest: a change is awaited for
// two default ticks at the most.
constexpr double kTickSearchMs = 32.0;

bool SameFileTime(const FILETIME& a, const FILETIME& b) {
    return a.dwLowDateTime == b.dwLowDateTime && a.dwHighDateTime == b.dwHighDateTime;
}

// The UTC clock minus the performance counter: it moves only when something sets the clock.
double UtcAheadOfCounterDays() {
    return CurrentUtcTime() - ActiveClock().CounterMs() / kMillisecondsPerDay;
}

}  // namespace

UtcStamps::UtcStamps() : utcAheadOfCounterDays_(UtcAheadOfCounterDays()) {
    const ClockSeam& clock = ActiveClock();
    if (clock.PreciseUtc) {
        return;
    }
    // A read of the coarse clock may be up to a tick old. Right after it changes it is not: the
    // counter read then pins the clock to within the spin's own few microseconds.
    FILETIME before{};
    clock.ReadUtcFileTime(&before);
    const double startMs = clock.CounterMs();
    FILETIME now = before;
    double counterMs = startMs;
    while (SameFileTime(now, before) && counterMs - startMs < kTickSearchMs) {
        clock.ReadUtcFileTime(&now);
        counterMs = clock.CounterMs();
    }
    counted_ = true;
    anchorUtc_ = SerialFromFileTime(now);
    anchorCounterMs_ = counterMs;
}

SerialDate UtcStamps::Now() const {
    if (!counted_) {
        return CurrentUtcTime();
    }
    return anchorUtc_ + (ActiveClock().CounterMs() - anchorCounterMs_) / kMillisecondsPerDay;
}

double UtcStamps::ClockMovedDays() const {
    const double moved = UtcAheadOfCounterDays() - utcAheadOfCounterDays_;
    return moved < 0.0 ? -moved : moved;
}
