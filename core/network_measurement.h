// What one measurement of the network offset gave: the first answer, each source's narrowing,
// and the offset the sources agree on.
#pragma once

#include <string>
#include <vector>

#include "core/network_estimate.h"
#include "core/offset_refinement.h"
#include "core/source_agreement.h"

// One source of a measurement.
struct MeasuredSource {
    std::string Url;        // as it was asked ("https://…" over HTTPS); empty when not asked
    bool Answered = false;  // it answered on its own connection, or first in the round
    RefinedOffset Refined;  // its narrowing; its bounds are its answer's where it did not answer
    SourceVerdict Verdict;  // what the agreement made of it
};

struct NetworkMeasurement {
    NetworkReading First;  // the round's first usable answer; HeaderUtc 0: no source answered
    int FirstIndex = -1;   // its source's place in the list
    Agreement Kind = Agreement::Alone;
    OffsetBounds Bounds;                  // the source's UTC minus the computer's, agreed
    std::vector<MeasuredSource> Sources;  // one for each source, in the list's order
    double ClockMovedDays = 0.0;          // how far the clock was set meanwhile (UtcStamps)
    bool Abandoned = false;               // the caller stopped it; nothing in it is to be used

    bool Answered() const { return FirstIndex >= 0 && !Abandoned; }
    // The source the first answer came from, as it was asked.
    const std::string& FirstUrl() const { return Sources[static_cast<size_t>(FirstIndex)].Url; }
    // The most exchanges any one source was asked for, its first answer's included.
    int MostExchangesToOneSource() const;
};

// Agrees the sources' narrowings (AgreeSources): only a confirmed narrowing takes part. Fills
// Kind, Bounds and every source's Verdict.
void AgreeMeasuredSources(NetworkMeasurement& measurement);
