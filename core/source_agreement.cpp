// Whether the time sources' narrowed offsets agree, and the offset they agree on.
#include "core/source_agreement.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>

namespace {

// Groups are bit masks over the sources' places.
using Group = std::uint32_t;
constexpr size_t kMostSources = 16;

bool InGroup(Group group, size_t index) {
    return ((group >> index) & 1u) != 0;
}

// Whether the group's bounds, widened by widenDays each, share an offset; that offset range.
bool GroupMeets(std::span<const SourceOffset> sources, Group group, double widenDays,
                OffsetBounds& common) {
    common = {-HUGE_VAL, HUGE_VAL};
    for (size_t index = 0; index < sources.size(); ++index) {
        if (InGroup(group, index)) {
            common.LowDays = std::max(common.LowDays, sources[index].Bounds.LowDays - widenDays);
            common.HighDays = std::min(common.HighDays, sources[index].Bounds.HighDays + widenDays);
        }
    }
    return common.WidthDays() > 0.0;
}

// The lowest and the highest of the group's estimates.
OffsetBounds EstimateRange(std::span<const SourceOffset> sources, Group group) {
    OffsetBounds range{HUGE_VAL, -HUGE_VAL};
    for (size_t index = 0; index < sources.size(); ++index) {
        if (InGroup(group, index)) {
            range.LowDays = std::min(range.LowDays, sources[index].Bounds.CentreDays());
            range.HighDays = std::max(range.HighDays, sources[index].Bounds.CentreDays());
        }
    }
    return range;
}

// Where the group's own bounds meet; else the middle of its estimates, within bounds that cover
// every member's.
OffsetBounds GroupResult(std::span<const SourceOffset> sources, Group group) {
    OffsetBounds common;
    if (GroupMeets(sources, group, 0.0, common)) {
        return common;
    }
    const double middle = EstimateRange(sources, group).CentreDays();
    double halfWidth = 0.0;
    for (size_t index = 0; index < sources.size(); ++index) {
        if (InGroup(group, index)) {
            halfWidth = std::max({halfWidth, middle - sources[index].Bounds.LowDays,
                                  sources[index].Bounds.HighDays - middle});
        }
    }
    return {middle - halfWidth, middle + halfWidth};
}

// The agreeing group, 0 when there is none.
Group AgreeingGroup(std::span<const SourceOffset> sources, Group tookPart) {
    const int voters = std::popcount(tookPart);
    Group best = 0;
    for (Group group = tookPart; group != 0; group = (group - 1) & tookPart) {
        const int size = std::popcount(group);
        OffsetBounds common;
        if (size < 2 || 2 * size <= voters ||
            !GroupMeets(sources, group, kSiteClockToleranceDays, common)) {
            continue;
        }
        const int bestSize = std::popcount(best);
        if (size > bestSize || (size == bestSize && EstimateRange(sources, group).WidthDays() <
                                                        EstimateRange(sources, best).WidthDays())) {
            best = group;
        }
    }
    return best;
}

}  // namespace

AgreedOffset AgreeSources(std::span<const SourceOffset> sources, size_t firstIndex) {
    AgreedOffset agreed;
    agreed.Sources.resize(sources.size());
    if (sources.empty() || sources.size() > kMostSources || firstIndex >= sources.size()) {
        return agreed;
    }
    Group tookPart = 0;
    for (size_t index = 0; index < sources.size(); ++index) {
        if (sources[index].TookPart) {
            tookPart |= Group{1} << index;
        }
    }
    Group counted = Group{1} << firstIndex;
    agreed.Kind = Agreement::Alone;
    if (std::popcount(tookPart) == 1) {
        counted = tookPart;
    } else if (std::popcount(tookPart) > 1) {
        const Group group = AgreeingGroup(sources, tookPart);
        agreed.Kind = group != 0 ? Agreement::Majority : Agreement::NoMajority;
        counted = group != 0 ? group : counted;
    }
    agreed.Bounds = agreed.Kind == Agreement::Majority ? GroupResult(sources, counted)
                                                       : sources[std::countr_zero(counted)].Bounds;
    for (size_t index = 0; index < sources.size(); ++index) {
        SourceVerdict& verdict = agreed.Sources[index];
        if (InGroup(counted, index)) {
            verdict.Role = SourceRole::Counted;
        } else if (InGroup(tookPart, index)) {
            verdict.Role = SourceRole::LeftOut;
        }
        if (InGroup(tookPart | counted, index)) {
            verdict.DifferenceDays =
                sources[index].Bounds.CentreDays() - agreed.Bounds.CentreDays();
        }
    }
    return agreed;
}
