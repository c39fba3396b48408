// Measuring the network offset, correcting the clock, and the silent start-up mode.
#include "core/win/silent_correction.h"

#include <windows.h>

#include <cmath>

#include "core/network_state.h"
#include "core/win/https_record.h"
#include "core/win/local_clock.h"
#include "core/win/measure_network_offset.h"
#include "core/win/network_time.h"
#include "core/win/program_arguments.h"

namespace {

// A change of the clock by something else beyond this, between a measurement and its
// correction, makes the silent mode measure again.
constexpr double kClockSetMeanwhileDays = 50.0 / kMillisecondsPerDay;

}  // namespace

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

namespace {

// The wall-clock time to set from one reading of the clock, and the change it makes.
struct ClockTarget {
    SerialDate Target = 0.0;  // 0: the clock could not be read
    double ChangeSeconds = 0.0;
};

ClockTarget TargetFor(double offsetDays) {
    const ClockReading now = ReadClock();
    if (now.Utc == 0.0) {
        return {};
    }
    // To the nearest millisecond, the finest the clock can be set to.
    const SerialDate target =
        std::round(NetworkTimeAt(now.Utc, offsetDays) * kMillisecondsPerDay) / kMillisecondsPerDay;
    // The wall clock moves from its own reading (UTC plus the zone's bias) to the target.
    return {target, (target - (now.Utc + now.ZoneBiasDays)) * kSecondsPerDay};
}

}  // namespace

double ClockChangeSecondsBy(double offsetDays) {
    return TargetFor(offsetDays).ChangeSeconds;
}

ClockCorrection CorrectLocalClockBy(double offsetDays) {
    // One reading of the clock gives every field: a date and a time of day read apart could
    // straddle midnight and set the clock a whole day wrong.
    ClockCorrection correction;
    const ClockTarget target = TargetFor(offsetDays);
    if (target.Target == 0.0) {
        correction.Error = ERROR_INVALID_TIME;  // nothing to add the offset to
        return correction;
    }
    correction.ChangeSeconds = target.ChangeSeconds;
    correction.Accepted = SetLocalClock(SplitSerialDate(target.Target));
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

SilentCorrectionReport SilentCorrectionFrom(const SourceEndpoints& sources,
                                            const SilentCorrectionObserver& observer) {
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
    for (;;) {
        // Corrected once, with the narrowed and agreed offset: a logon correction takes a few
        // seconds longer.
        NetworkMeasurement measurement = MeasureNetworkOffset(sources);
        if (!measurement.Answered()) {
            if (observer.NoAnswerYet != nullptr) {
                observer.NoAnswerYet(static_cast<double>(GetTickCount64() - startTick) / 1000.0,
                                     observer.Context);
            }
            Sleep(kSourceRetryDelayMs);
            continue;
        }
        // Something else set the clock meanwhile (Windows' own time service at logon, say): the
        // offset was measured against the clock before that, and would be applied on top of it.
        if (measurement.ClockMovedDays > kClockSetMeanwhileDays) {
            continue;
        }
        const double offsetDays = measurement.Bounds.CentreDays();
        if (measurement.First.Secure) {
            RecordHttpsAnswered();
        } else if (HttpsHasAnswered()) {
            // HTTPS has answered here before, and did not now: someone may be blocking it to
            // have forged time taken. Only as much as the clock can have drifted is believed.
            const double changeSeconds = ClockChangeSecondsBy(offsetDays);
            if (!(std::fabs(changeSeconds) <= kUnauthenticatedChangeLimitSeconds)) {
                report.Result = SilentCorrectionReport::Outcome::Withheld;
                report.Correction.ChangeSeconds = changeSeconds;
                report.Measurement = std::move(measurement);
                return report;
            }
        }
        report.Correction = CorrectLocalClockBy(offsetDays);
        report.Result = report.Correction.Accepted ? SilentCorrectionReport::Outcome::Corrected
                                                   : SilentCorrectionReport::Outcome::Refused;
        report.Measurement = std::move(measurement);
        return report;
    }
}

SilentCorrectionReport SilentCorrection(const SilentCorrectionObserver& observer) {
    // At logon, as SYSTEM: no user's Internet settings apply, the machine's WinHTTP one does.
    SourceEndpoints sources = BuiltInSources();
    sources.Proxies = ProxySettings::Machine;
    return SilentCorrectionFrom(sources, observer);
}
