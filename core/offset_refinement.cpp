// Narrowing a source's offset from whole-second Date headers by timed exchanges.
#include "core/offset_refinement.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kSecondDays = 1.0 / kSecondsPerDay;
// Room for the connection before a timed request, beyond what the last one took.
constexpr double kSendMarginDays = 0.002 / kSecondsPerDay;

SerialDate RoundTripOf(const NetworkReading& answer) {
    return std::max(0.0, answer.UtcAfterRead - answer.UtcBeforeSend);
}

}  // namespace

OffsetBounds BoundsOfAnswer(const NetworkReading& answer) {
    const double low = answer.HeaderUtc - MiddleUtcOf(answer);
    return {low, low + kSecondDays};
}

std::optional<OffsetBounds> IntersectBounds(const OffsetBounds& a, const OffsetBounds& b) {
    const OffsetBounds both{std::max(a.LowDays, b.LowDays), std::min(a.HighDays, b.HighDays)};
    if (!(both.WidthDays() > 0.0)) {
        return std::nullopt;
    }
    return both;
}

SerialDate NextSecondTurnUtc(const OffsetBounds& bounds, SerialDate earliestUtc) {
    // In seconds, where the source's turns are whole numbers.
    const double centreSeconds = bounds.CentreDays() * kSecondsPerDay;
    const double sourceSeconds = earliestUtc * kSecondsPerDay + centreSeconds;
    return (std::ceil(sourceSeconds) - centreSeconds) / kSecondsPerDay;
}

RefinedOffset RefineOffset(const NetworkReading& first, RefinementLink& link) {
    RefinedOffset result{BoundsOfAnswer(first), 1};
    const SerialDate deadline = first.UtcAfterRead + kRefinementWindowDays;
    double roundTrip = RoundTripOf(first);
    double connect = first.ConnectDays;
    while (result.Exchanges <= kMaxRefinementExchanges &&
           !(result.Bounds.WidthDays() < kRefinedWidthDays)) {
        // The request goes out half a round trip before the turn, so that the source reads its
        // clock at the turn; the connection is made first.
        const SerialDate earliestMiddle =
            link.NowUtc() + connect + kSendMarginDays + roundTrip / 2.0;
        const SerialDate middle = NextSecondTurnUtc(result.Bounds, earliestMiddle);
        if (middle + roundTrip / 2.0 > deadline) {
            break;  // its answer would come too late
        }
        const NetworkReading answer = link.ExchangeAt(middle - roundTrip / 2.0, deadline);
        ++result.Exchanges;
        if (!(answer.HeaderUtc > 0.0)) {
            break;
        }
        const std::optional<OffsetBounds> narrowed =
            IntersectBounds(result.Bounds, BoundsOfAnswer(answer));
        if (!narrowed) {
            break;
        }
        result.Bounds = *narrowed;
        roundTrip = RoundTripOf(answer);
        connect = answer.ConnectDays;
        if (!link.Narrowed(result.Bounds)) {
            break;
        }
    }
    return result;
}
