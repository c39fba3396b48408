// Narrowing a source's offset from whole-second Date headers: each answer bounds the source's
// clock to one second around its exchange, and an exchange timed so that its middle falls where
// the source's second should turn tells on which side of that turn the source was, which halves
// the bounds. Only answers on one kept-alive connection are combined: behind one address a new
// connection may meet another machine with another clock.
#pragma once

#include "core/answer_bounds.h"
#include "core/network_estimate.h"
#include "core/serial_date.h"

// At most this many exchanges with the source, the first answer's included.
inline constexpr int kMaxNarrowingExchanges = 12;
// Narrow enough: no more halving once the bounds are under this.
inline constexpr double kNarrowEnoughDays = 2.0 / kMillisecondsPerDay;
// The narrowing ends this long after the first answer.
inline constexpr double kNarrowingWindowDays = 12.0 / kSecondsPerDay;

// What the narrowing needs from the outside world: the computer's clock, and exchanges on one
// connection with the source that answered first.
class NarrowingLink {
public:
    virtual SerialDate NowUtc() = 0;
    // One exchange on the narrowing's connection whose request goes out at sendAtUtc (at once
    // when that has passed), stamped from the send to the answer's first byte. The connection is
    // opened first where there is none (the link opens a new one where the source closed the
    // last). Gives up by deadlineUtc. HeaderUtc is 0 on any failure: no connection, no answer, no
    // usable Date header, or a time that cannot be true.
    virtual NetworkReading ExchangeAt(SerialDate sendAtUtc, SerialDate deadlineUtc) = 0;
    // Asked before every exchange with the best bounds so far: a caller may act on their centre.
    // False ends the narrowing there (its result is no longer wanted).
    virtual bool GoOn(const OffsetBounds& bestSoFar) = 0;

protected:
    ~NarrowingLink() = default;
};

// Why the narrowing ended.
enum class NarrowingEnd {
    Confirmed,     // narrowed, and two answers on either side of the found turn agree
    NotNarrowed,   // no answer on the connection narrowed the first one's second
    Contradicted,  // the answers came from different clocks, or the path changed under them
    Unconfirmed,   // the confirming answers could not be had in time or at all
    Abandoned,     // the caller no longer wanted it
};

struct RefinedOffset {
    OffsetBounds Bounds;  // the estimate is their centre
    int Exchanges = 1;    // with the first one
    NarrowingEnd End = NarrowingEnd::NotNarrowed;
};

// Narrows the offset of the source that gave `first` with timed exchanges on one connection,
// until the bounds are under kNarrowEnoughDays, kMaxNarrowingExchanges have been made or the
// window has passed, then confirms the result with one answer timed just before the found turn
// and one just after it. firstOnConnection says whether `first` came on that connection: its
// answer is then one of the bounds' own; otherwise it only says when to ask.
//
// The result is never a mix of clocks: answers that do not meet, or a failed confirmation, end
// the narrowing with the estimate of the connection's first answer, and so does a narrowing that
// could not be confirmed. Where the connection gave no answer at all, the result is `first`'s.
RefinedOffset RefineOffset(const NetworkReading& first, bool firstOnConnection,
                           NarrowingLink& link);
// The same, ending by windowEndUtc instead: a source asked beside the first one to answer ends
// with it.
RefinedOffset RefineOffset(const NetworkReading& first, bool firstOnConnection, NarrowingLink& link,
                           SerialDate windowEndUtc);
