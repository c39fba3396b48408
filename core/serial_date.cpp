// SerialDate arithmetic: Gregorian day numbers, times of day, splitting, adding hours, formatting.
#include "core/serial_date.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>

#include "core/text_split.h"

namespace {

constexpr int64_t kMonthsPerYear = 12;
constexpr int64_t kDaysPer400Years = 146097;
// Day 0 of the civil-date formulas below is 0000-03-01; this moves it to 1970-01-01.
constexpr int64_t kCivilToUnixDays = 719468;
// SerialDate day number of 1970-01-01.
constexpr int64_t kUnixEpochSerialDays = 25569;
constexpr int64_t kMillisecondsPerSecond = 1000;
constexpr int64_t kMillisecondsPerMinute = 60 * kMillisecondsPerSecond;
constexpr int64_t kMillisecondsPerHour = 60 * kMillisecondsPerMinute;
constexpr int64_t kWholeMillisecondsPerDay = 24 * kMillisecondsPerHour;

// Beyond this many days from 1899-12-30 (about 270 million years) a SerialDate has no
// calendar date: the year would not fit an int and the fraction has no precision left.
constexpr double kMaxSplitSerialDays = 1e11;

int64_t FloorDiv(int64_t a, int64_t b) {
    const int64_t quotient = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? quotient - 1 : quotient;
}

// Days from 1970-01-01 to the given date, month 1..12, day 1..31; closed form, no loops,
// exact for any year whose day count fits 64 bits.
int64_t DaysFromCivil(int64_t year, int64_t month, int64_t day) {
    year -= month <= 2 ? 1 : 0;
    const int64_t era = FloorDiv(year, 400);
    const int64_t yearOfEra = year - era * 400;
    const int64_t marchBasedMonth = month > 2 ? month - 3 : month + 9;
    const int64_t dayOfYear = (153 * marchBasedMonth + 2) / 5 + day - 1;
    const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * kDaysPer400Years + dayOfEra - kCivilToUnixDays;
}

struct CivilDate {
    int64_t Year;
    int Month;
    int Day;
};

// Inverse of DaysFromCivil.
CivilDate CivilFromDays(int64_t unixDays) {
    const int64_t days = unixDays + kCivilToUnixDays;
    const int64_t era = FloorDiv(days, kDaysPer400Years);
    const int64_t dayOfEra = days - era * kDaysPer400Years;
    const int64_t yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int64_t marchBasedMonth = (5 * dayOfYear + 2) / 153;
    const int day = static_cast<int>(dayOfYear - (153 * marchBasedMonth + 2) / 5 + 1);
    const int month =
        static_cast<int>(marchBasedMonth < 10 ? marchBasedMonth + 3 : marchBasedMonth - 9);
    return {yearOfEra + era * 400 + (month <= 2 ? 1 : 0), month, day};
}

// Whole milliseconds divided once, so that a time of day is the nearest double to its fraction
// (for whole seconds the same double as seconds / 86400).
double DayFraction(double hours, double minutes, double seconds, double milliseconds) {
    return (hours * kMillisecondsPerHour + minutes * kMillisecondsPerMinute +
            seconds * kMillisecondsPerSecond + milliseconds) /
           kMillisecondsPerDay;
}

// Reads one or two decimal digits at text[at]; -1 when there is none.
int ReadClockNumber(std::string_view text, std::size_t& at) {
    int value = -1;
    for (int digits = 0; digits < 2 && at < text.size() && text[at] >= '0' && text[at] <= '9';
         ++digits, ++at) {
        value = (value < 0 ? 0 : value * 10) + (text[at] - '0');
    }
    return value;
}

void AppendNumber(std::string& out, int value, int width) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%0*d", width, value);
    out += digits;
}

}  // namespace

long DaySerial(int year, int month, int day) {
    // Month and day roll over by plain arithmetic: normalise the month into a year, then add
    // the days to the first of that month, which carries day 0 or day 32 into the neighbours.
    const int64_t monthIndex = int64_t{month} - 1;
    const int64_t yearShift = FloorDiv(monthIndex, kMonthsPerYear);
    const int64_t monthInYear = monthIndex - yearShift * kMonthsPerYear + 1;
    const int64_t serial = DaysFromCivil(int64_t{year} + yearShift, monthInYear, 1) +
                           (int64_t{day} - 1) + kUnixEpochSerialDays;
    // long is 32 bits on Windows: absurd dates saturate instead of wrapping.
    return static_cast<long>(std::clamp<int64_t>(serial, std::numeric_limits<long>::min(),
                                                 std::numeric_limits<long>::max()));
}

double TimeOfDayValue(std::string_view text) {
    const std::string_view clock = TrimSpaces(text);
    std::size_t at = 0;
    const int hour = ReadClockNumber(clock, at);
    if (hour < 0 || at >= clock.size() || clock[at] != ':') {
        return 0.0;
    }
    ++at;
    const int minute = ReadClockNumber(clock, at);
    int second = 0;
    if (at < clock.size() && clock[at] == ':') {
        ++at;
        second = ReadClockNumber(clock, at);
    }
    if (minute < 0 || minute > 59 || second < 0 || second > 59) {
        return 0.0;
    }

    const std::string suffix = ToUpperAscii(TrimSpaces(clock.substr(at)));
    if (suffix.empty()) {
        return hour <= 23 ? DayFraction(hour, minute, second, 0) : 0.0;
    }
    // A 12-hour clock runs 12, 1, ..., 11: 12 AM is midnight, 12 PM noon, 1 PM 13 h.
    if (hour < 1 || hour > 12 || (suffix != "AM" && suffix != "PM")) {
        return 0.0;
    }
    const int hour24 = hour % 12 + (suffix == "PM" ? 12 : 0);
    return DayFraction(hour24, minute, second, 0);
}

SerialDate SerialFromFields(const DateTimeFields& fields) {
    return DaySerial(fields.Year, fields.Month, fields.Day) +
           DayFraction(fields.Hour, fields.Minute, fields.Second, fields.Millisecond);
}

DateTimeFields SplitSerialDate(SerialDate date) {
    if (!(std::fabs(date) <= kMaxSplitSerialDays)) {
        return {};
    }
    // Floor, not truncation toward zero, so that the fraction always counts forward from the
    // start of its day, also before 1899-12-30 and for negative offsets.
    const double wholeDays = std::floor(date);
    int64_t dayNumber = static_cast<int64_t>(wholeDays);
    // Cut once into whole milliseconds and carried in integers from there, so that no field
    // can be left at 60 seconds or 24 hours by a second rounding.
    int64_t milliseconds =
        static_cast<int64_t>((date - wholeDays + kSplitEpsilonDays) * kMillisecondsPerDay);
    // Less than the epsilon below midnight reads as 24:00:00.000: it is the next day.
    if (milliseconds >= kWholeMillisecondsPerDay) {
        ++dayNumber;
        milliseconds -= kWholeMillisecondsPerDay;
    }

    const CivilDate civil = CivilFromDays(dayNumber - kUnixEpochSerialDays);
    DateTimeFields fields;
    fields.Year = static_cast<int>(civil.Year);
    fields.Month = civil.Month;
    fields.Day = civil.Day;
    fields.Hour = static_cast<int>(milliseconds / kMillisecondsPerHour);
    fields.Minute = static_cast<int>(milliseconds / kMillisecondsPerMinute % 60);
    fields.Second = static_cast<int>(milliseconds / kMillisecondsPerSecond % 60);
    fields.Millisecond = static_cast<int>(milliseconds % kMillisecondsPerSecond);
    return fields;
}

SerialDate AddHours(double hours, SerialDate date) {
    const DateTimeFields fields = SplitSerialDate(date);
    if (fields.Month == 0) {
        return 0.0;
    }
    // The hour sum stays a double: a huge or negative hour count cannot overflow an int.
    return DaySerial(fields.Year, fields.Month, fields.Day) +
           DayFraction(fields.Hour + std::trunc(hours), fields.Minute, fields.Second,
                       fields.Millisecond);
}

std::string FormatSerialDate(SerialDate date, std::string_view pattern,
                             const DateSeparators& separators) {
    const DateTimeFields fields = SplitSerialDate(date);
    if (fields.Month == 0) {
        return {};
    }
    std::string out;
    // "mm" is the minute only right after an hour field, as in "hh:mm"; elsewhere the month.
    bool afterHour = false;
    std::size_t at = 0;
    while (at < pattern.size()) {
        const std::string_view rest = pattern.substr(at);
        if (rest.starts_with("yyyy")) {
            AppendNumber(out, fields.Year, 4);
            afterHour = false;
            at += 4;
        } else if (rest.starts_with("mm")) {
            AppendNumber(out, afterHour ? fields.Minute : fields.Month, 2);
            afterHour = false;
            at += 2;
        } else if (rest.starts_with("dd")) {
            AppendNumber(out, fields.Day, 2);
            afterHour = false;
            at += 2;
        } else if (rest.starts_with("hh")) {
            AppendNumber(out, fields.Hour, 2);
            afterHour = true;
            at += 2;
        } else if (rest.starts_with("ss")) {
            AppendNumber(out, fields.Second, 2);
            afterHour = false;
            at += 2;
        } else {
            const char c = pattern[at++];
            if (c == ':') {
                out += separators.Time;
            } else if (c == '/') {
                out += separators.Date;
            } else {
                out += c;
            }
        }
    }
    return out;
}
