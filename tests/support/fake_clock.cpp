// A local clock for tests: it never touches the host's clock and records every change asked.
#include "tests/support/fake_clock.h"

#include <gtest/gtest.h>

namespace {

// The seam holds plain function pointers, so the fake's state lives here.
FakeClockState state;

constexpr ULONGLONG kFileTimeUnitsPerMillisecond = 10000;

SYSTEMTIME AddMilliseconds(const SYSTEMTIME& time, long long milliseconds) {
    FILETIME asFileTime{};
    SystemTimeToFileTime(&time, &asFileTime);
    ULARGE_INTEGER units{};
    units.LowPart = asFileTime.dwLowDateTime;
    units.HighPart = asFileTime.dwHighDateTime;
    units.QuadPart += static_cast<ULONGLONG>(milliseconds) * kFileTimeUnitsPerMillisecond;
    asFileTime.dwLowDateTime = units.LowPart;
    asFileTime.dwHighDateTime = units.HighPart;
    SYSTEMTIME result{};
    FileTimeToSystemTime(&asFileTime, &result);
    return result;
}

constexpr long long kMillisecondsPerMinute = 60000;

void ReadFakeUtcFileTime(FILETIME* out) {
    ++state.Reads;
    const SYSTEMTIME utc =
        AddMilliseconds(state.Now, -state.ZoneBiasMinutes * kMillisecondsPerMinute);
    SystemTimeToFileTime(&utc, out);
    state.Now = AddMilliseconds(state.Now, state.MillisecondsPerRead);
    state.CounterMs += state.MillisecondsPerRead;
    if (state.Reads == state.StepAtRead) {
        state.Now = AddMilliseconds(state.Now, state.StepMs);
    }
}

double FakeCounterMs() {
    return state.CounterMs;
}

BOOL FakeUtcToLocalTime(const SYSTEMTIME* utc, SYSTEMTIME* local) {
    *local = AddMilliseconds(*utc, state.ZoneBiasMinutes * kMillisecondsPerMinute);
    return TRUE;
}

BOOL WriteFakeLocalTime(const SYSTEMTIME* time) {
    state.Writes.push_back(*time);
    if (state.RefuseWrites) {
        SetLastError(ERROR_PRIVILEGE_NOT_HELD);
        return FALSE;
    }
    state.Now = *time;
    return TRUE;
}

}  // namespace

FakeClockScope::FakeClockScope(const SYSTEMTIME& start)
    : previous_(InstallClock(
          {ReadFakeUtcFileTime, FakeUtcToLocalTime, WriteFakeLocalTime, FakeCounterMs, true})) {
    state = FakeClockState{};
    state.Now = start;
}

FakeClockScope::~FakeClockScope() {
    InstallClock(previous_);
}

FakeClockState& FakeClockScope::State() {
    return state;
}

SYSTEMTIME MakeSystemTime(int year, int month, int day, int hour, int minute, int second,
                          int milliseconds) {
    SYSTEMTIME time{};
    time.wYear = static_cast<WORD>(year);
    time.wMonth = static_cast<WORD>(month);
    time.wDay = static_cast<WORD>(day);
    time.wHour = static_cast<WORD>(hour);
    time.wMinute = static_cast<WORD>(minute);
    time.wSecond = static_cast<WORD>(second);
    time.wMilliseconds = static_cast<WORD>(milliseconds);
    return time;
}

void ExpectSameTime(const SYSTEMTIME& actual, const SYSTEMTIME& expected) {
    EXPECT_EQ(actual.wYear, expected.wYear);
    EXPECT_EQ(actual.wMonth, expected.wMonth);
    EXPECT_EQ(actual.wDay, expected.wDay);
    EXPECT_EQ(actual.wHour, expected.wHour);
    EXPECT_EQ(actual.wMinute, expected.wMinute);
    EXPECT_EQ(actual.wSecond, expected.wSecond);
    EXPECT_EQ(actual.wMilliseconds, expected.wMilliseconds);
}

NetworkMeasurement MeasuredFrom(const NetworkReading& first, const OffsetBounds& bounds,
                                const MeasurementObserver& observer) {
    NetworkMeasurement measurement;
    measurement.Sources.resize(1);
    if (!(first.HeaderUtc > 0.0)) {
        return measurement;
    }
    measurement.First = first;
    measurement.FirstIndex = 0;
    measurement.Sources[0] = {
        "http://127.0.0.1/", true, {bounds, 1, NarrowingEnd::NotNarrowed}, {}};
    measurement.Abandoned =
        observer.FirstAnswer != nullptr && !observer.FirstAnswer(first, observer.Context);
    AgreeMeasuredSources(measurement);
    return measurement;
}

NetworkMeasurement AnswerAtOnce(const MeasurementObserver& observer) {
    const SerialDate utc = CurrentUtcTime();
    const NetworkReading first{utc, utc, utc};
    return MeasuredFrom(first, BoundsOfAnswer(first), observer);
}
