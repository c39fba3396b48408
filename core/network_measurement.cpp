// What one measurement of the network offset gave, and the sources' agreement over it.
#include "core/network_measurement.h"

#include <algorithm>

int NetworkMeasurement::MostExchangesToOneSource() const {
    int most = 0;
    for (const MeasuredSource& source : Sources) {
        most = std::max(most, source.Answered ? source.Refined.Exchanges : 0);
    }
    return most;
}

void AgreeMeasuredSources(NetworkMeasurement& measurement) {
    if (measurement.FirstIndex < 0) {
        return;
    }
    std::vector<SourceOffset> offsets;
    for (const MeasuredSource& source : measurement.Sources) {
        offsets.push_back({source.Answered && source.Refined.End == NarrowingEnd::Confirmed,
                           source.Refined.Bounds});
    }
    const AgreedOffset agreed = AgreeSources(offsets, static_cast<size_t>(measurement.FirstIndex));
    measurement.Kind = agreed.Kind;
    measurement.Bounds = agreed.Bounds;
    for (size_t index = 0; index < agreed.Sources.size(); ++index) {
        measurement.Sources[index].Verdict = agreed.Sources[index];
    }
}
