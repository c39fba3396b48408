// One measurement of the network offset: the round, every source narrowed side by side, their
// agreement.
#include "core/win/measure_network_offset.h"

#include <windows.h>
#include <process.h>

#include <atomic>
#include <memory>
#include <vector>

#include "core/win/kernel_handle.h"

namespace {

// What the narrowings of one measurement share: the caller's observer, and whether any of its
// answers has ended the measurement.
struct SharedNarrowing {
    const MeasurementObserver* Observer = nullptr;
    std::atomic<bool> Abandoned{false};
};

struct NarrowingContext {
    SharedNarrowing* Shared = nullptr;
    bool FirstSource = false;
};

bool GoOnNarrowing(const OffsetBounds& bounds, void* context) {
    const auto* narrowing = static_cast<const NarrowingContext*>(context);
    SharedNarrowing& shared = *narrowing->Shared;
    if (shared.Abandoned.load()) {
        return false;
    }
    const MeasurementObserver& observer = *shared.Observer;
    if (observer.Narrowed != nullptr &&
        !observer.Narrowed(bounds, narrowing->FirstSource, observer.Context)) {
        shared.Abandoned.store(true);
        return false;
    }
    return true;
}

// A source asked beside the first one, on a thread of its own.
struct OtherSource {
    SourceRoute Route;
    UtcStamps Stamps;
    SerialDate WindowEndUtc = 0.0;
    NarrowingContext Context;
    MeasuredSource* Result = nullptr;
    UniqueKernelHandle Thread;
};

void AskAndNarrow(OtherSource& other) {
    SourceAnswer answer = AskOnOwnConnection(other.Route, other.Stamps, other.WindowEndUtc);
    other.Result->Url = other.Route.Url;
    other.Result->Answered = answer.First.HeaderUtc > 0.0;
    other.Result->Refined =
        NarrowSourceAnswer(answer, &GoOnNarrowing, &other.Context, other.WindowEndUtc);
}

unsigned __stdcall OtherSourceThread(void* argument) {
    AskAndNarrow(*static_cast<OtherSource*>(argument));
    return 0;
}

}  // namespace

NetworkMeasurement MeasureNetworkOffset(const SourceEndpoints& sources,
                                        const MeasurementObserver& observer) {
    NetworkMeasurement measurement;
    measurement.Sources.resize(sources.Urls.size());
    ProxyFinder proxies(sources.Proxies);
    SourceAnswer first = AskTimeSources(sources, proxies);
    if (!(first.First.HeaderUtc > 0.0)) {
        return measurement;
    }
    measurement.First = first.First;
    measurement.FirstIndex = first.First.SourceIndex;
    MeasuredSource& firstSource = measurement.Sources[static_cast<size_t>(measurement.FirstIndex)];
    firstSource.Url = first.Url;
    firstSource.Answered = true;
    firstSource.Refined = {BoundsOfAnswer(first.First), 1, NarrowingEnd::NotNarrowed};
    if (observer.FirstAnswer != nullptr && !observer.FirstAnswer(first.First, observer.Context)) {
        measurement.Abandoned = true;
        return measurement;
    }

    SharedNarrowing shared;
    shared.Observer = &observer;
    const SerialDate windowEndUtc = first.First.UtcAfterRead + kNarrowingWindowDays;
    std::vector<std::unique_ptr<OtherSource>> others;
    for (size_t index = static_cast<size_t>(measurement.FirstIndex) + 1;
         index < sources.Urls.size(); ++index) {
        auto other = std::make_unique<OtherSource>();
        other->Route = RouteToSource(sources, index, first.First.Secure, proxies);
        other->Stamps = first.Stamps;
        other->WindowEndUtc = windowEndUtc;
        other->Context = {&shared, false};
        other->Result = &measurement.Sources[index];
        other->Result->Url = other->Route.Url;
        // A source whose thread cannot be started takes no part.
        other->Thread.reset(reinterpret_cast<HANDLE>(
            _beginthreadex(nullptr, 0, &OtherSourceThread, other.get(), 0, nullptr)));
        others.push_back(std::move(other));
    }
    NarrowingContext firstContext{&shared, true};
    firstSource.Refined = NarrowSourceAnswer(first, &GoOnNarrowing, &firstContext, windowEndUtc);
    for (const std::unique_ptr<OtherSource>& other : others) {
        if (other->Thread) {
            WaitForSingleObject(other->Thread.get(), INFINITE);
        }
    }
    measurement.Abandoned = shared.Abandoned.load();
    measurement.ClockMovedDays = first.Stamps.ClockMovedDays();
    AgreeMeasuredSources(measurement);
    return measurement;
}
