// Reading, formatting and setting the local clock, through a seam that tests can replace.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "core/serial_date.h"

// The clock operations the program uses: a read of the computer's clock in UTC to 100 ns, its
// conversion to local wall-clock time with the zone in force at that moment, a write of local
// wall-clock time, and a counter that no setting of the clock moves. The real ones read the most
// precise system clock there is, convert with Windows' own zone rules, set the clock with
// SetLocalTime and count with the performance counter; tests install a fake so that they never
// move the host's clock (and can move its zone, or step it).
struct ClockSeam {
    void (*ReadUtcFileTime)(FILETIME* out);
    BOOL (*UtcToLocalTime)(const SYSTEMTIME* utc, SYSTEMTIME* local);
    BOOL (*WriteLocalTime)(const SYSTEMTIME* time);
    double (*CounterMs)();
    // False where ReadUtcFileTime moves only with the timer tick, 15.6 ms at a time (Windows 7
    // has no GetSystemTimePreciseAsFileTime).
    bool PreciseUtc;
};

// The real clock.
ClockSeam RealClock();
// Installs a clock (tests only) and returns the one it replaces.
ClockSeam InstallClock(const ClockSeam& clock);

// The same time as a SerialDate, milliseconds included.
SerialDate SerialFromSystemTime(const SYSTEMTIME& time);
// The same time as a SerialDate, to the resolution of a double (about a microsecond today).
SerialDate SerialFromFileTime(const FILETIME& time);

// The clock in force (the real one, or a test's).
const ClockSeam& ActiveClock();

// The computer's clock in UTC as a SerialDate, to the clock's own resolution; 0 if it cannot be
// read. Offsets to a time source are kept against this, so that a change of zone or daylight
// saving leaves them true.
SerialDate CurrentUtcTime();

// The local wall-clock time as a SerialDate with milliseconds, in the zone in force now; 0 if
// the clock cannot be read. Every local time the program shows comes from here.
SerialDate CurrentLocalTime();

// One read of the clock: UTC, and the local wall clock's lead on it in the zone in force then.
struct ClockReading {
    SerialDate Utc = 0.0;  // 0: the clock could not be read
    double ZoneBiasDays = 0.0;
};
ClockReading ReadClock();

// Local wall-clock time minus UTC in the zone in force now (daylight saving included), in days,
// from one reading of the clock; 0 if the clock cannot be read.
double CurrentZoneBiasDays();

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
