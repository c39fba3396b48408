// Reading, formatting and setting the local clock, through a seam that tests can replace.
#include "core/win/local_clock.h"

#include "core/win/precise_wait.h"
#include "core/win/system_library.h"
#include "core/win/wide_text.h"

namespace {

// SYSTEMTIME reaches from 1601 (FILETIME's epoch) to 30827.
constexpr int kFirstSystemTimeYear = 1601;
constexpr int kLastSystemTimeYear = 30827;

using SystemTimeReader = void(WINAPI*)(FILETIME*);

// GetSystemTimePreciseAsFileTime (Windows 8 and later) reads the clock to the microsecond;
// GetSystemTimeAsFileTime only to the last timer tick, up to 15.6 ms old. Looked up at run
// time so that the program still starts on Windows 7.
SystemTimeReader FindSystemTimeReader() {
    const auto precise = SystemLibraryEntry<SystemTimeReader>(GetModuleHandleW(L"kernel32.dll"),
                                                              "GetSystemTimePreciseAsFileTime");
    return precise != nullptr ? precise : &GetSystemTimeAsFileTime;
}

// Found once, before main, and only read afterwards, by any thread.
const SystemTimeReader readSystemTime = FindSystemTimeReader();

void ReadRealUtcFileTime(FILETIME* out) {
    readSystemTime(out);
}

// With the zone's rules for that moment, daylight saving included. Unlike the C runtime, this
// follows the zone Windows is set to now, not one cached at start.
BOOL RealUtcToLocalTime(const SYSTEMTIME* utc, SYSTEMTIME* local) {
    return SystemTimeToTzSpecificLocalTime(nullptr, utc, local);
}

BOOL WriteRealLocalTime(const SYSTEMTIME* time) {
    return SetLocalTime(time);
}

const ClockSeam kRealClock = {ReadRealUtcFileTime, RealUtcToLocalTime, WriteRealLocalTime,
                              MonotonicMs, readSystemTime != &GetSystemTimeAsFileTime};

// Replaced only by tests, before any thread of theirs reads the clock.
ClockSeam activeClock = kRealClock;

// FILETIME counts 100 ns since 1601-01-01; SerialDate days since 1899-12-30.
constexpr long long kFileTimeUnitsPerDay = 864000000000LL;
constexpr long long kFileTimeOfSerialZero = 109205LL * kFileTimeUnitsPerDay;

bool ReadUtc(SYSTEMTIME* out) {
    FILETIME utc{};
    activeClock.ReadUtcFileTime(&utc);
    return FileTimeToSystemTime(&utc, out) != FALSE;
}

std::string LocaleText(LCTYPE item, std::string fallback) {
    wchar_t buffer[16] = {};  // the locale allows at most four characters for a separator
    const int units = GetLocaleInfoW(LOCALE_USER_DEFAULT, item, buffer,
                                     static_cast<int>(sizeof buffer / sizeof buffer[0]));
    if (units <= 1) {
        return fallback;
    }
    return Narrow(std::wstring_view(buffer, static_cast<size_t>(units - 1)));
}

}  // namespace

ClockSeam RealClock() {
    return kRealClock;
}

const ClockSeam& ActiveClock() {
    return activeClock;
}

ClockSeam InstallClock(const ClockSeam& clock) {
    const ClockSeam previous = activeClock;
    activeClock = clock;
    return previous;
}

SerialDate SerialFromSystemTime(const SYSTEMTIME& time) {
    DateTimeFields fields;
    fields.Year = time.wYear;
    fields.Month = time.wMonth;
    fields.Day = time.wDay;
    fields.Hour = time.wHour;
    fields.Minute = time.wMinute;
    fields.Second = time.wSecond;
    fields.Millisecond = time.wMilliseconds;
    return SerialFromFields(fields);
}

SerialDate SerialFromFileTime(const FILETIME& time) {
    const long long units = static_cast<long long>(
        (static_cast<unsigned long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime);
    // Whole days apart first, in integers, so that the division rounds only once.
    const long long sinceSerialZero = units - kFileTimeOfSerialZero;
    const long long days = sinceSerialZero / kFileTimeUnitsPerDay;
    const long long rest = sinceSerialZero % kFileTimeUnitsPerDay;
    return static_cast<double>(days) +
           static_cast<double>(rest) / static_cast<double>(kFileTimeUnitsPerDay);
}

SerialDate CurrentUtcTime() {
    FILETIME utc{};
    activeClock.ReadUtcFileTime(&utc);
    if (utc.dwHighDateTime == 0 && utc.dwLowDateTime == 0) {
        return 0.0;
    }
    return SerialFromFileTime(utc);
}

SerialDate CurrentLocalTime() {
    SYSTEMTIME utc{};
    SYSTEMTIME local{};
    if (!ReadUtc(&utc) || !activeClock.UtcToLocalTime(&utc, &local)) {
        return 0.0;
    }
    return SerialFromSystemTime(local);
}

bool SetLocalClock(const DateTimeFields& fields) {
    if (fields.Month == 0 || fields.Year < kFirstSystemTimeYear ||
        fields.Year > kLastSystemTimeYear) {
        return false;
    }
    SYSTEMTIME time{};
    time.wYear = static_cast<WORD>(fields.Year);
    time.wMonth = static_cast<WORD>(fields.Month);
    time.wDay = static_cast<WORD>(fields.Day);
    time.wHour = static_cast<WORD>(fields.Hour);
    time.wMinute = static_cast<WORD>(fields.Minute);
    time.wSecond = static_cast<WORD>(fields.Second);
    time.wMilliseconds = static_cast<WORD>(fields.Millisecond);
    // Both calls are made whatever the first one says: the second is the one that counts.
    const bool first = activeClock.WriteLocalTime(&time) != FALSE;
    const bool second = activeClock.WriteLocalTime(&time) != FALSE;
    return first && second;
}

ClockReading ReadClock() {
    FILETIME utcTime{};
    activeClock.ReadUtcFileTime(&utcTime);
    SYSTEMTIME utc{};
    SYSTEMTIME local{};
    ClockReading reading;
    if ((utcTime.dwHighDateTime == 0 && utcTime.dwLowDateTime == 0) ||
        !FileTimeToSystemTime(&utcTime, &utc) || !activeClock.UtcToLocalTime(&utc, &local)) {
        return reading;
    }
    reading.Utc = SerialFromFileTime(utcTime);
    reading.ZoneBiasDays = SerialFromSystemTime(local) - SerialFromSystemTime(utc);
    return reading;
}

double CurrentZoneBiasDays() {
    return ReadClock().ZoneBiasDays;
}

DateSeparators UserDateSeparators() {
    DateSeparators separators;
    separators.Time = LocaleText(LOCALE_STIME, separators.Time);
    separators.Date = LocaleText(LOCALE_SDATE, separators.Date);
    return separators;
}

std::string FormatSerialDate(SerialDate date, std::string_view pattern) {
    return FormatSerialDate(date, pattern, UserDateSeparators());
}
