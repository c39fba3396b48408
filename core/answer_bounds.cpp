// The offsets that timed whole-second answers allow.
#include "core/answer_bounds.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kSecondDays = 1.0 / kSecondsPerDay;

}  // namespace

double AgedWidthDays(double widthDays, double ageSeconds) {
    return widthDays + std::max(0.0, ageSeconds) * kDriftWideningPerSecond / kSecondsPerDay;
}

std::optional<OffsetBounds> IntersectBounds(const OffsetBounds& a, const OffsetBounds& b) {
    const OffsetBounds both{std::max(a.LowDays, b.LowDays), std::min(a.HighDays, b.HighDays)};
    if (!(both.WidthDays() > 0.0)) {
        return std::nullopt;
    }
    return both;
}

double RoundTripDays(const NetworkReading& answer) {
    return std::max(0.0, answer.UtcAfterRead - answer.UtcBeforeSend);
}

OffsetBounds BoundsOfAnswer(const NetworkReading& answer) {
    return BoundsWithin(answer, 0.0);
}

OffsetBounds BoundsWithin(const NetworkReading& answer, double halfWidthDays) {
    const SerialDate middle = MiddleUtcOf(answer);
    return {answer.HeaderUtc - (middle + halfWidthDays),
            answer.HeaderUtc + kSecondDays - (middle - halfWidthDays)};
}

OffsetBounds WidestBoundsOfAnswer(const NetworkReading& answer) {
    return BoundsWithin(answer, RoundTripDays(answer) / 2.0 + kStampAllowanceDays);
}

double ConnectionBounds::HalfWidthDays(double roundTripDays) const {
    return (roundTripDays - ShortestRoundTripDays + PathSlackDays) / 2.0 + kStampAllowanceDays;
}

std::optional<ConnectionBounds> BoundsOfAnswers(std::span<const NetworkReading> answers) {
    if (answers.empty()) {
        return std::nullopt;
    }
    ConnectionBounds result;
    result.ShortestRoundTripDays = RoundTripDays(answers.front());
    for (const NetworkReading& answer : answers) {
        result.ShortestRoundTripDays =
            std::min(result.ShortestRoundTripDays, RoundTripDays(answer));
    }
    // With no slack. Every answer's bounds widen by slack/2 on both sides, so the gap between the
    // highest low and the lowest high closes exactly at slack = gap.
    double highestLow = -HUGE_VAL;
    double lowestHigh = HUGE_VAL;
    for (const NetworkReading& answer : answers) {
        const OffsetBounds bounds =
            BoundsWithin(answer, result.HalfWidthDays(RoundTripDays(answer)));
        highestLow = std::max(highestLow, bounds.LowDays);
        lowestHigh = std::min(lowestHigh, bounds.HighDays);
    }
    const double gap = highestLow - lowestHigh;
    if (gap >= 0.0) {
        if (!(gap < result.ShortestRoundTripDays)) {
            return std::nullopt;  // NaN stamps too
        }
        result.PathSlackDays =
            std::min(std::max(2.0 * gap, 2.0 * kStampAllowanceDays), result.ShortestRoundTripDays);
    }
    const double widen = result.PathSlackDays / 2.0;
    result.Bounds = {highestLow - widen, lowestHigh + widen};
    return result;
}

SerialDate NextSecondTurnUtc(double offsetDays, SerialDate earliestUtc) {
    // In seconds, where the source's turns are whole numbers.
    const double offsetSeconds = offsetDays * kSecondsPerDay;
    const double sourceSeconds = earliestUtc * kSecondsPerDay + offsetSeconds;
    return (std::ceil(sourceSeconds) - offsetSeconds) / kSecondsPerDay;
}
