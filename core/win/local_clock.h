// Reading, formatting and setting the local clock, through a seam that tests can replace.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "core/serial_date.h"

// The two clock operations the program uses, one read and one write of local wall-clock time
// with milliseconds. The real ones read the most precise system clock there is and convert it
// with Windows' own zone rules, and set it with SetLocalTime; tests install a fake so that they
// never move the host's clock.
struct ClockSeam {
    BOOL (*ReadLocalTime)(SYSTEMTIME* out);
    BOOL (*WriteLocalTime)(const SYSTEMTIME* time);
};

// The real clock.
ClockSeam RealClock();
// Installs a clock (tests only) and returns the one it replaces.
ClockSeam InstallClock(const ClockSeam& clock);

// The same time as a SerialDate, milliseconds included.
SerialDate SerialFromSystemTime(const SYSTEMTIME& time);

// The local wall-clock time as a SerialDate with milliseconds; 0 if the clock cannot be read.
// Every local time the program reads or shows comes from here.
SerialDate CurrentLocalTime();

// Sets the local clock to every field given, milliseconds included, from this one value:
// SetLocalTime converts with the daylight-saving state of the moment it is called, not of the
// time being set, so the same value is given a second time, which lands right after a change
// across a daylight-saving boundary (and moves the clock by microseconds otherwise). True when
// both calls were accepted; false without any call for fields that are no SYSTEMTIME (no
// calendar date, or a year outside 1601..30827).
bool SetLocalClock(const DateTimeFields& fields);

// The user's date and time separators from the locale settings.
DateSeparators UserDateSeparators();
// FormatSerialDate with the user's separators, e.g. "yyyy-mm-dd hh:mm:ss".
std::string FormatSerialDate(SerialDate date, std::string_view pattern);
