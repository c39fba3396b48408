// Measuring the network offset, correcting the clock, and the silent start-up mode.
#include "core/win/silent_correction.h"

#include <windows.h>

#include "core/network_state.h"
#include "core/win/local_clock.h"
#include "core/win/network_time.h"
#include "core/win/program_arguments.h"

bool StoreNetworkMeasurement(const NetworkReading& reading) {
    // A missing local stamp would turn the whole network time into an offset.
    if (!(reading.HeaderUtc > 0.0 && reading.LocalBeforeSend > 0.0 &&
          reading.LocalAfterRead > 0.0)) {
        NetworkTime.store(0.0, std::memory_order_relaxed);
        return false;
    }
    const NetworkEstimate estimate = EstimateNetworkTime(reading);
    NetworkTime.store(estimate.NetworkTime, std::memory_order_relaxed);
    NetworkOffset.store(estimate.OffsetDays, std::memory_order_relaxed);
    return true;
}

bool MeasureNetworkOffset() {
    return StoreNetworkMeasurement(FetchNetworkTime());
}

void CorrectLocalClock() {
    // One reading of the clock gives every field: a date and a time of day read apart could
    // straddle midnight and set the clock a whole day wrong.
    const SerialDate now = CurrentLocalTime();
    if (now == 0.0) {
        return;  // the clock could not be read: there is nothing to add the offset to
    }
    SetLocalClock(SplitSerialDate(now + NetworkOffset.load(std::memory_order_relaxed)));
}

bool SilentModeRequested() {
    return !JoinedProgramArguments().empty();
}

bool SilentCorrection() {
    if (!SilentModeRequested()) {
        return false;
    }
    // No window and no limit: started at logon, the network may take a while to come up.
    NetworkReading reading = FetchNetworkTime();
    while (!(reading.HeaderUtc > 0.0)) {
        Sleep(kSourceRetryDelayMs);
        reading = FetchNetworkTime();
    }
    StoreNetworkMeasurement(reading);
    CorrectLocalClock();
    return true;
}
