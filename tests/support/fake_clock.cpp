// A local clock for tests: it never touches the host's clock and records every change asked.
#include "tests/support/fake_clock.h"

namespace {

// The seam holds plain function pointers, so the fake's state lives here.
FakeClockState state;

constexpr ULONGLONG kFileTimeUnitsPerSecond = 10000000;

SYSTEMTIME AddSeconds(const SYSTEMTIME& time, unsigned seconds) {
    FILETIME asFileTime{};
    SystemTimeToFileTime(&time, &asFileTime);
    ULARGE_INTEGER units{};
    units.LowPart = asFileTime.dwLowDateTime;
    units.HighPart = asFileTime.dwHighDateTime;
    units.QuadPart += seconds * kFileTimeUnitsPerSecond;
    asFileTime.dwLowDateTime = units.LowPart;
    asFileTime.dwHighDateTime = units.HighPart;
    SYSTEMTIME result{};
    FileTimeToSystemTime(&asFileTime, &result);
    return result;
}

SerialDate ReadFakeSerial() {
    ++state.SerialReads;
    DateTimeFields fields;
    fields.Year = state.Now.wYear;
    fields.Month = state.Now.wMonth;
    fields.Day = state.Now.wDay;
    fields.Hour = state.Now.wHour;
    fields.Minute = state.Now.wMinute;
    fields.Second = state.Now.wSecond;
    const SerialDate reading = SerialFromFields(fields);
    state.Now = AddSeconds(state.Now, state.SecondsPerSerialRead);
    return reading;
}

BOOL ReadFakeSystemTime(SYSTEMTIME* out) {
    *out = state.Now;
    return TRUE;
}

BOOL WriteFakeSystemTime(const SYSTEMTIME* time) {
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
    : previous_(InstallClock({ReadFakeSerial, ReadFakeSystemTime, WriteFakeSystemTime})) {
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
