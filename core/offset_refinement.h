// Narrowing a source's offset from whole-second Date headers: each answer bounds the source's
// clock to one second, and an exchange timed so that its middle falls where the source's second
// should turn tells on which side of that turn the source was, which halves the bounds.
#pragma once

#include <optional>

#include "core/network_estimate.h"
#include "core/serial_date.h"

// The source's UTC minus the computer's UTC lies in [LowDays, HighDays).
struct OffsetBounds {
    double LowDays = 0.0;
    double HighDays = 0.0;

    double WidthDays() const { return HighDays - LowDays; }
    // The estimate: the middle of the bounds.
    double CentreDays() const { return (LowDays + HighDays) / 2.0; }
};

// An answer stamped with a whole second says that the source's clock read somewhere in that
// second at the middle of the exchange.
OffsetBounds BoundsOfAnswer(const NetworkReading& answer);

// What both bounds allow; empty when they do not meet, as when a site's servers disagree or the
// path's delay jumps between two exchanges.
std::optional<OffsetBounds> IntersectBounds(const OffsetBounds& a, const OffsetBounds& b);

// The first moment of the computer's clock (UTC) not before earliestUtc at which the source's
// clock, at the centre of the bounds, turns to a new whole second.
SerialDate NextSecondTurnUtc(const OffsetBounds& bounds, SerialDate earliestUtc);

// At most this many exchanges after the first, and no more once the bounds are this narrow.
inline constexpr int kMaxRefinementExchanges = 7;
inline constexpr double kRefinedWidthDays = 0.004 / kSecondsPerDay;
// The whole refinement ends this long after the first answer, and one exchange of it waits at
// most kRefinementExchangeLimitMs for the connection and as long again for the answer.
inline constexpr double kRefinementWindowDays = 10.0 / kSecondsPerDay;
inline constexpr unsigned kRefinementExchangeLimitMs = 3000;

// What the refinement needs from the outside world: the computer's clock, and exchanges with the
// source that answered first.
class RefinementLink {
public:
    virtual SerialDate NowUtc() = 0;
    // One exchange whose request goes out at sendAtUtc (at once when that has passed), the
    // connection made before. Gives up by deadlineUtc. HeaderUtc is 0 on any failure: no
    // connection, no answer, no usable Date header, or a time that cannot be true.
    virtual NetworkReading ExchangeAt(SerialDate sendAtUtc, SerialDate deadlineUtc) = 0;
    // The bounds have narrowed: a caller may act on the best estimate so far. False ends the
    // refinement there (its result is no longer wanted).
    virtual bool Narrowed(const OffsetBounds& bounds) = 0;

protected:
    ~RefinementLink() = default;
};

struct RefinedOffset {
    OffsetBounds Bounds;  // the final bounds; the estimate is their centre
    int Exchanges = 1;    // with the first one
};

// Starts from the first answer's bounds and narrows them with timed exchanges until they are
// under kRefinedWidthDays, kMaxRefinementExchanges have been made or the window has passed. An
// exchange that fails, or whose answer contradicts the bounds, ends the refinement with the
// bounds as they were: the result is never worse than the first answer's.
RefinedOffset RefineOffset(const NetworkReading& first, RefinementLink& link);
