// Measuring the network offset, correcting the clock, and the silent start-up mode.
#include "core/win/silent_correction.h"

#include <windows.h>

#include "core/network_state.h"
#include "core/win/local_clock.h"
#include "core/win/network_time.h"
#include "core/win/program_arguments.h"

namespace {

// The local clock plus NetworkOffset, cut into fields; read anew on every call.
DateTimeFields NetworkNow() {
    return SplitSerialDate(CurrentLocalTime() + NetworkOffset.load(std::memory_order_relaxed));
}

}  // namespace

bool StoreNetworkMeasurement(SerialDate fetchedUtc) {
    NetworkTime.store(fetchedUtc, std::memory_order_relaxed);
    if (!(fetchedUtc > 0.0)) {
        return false;
    }
    const SerialDate networkTime = AddHours(kNetworkZoneOffsetHours, fetchedUtc);
    NetworkTime.store(networkTime, std::memory_order_relaxed);
    NetworkOffset.store(networkTime - CurrentLocalTime(), std::memory_order_relaxed);
    return true;
}

bool MeasureNetworkOffset() {
    return StoreNetworkMeasurement(FetchNetworkTime());
}

void CorrectLocalClock() {
    // The date is set first and the time of day then taken from a fresh reading: its time of
    // day does not depend on the date just written. A refused change is not reported.
    const DateTimeFields date = NetworkNow();
    SetLocalDate(date.Year, date.Month, date.Day);
    const DateTimeFields timeOfDay = NetworkNow();
    SetLocalTimeOfDay(timeOfDay.Hour, timeOfDay.Minute, timeOfDay.Second);
}

bool SilentModeRequested() {
    return !JoinedProgramArguments().empty();
}

bool SilentCorrection() {
    if (!SilentModeRequested()) {
        return false;
    }
    // No window and no limit: started at logon, the network may take a while to come up.
    SerialDate fetchedUtc = FetchNetworkTime();
    while (!(fetchedUtc > 0.0)) {
        Sleep(kSourceRetryDelayMs);
        fetchedUtc = FetchNetworkTime();
    }
    StoreNetworkMeasurement(fetchedUtc);
    CorrectLocalClock();
    return true;
}
