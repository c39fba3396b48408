// Measuring the network offset, correcting the clock, and the silent start-up mode.
#include "core/win/silent_correction.h"

#include <windows.h>

#include "core/network_state.h"
#include "core/time_sources.h"
#include "core/win/local_clock.h"
#include "core/win/network_time.h"
#include "core/win/program_arguments.h"

bool StoreNetworkMeasurement(const NetworkReading& reading) {
    // A missing stamp would turn the whole network time into an offset.
    if (!(reading.HeaderUtc > 0.0 && reading.UtcBeforeSend > 0.0 && reading.UtcAfterRead > 0.0)) {
        NetworkTime.store(0.0, std::memory_order_relaxed);
        return false;
    }
    const NetworkEstimate estimate = EstimateNetworkTime(reading);
    NetworkTime.store(estimate.NetworkTime, std::memory_order_relaxed);
    NetworkOffset.store(estimate.OffsetDays, std::memory_order_relaxed);
    return true;
}

void StoreRefinedMeasurement(const NetworkReading& first, const OffsetBounds& bounds) {
    NetworkTime.store(NetworkTimeAt(MiddleUtcOf(first), bounds.CentreDays()),
                      std::memory_order_relaxed);
    NetworkOffset.store(bounds.CentreDays(), std::memory_order_relaxed);
}

ClockCorrection CorrectLocalClockBy(double offsetDays) {
    // One reading of the clock gives every field: a date and a time of day read apart could
    // straddle midnight and set the clock a whole day wrong.
    ClockCorrection correction;
    const SerialDate now = CurrentUtcTime();
    if (now == 0.0) {
        correction.Error = ERROR_INVALID_TIME;  // nothing to add the offset to
        return correction;
    }
    const SerialDate target = NetworkTimeAt(now, offsetDays);
    // The wall clock moves from its own reading (UTC plus the zone's bias) to the target.
    correction.ChangeSeconds = (target - (now + CurrentZoneBiasDays())) * kSecondsPerDay;
    correction.Accepted = SetLocalClock(SplitSerialDate(target));
    if (!correction.Accepted) {
        correction.Error = GetLastError();
    }
    return correction;
}

double OffsetShowingLocalClock() {
    return CurrentZoneBiasDays() - NetworkTimeAt(0.0, 0.0);
}

ClockCorrection CorrectLocalClock() {
    return CorrectLocalClockBy(NetworkOffset.load(std::memory_order_relaxed));
}

bool SilentModeRequested() {
    return !JoinedProgramArguments().empty();
}

SilentCorrectionReport SilentCorrection(const SilentCorrectionObserver& observer) {
    SilentCorrectionReport report;
    if (!SilentModeRequested()) {
        return report;
    }
    if (!TakeSilentCorrectionTurn()) {
        // Another instance corrects the clock; this one ends without a window.
        report.Result = SilentCorrectionReport::Outcome::AnotherInstance;
        return report;
    }
    // No window and no limit: started at logon, the network may take a while to come up.
    const ULONGLONG startTick = GetTickCount64();
    NetworkReading reading = FetchNetworkTime();
    while (!(reading.HeaderUtc > 0.0)) {
        if (observer.NoAnswerYet != nullptr) {
            observer.NoAnswerYet(static_cast<double>(GetTickCount64() - startTick) / 1000.0,
                                 observer.Context);
        }
        Sleep(kSourceRetryDelayMs);
        reading = FetchNetworkTime();
    }
    // Corrected once, with the narrowed offset: a logon correction takes a few seconds longer.
    const RefinedOffset refined = RefineNetworkReading(reading, nullptr, nullptr);
    StoreRefinedMeasurement(reading, refined.Bounds);
    report.Correction = CorrectLocalClock();
    report.Result = report.Correction.Accepted ? SilentCorrectionReport::Outcome::Corrected
                                               : SilentCorrectionReport::Outcome::Refused;
    if (reading.SourceIndex >= 0 &&
        static_cast<size_t>(reading.SourceIndex) < kTimeSources.size()) {
        report.SourceUrl = std::string(kTimeSources[static_cast<size_t>(reading.SourceIndex)]);
    }
    report.Secure = reading.Secure;
    report.IntervalMs = refined.Bounds.WidthDays() * kMillisecondsPerDay;
    return report;
}
