// A local clock for tests: it never touches the host's clock and records every change asked.
#pragma once

#include <windows.h>

#include <vector>

#include "core/win/local_clock.h"

struct FakeClockState {
    SYSTEMTIME Now{};                   // what GetLocalTime would give
    unsigned SecondsPerSerialRead = 0;  // the clock moves on by this much after each ReadSerial
    bool RefuseWrites = false;          // SetLocalTime fails and changes nothing
    int SerialReads = 0;
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
