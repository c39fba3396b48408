// Reading, formatting and setting the local clock, through a seam that tests can replace.
#include "core/win/local_clock.h"

#include <ctime>

#include "core/win/wide_text.h"

namespace {

// msvcrt keeps localtime's result per thread, so the measuring threads may call it at once.
SerialDate ReadRealSerial() {
    const time_t now = time(nullptr);
    if (now == static_cast<time_t>(-1)) {
        return 0.0;
    }
    const tm* local = localtime(&now);
    if (local == nullptr) {
        return 0.0;
    }
    DateTimeFields fields;
    fields.Year = local->tm_year + 1900;
    fields.Month = local->tm_mon + 1;
    fields.Day = local->tm_mday;
    fields.Hour = local->tm_hour;
    fields.Minute = local->tm_min;
    fields.Second = local->tm_sec;
    return SerialFromFields(fields);
}

BOOL ReadRealSystemTime(SYSTEMTIME* out) {
    GetLocalTime(out);
    return TRUE;
}

BOOL WriteRealSystemTime(const SYSTEMTIME* time) {
    return SetLocalTime(time);
}

constexpr ClockSeam kRealClock = {ReadRealSerial, ReadRealSystemTime, WriteRealSystemTime};

// Replaced only by tests, before any thread of theirs reads the clock.
ClockSeam activeClock = kRealClock;

// Reads the clock, lets change() replace some fields and writes the rest back as read.
template <typename Change>
bool RewriteLocalTime(Change change) {
    SYSTEMTIME time{};
    if (!activeClock.ReadSystemTime(&time)) {
        return false;
    }
    change(time);
    return activeClock.WriteSystemTime(&time) != FALSE;
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

ClockSeam InstallClock(const ClockSeam& clock) {
    const ClockSeam previous = activeClock;
    activeClock = clock;
    return previous;
}

SerialDate CurrentLocalTime() {
    return activeClock.ReadSerial();
}

bool SetLocalDate(int year, int month, int day) {
    return RewriteLocalTime([&](SYSTEMTIME& time) {
        time.wYear = static_cast<WORD>(year);
        time.wMonth = static_cast<WORD>(month);
        time.wDay = static_cast<WORD>(day);
    });
}

bool SetLocalTimeOfDay(int hour, int minute, int second) {
    return RewriteLocalTime([&](SYSTEMTIME& time) {
        time.wHour = static_cast<WORD>(hour);
        time.wMinute = static_cast<WORD>(minute);
        time.wSecond = static_cast<WORD>(second);
    });
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
