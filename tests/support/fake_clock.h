// A local clock for tests: it never touches the host's clock and records every change asked.
#pragma once

#include <windows.h>

#include <vector>

#include "core/network_estimate.h"
#include "core/win/local_clock.h"
#include "core/win/measure_network_offset.h"

struct FakeClockState {
    SYSTEMTIME Now{};                  // what a read of the local clock gives
    int ZoneBiasMinutes = 0;           // local time minus UTC
    unsigned MillisecondsPerRead = 0;  // the clock and the counter move on by this after each read
    int StepAtRead = 0;                // after this read something sets the clock...
    int StepMs = 0;                    // ...by this much; the counter does not move
    double CounterMs = 0.0;
    bool RefuseWrites = false;  // SetLocalTime fails and changes nothing
    int Reads = 0;
    std::vector<SYSTEMTIME> Writes;  // every SetLocalTime asked for, refused ones too
};

// Installs the fake clock for its lifetime and puts the previous clock back afterwards.
class FakeClockScope {
public:
    explicit FakeClockScope(const SYSTEMTIME& start);
    FakeClockScope(const FakeClockScope&) = delete;
    FakeClockScope& operator=(const FakeClockScope&) = delete;
    ~FakeClockScope();

    FakeClockState& State();

private:
    ClockSeam previous_;
};

SYSTEMTIME MakeSystemTime(int year, int month, int day, int hour, int minute, int second,
                          int milliseconds);
// Every field, milliseconds included, as a gtest expectation.
void ExpectSameTime(const SYSTEMTIME& actual, const SYSTEMTIME& expected);

// A measurement of one source whose first answer is `first`, its narrowing ending on `bounds`;
// the observer hears of the answer as it would of a real one. No answer when first has none.
NetworkMeasurement MeasuredFrom(const NetworkReading& first, const OffsetBounds& bounds,
                                const MeasurementObserver& observer);

// One source that answers at once with a header of the clock's own UTC time and is not
// narrowed: enough for a measurement to succeed, for tests that do not look at its offset.
NetworkMeasurement AnswerAtOnce(const MeasurementObserver& observer);
