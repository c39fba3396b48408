// One measurement of the network offset, for the window and the silent mode alike: the round
// over the sources, then every source narrowed on a connection of its own at once, and their
// agreement.
#pragma once

#include "core/network_measurement.h"
#include "core/win/network_time.h"

// What the caller hears while a measurement runs. Both are called on threads of the
// measurement's own; false from either ends the whole measurement (Abandoned).
struct MeasurementObserver {
    // After the round's first usable answer, before any narrowing.
    bool (*FirstAnswer)(const NetworkReading& first, void* context) = nullptr;
    // Before each narrowing exchange with one source's best bounds so far; firstSource: those of
    // the source that answered first.
    bool (*Narrowed)(const OffsetBounds& bounds, bool firstSource, void* context) = nullptr;
    void* Context = nullptr;
};

// Asks the sources in order (AskTimeSources: HTTPS first, then the plain round; only this round
// traces). Once one answers, the sources after it in the list are asked on the same route at
// the same moment, each on a kept-alive connection of its own (sources that failed the round
// are not asked again), and all of them are narrowed side by side; everything ends within
// kNarrowingWindowDays of the first answer, with at most kMaxNarrowingExchanges to any one
// source. The sources whose narrowing was confirmed are then agreed (AgreeMeasuredSources).
NetworkMeasurement MeasureNetworkOffset(const SourceEndpoints& sources,
                                        const MeasurementObserver& observer = {});
