// Whether the time sources' narrowed offsets agree: the sources that agree outvote one that does
// not, and the offset comes from them alone.
#pragma once

#include <cstddef>
#include <span>
#include <vector>

#include "core/answer_bounds.h"

// How far a site's own clock may be from the true time while it is right: sites synchronise
// their clocks themselves (within a few milliseconds when they do it well), and a server may
// write its Date header a few milliseconds before the answer leaves. Each source's bounds are
// widened by this before they are compared, so two right sites whose bounds lie up to twice this
// apart still agree, and a site 40 ms off is left out beside right ones whose bounds are
// narrower than 10 ms together.
inline constexpr double kSiteClockToleranceDays = 15.0 / kMillisecondsPerDay;

// What one source gave a measurement.
struct SourceOffset {
    bool TookPart = false;  // it answered and its narrowing was confirmed
    OffsetBounds Bounds;    // what its narrowing ended with (an estimate of one answer at worst)
};

enum class SourceRole {
    NoPart,   // no answer, or a narrowing that did not end confirmed
    Counted,  // the result rests on it
    LeftOut,  // it took part and disagrees with the result
};

struct SourceVerdict {
    SourceRole Role = SourceRole::NoPart;
    double DifferenceDays = 0.0;  // its estimate minus the result's, when it took part
};

enum class Agreement {
    Alone,       // one source or none took part: its result (the first source's where none did)
    Majority,    // most of those that took part agree, and the result is theirs
    NoMajority,  // they disagree without a majority: the first source's result
};

struct AgreedOffset {
    Agreement Kind = Agreement::Alone;
    OffsetBounds Bounds;
    std::vector<SourceVerdict> Sources;  // in the order given
};

// The largest group of more than half of the sources that took part (two at least) whose bounds,
// each widened by kSiteClockToleranceDays, share an offset, agree; where two groups of the same
// size do, the one whose estimates lie closer together. The result is where the group's own
// bounds meet, or where they do not, the middle of its estimates within bounds that cover all of
// theirs. Without such a group, and where one source alone took part, the result is as one
// source gives it: firstIndex's (the source that answered first) when no group agrees or none
// took part.
AgreedOffset AgreeSources(std::span<const SourceOffset> sources, size_t firstIndex);
