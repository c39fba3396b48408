// Reading, formatting and setting the local clock, through a seam that tests can replace.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "core/serial_date.h"

// The three clock operations the program uses. The real ones are time/localtime,
// GetLocalTime and SetLocalTime; tests install a fake so that they never move the host's clock.
struct ClockSeam {
    SerialDate (*ReadSerial)();                  // local wall-clock time, whole seconds
    BOOL (*ReadSystemTime)(SYSTEMTIME* out);     // local time with milliseconds
    BOOL (*WriteSystemTime)(const SYSTEMTIME*);  // sets the local time
};

// The real clock.
ClockSeam RealClock();
// Installs a clock (tests only) and returns the one it replaces.
ClockSeam InstallClock(const ClockSeam& clock);

// The local wall-clock time as a SerialDate in whole seconds; 0 if the clock cannot be read.
SerialDate CurrentLocalTime();
// Set the date (keeping time of day and milliseconds) or the time of day (keeping the date
// and milliseconds); true when the system accepted the change.
bool SetLocalDate(int year, int month, int day);
bool SetLocalTimeOfDay(int hour, int minute, int second);

// The user's date and time separators from the locale settings.
DateSeparators UserDateSeparators();
// FormatSerialDate with the user's separators, e.g. "yyyy-mm-dd hh:mm:ss".
std::string FormatSerialDate(SerialDate date, std::string_view pattern);
