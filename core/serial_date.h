// SerialDate arithmetic: day numbers, times of day, splitting, adding hours and formatting.
#pragma once

#include <string>
#include <string_view>

// Days since 1899-12-30 00:00 (1900-01-01 is day 2), the time of day as the fraction.
// Header times are whole seconds; local clock readings and the values made from them carry
// milliseconds (and the midpoint of two readings half a millisecond).
using SerialDate = double;

constexpr double kSecondsPerDay = 86400.0;
constexpr double kMinutesPerDay = 1440.0;
constexpr double kHoursPerDay = 24.0;
constexpr double kMillisecondsPerDay = 86400000.0;

// Added to the fraction of a day before it is cut into clock fields, so that a sum of
// whole milliseconds lying a floating-point hair below a millisecond still counts as that
// millisecond. It is 86.4 microseconds: above the rounding of a SerialDate (0.6 microseconds
// today, 40 in the year 9999) and well below a millisecond.
constexpr double kSplitEpsilonDays = 1e-9;

struct DateTimeFields {
    int Year = 0;
    int Month = 0;        // 1..12
    int Day = 0;          // 1..31
    int Hour = 0;         // 0..23
    int Minute = 0;       // 0..59
    int Second = 0;       // 0..59
    int Millisecond = 0;  // 0..999
};

// Gregorian day number of a calendar date. Months and days out of range roll into the
// neighbouring years and months: month 0 is December of the year before, day 0 the last
// day of the month before, day 32 of January is 1 February. Absurd dates saturate at the
// limits of long (32 bits on Windows) instead of wrapping.
long DaySerial(int year, int month, int day);

// Fraction of a day for "hh:mm" or "hh:mm:ss" (hours 0..23), or for the same with hours 1..12
// followed by AM or PM (12 AM is midnight, 12 PM noon); 0 when the text is not a time of day.
double TimeOfDayValue(std::string_view text);

// DaySerial of the date plus the time of day, milliseconds included, as a fraction.
SerialDate SerialFromFields(const DateTimeFields& fields);

// Calendar and clock fields of a SerialDate down to the millisecond, truncated after adding
// kSplitEpsilonDays. A value a hair below a whole millisecond counts as that millisecond, and
// the carry runs on into the second, minute, hour, day, month and year: a hair below midnight
// is 00:00:00.000 of the next day. All fields are 0 for NaN, infinities and values beyond
// 1e11 days, which have no calendar date.
DateTimeFields SplitSerialDate(SerialDate date);

// Adds the whole part of hours (truncated toward zero), keeping the milliseconds; hours past
// 23 carry into the next day. 0.0 when date has no calendar date (see SplitSerialDate).
SerialDate AddHours(double hours, SerialDate date);

// The user's separators, which replace ":" and "/" in a pattern.
struct DateSeparators {
    std::string Time = ":";
    std::string Date = "/";
};

// Writes "yyyy", "mm" (month, or minute right after an hour field), "dd", "hh", "ss" (the
// whole second: milliseconds are cut off, never rounded up);
// ":" and "/" become the given separators; every other character is copied. Empty when date
// has no calendar date.
std::string FormatSerialDate(SerialDate date, std::string_view pattern,
                             const DateSeparators& separators);
