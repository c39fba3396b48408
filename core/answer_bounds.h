// The offsets that timed whole-second answers allow: how far from an exchange's middle a source
// may have read its clock, and what all the answers on one connection allow together.
#pragma once

#include <optional>
#include <span>

#include "core/network_estimate.h"

// The source's UTC minus the computer's UTC lies in [LowDays, HighDays).
struct OffsetBounds {
    double LowDays = 0.0;
    double HighDays = 0.0;

    double WidthDays() const { return HighDays - LowDays; }
    // The estimate: the middle of the bounds.
    double CentreDays() const { return (LowDays + HighDays) / 2.0; }
};

// A computer's clock drifts up to 50 ppm either way, so the bounds of an offset measured a while
// ago widen by 100 µs for every second of their age.
inline constexpr double kDriftWideningPerSecond = 100e-6;
double AgedWidthDays(double widthDays, double ageSeconds);

// What both bounds allow; nullopt when they do not meet.
std::optional<OffsetBounds> IntersectBounds(const OffsetBounds& a, const OffsetBounds& b);

// Room for the computer's own stamps: the clock's resolution, the moments between a stamp and
// the socket call beside it, and a SerialDate's rounding.
inline constexpr double kStampAllowanceDays = 0.05 / kMillisecondsPerDay;

// From the send to the answer's first byte; never negative.
double RoundTripDays(const NetworkReading& answer);

// One answer alone, taken to be read at the exchange's middle: its second's middle is the
// estimate a single answer gives.
OffsetBounds BoundsOfAnswer(const NetworkReading& answer);

// The offsets an answer allows when the source read its clock within halfWidthDays of the
// exchange's middle: from H minus the latest moment of the reading to H + 1 s minus the earliest.
OffsetBounds BoundsWithin(const NetworkReading& answer, double halfWidthDays);

// Without any assumption about the path: the source read its clock somewhere between the send
// and the answer.
OffsetBounds WidestBoundsOfAnswer(const NetworkReading& answer);

// What the answers on one connection allow together, and the assumption that made it.
struct ConnectionBounds {
    OffsetBounds Bounds;
    double ShortestRoundTripDays = 0.0;
    // How much the fastest exchange's two directions are taken to have differed by; 0 while the
    // answers agree that they did not.
    double PathSlackDays = 0.0;

    // How far from its middle an exchange with this round trip read the source's clock.
    double HalfWidthDays(double roundTripDays) const;
};

// The fastest exchange is taken to have been even: one with round trip r read the source's clock
// within (r − m + slack)/2 + kStampAllowanceDays of its middle, m the shortest round trip. A
// slow exchange thus narrows little, and a stall cannot move the bounds past the truth. Where
// the answers do not meet with no slack, the path's two directions differ from one exchange to
// the next: the slack is twice the least that makes them meet, so that the bounds stay as wide
// as that disagreement, never a sliver. nullopt when they do not meet even with slack m, that
// is when each is allowed its whole exchange: the answers come from different clocks, or the
// path changed under them. Empty answers: nullopt.
std::optional<ConnectionBounds> BoundsOfAnswers(std::span<const NetworkReading> answers);

// The first moment of the computer's clock (UTC), not before earliestUtc, at which the source's
// clock turns to a new whole second if the offset is offsetDays.
SerialDate NextSecondTurnUtc(double offsetDays, SerialDate earliestUtc);
