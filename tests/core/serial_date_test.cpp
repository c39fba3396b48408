// Day numbers, times of day, splitting, adding hours, formatting and the network estimate.
#include "core/serial_date.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "core/network_estimate.h"

namespace {

DateTimeFields Fields(int year, int month, int day, int hour = 0, int minute = 0, int second = 0,
                      int millisecond = 0) {
    return {year, month, day, hour, minute, second, millisecond};
}

void ExpectFields(const DateTimeFields& expected, const DateTimeFields& actual) {
    EXPECT_EQ(expected.Year, actual.Year);
    EXPECT_EQ(expected.Month, actual.Month);
    EXPECT_EQ(expected.Day, actual.Day);
    EXPECT_EQ(expected.Hour, actual.Hour);
    EXPECT_EQ(expected.Minute, actual.Minute);
    EXPECT_EQ(expected.Second, actual.Second);
    EXPECT_EQ(expected.Millisecond, actual.Millisecond);
}

constexpr double kMillisecondDays = 1.0 / kMillisecondsPerDay;

TEST(DaySerial, KnownDaysLeapYearsAndRollOver) {
    struct Case {
        int Year, Month, Day;
        long Expected;
    };
    const Case cases[] = {
        {1899, 12, 30, 0},     {1900, 1, 1, 2},      {1900, 2, 28, 60},
        {1900, 3, 1, 61},                            // 1900 is no leap year
        {2000, 2, 29, 36585},  {2000, 3, 1, 36586},  // 2000 is one
        {2100, 3, 1, 73110},   {2100, 2, 28, 73109}, {1994, 11, 6, 34644},
        {2026, 12, 6, 46362},  {2027, 1, 1, 46388},  {1899, 12, 29, -1},
        {2027, 0, 15, 46371},   // month 0: December of the year before
        {2026, 13, 1, 46388},   // month 13: January of the year after
        {2026, 1, 32, 46054},   // 1 Feb 2026
        {2024, 3, 0, 45351},    // 29 Feb 2024
        {2026, 1, 0, 46022},    // 31 Dec 2025
        {2026, -11, 1, 45658},  // 1 Jan 2025
        {2025, 25, 1, 46388},   // 1 Jan 2027
        {2026, 1, -30, 45992},  // 1 Dec 2025
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.Expected, DaySerial(c.Year, c.Month, c.Day))
            << c.Year << "-" << c.Month << "-" << c.Day;
    }
}

// Every day of four centuries, leap rules included, follows its predecessor and splits back.
TEST(DaySerial, ConsecutiveDaysRoundTripThroughSplit) {
    long expected = DaySerial(1600, 1, 1);
    for (int year = 1600; year < 2400; ++year) {
        const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
        const int lengths[] = {31, leap ? 29 : 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
        for (int month = 1; month <= 12; ++month) {
            for (int day = 1; day <= lengths[month - 1]; ++day, ++expected) {
                ASSERT_EQ(expected, DaySerial(year, month, day));
                const DateTimeFields split = SplitSerialDate(static_cast<double>(expected));
                ASSERT_EQ(year, split.Year);
                ASSERT_EQ(month, split.Month);
                ASSERT_EQ(day, split.Day);
            }
        }
    }
}

// Fuzzed header fields reach DaySerial; the sanitizers catch any overflow on the way.
TEST(DaySerial, AbsurdInputsStayOrdered) {
    constexpr int kMax = std::numeric_limits<int>::max();
    constexpr int kMin = std::numeric_limits<int>::min();
    EXPECT_GT(DaySerial(kMax, kMax, kMax), DaySerial(9999, 12, 31));
    EXPECT_LT(DaySerial(kMin, kMin, kMin), DaySerial(1, 1, 1));
    EXPECT_LT(DaySerial(2026, kMin, 1), 0);
    EXPECT_GT(DaySerial(2026, 1, kMax), DaySerial(2026, 1, 1));
}

TEST(TimeOfDayValue, AcceptsClockTimes) {
    struct Case {
        const char* Text;
        int Seconds;
    };
    const Case cases[] = {
        {"08:49:37", 31777},   {"23:59:59", 86399},    {"00:00", 0},          {"8:05", 29100},
        {" 16:28:27 ", 59307}, {"12:00 AM", 0},        {"12:30:15 AM", 1815}, {"12:00 PM", 43200},
        {"1:00 PM", 46800},    {"11:59:59 PM", 86399}, {"07:15am", 26100},    {"12:01 pm", 43260},
    };
    for (const Case& c : cases) {
        EXPECT_DOUBLE_EQ(c.Seconds / kSecondsPerDay, TimeOfDayValue(c.Text)) << c.Text;
    }
}

TEST(TimeOfDayValue, RejectsWhatIsNoClockTime) {
    const char* const texts[] = {"",           "12",       "12:",       ":30",      "12:30:",
                                 "24:00:00",   "23:60",    "23:59:60",  "13:00 PM", "0:30 AM",
                                 "123:00",     "12:345",   "-1:00",     "1a:00",    "12:30:45:00",
                                 "12:30:45.5", "12:30 XM", "12:30 AMX", "16:28:27Z"};
    for (const char* text : texts) {
        EXPECT_EQ(0.0, TimeOfDayValue(text)) << text;
    }
}

TEST(SplitSerialDate, FieldsIncludingHairBelowSecondsAndMidnight) {
    struct Case {
        double Value;
        DateTimeFields Expected;
    };
    const Case cases[] = {
        {46363.01975694444, Fields(2026, 12, 7, 0, 28, 27)},
        {34644.367789351854, Fields(1994, 11, 6, 8, 49, 37)},
        {0.5 - 1e-12, Fields(1899, 12, 30, 12, 0, 0)},
        {46363.0 + 59.0 / kSecondsPerDay - 1e-12, Fields(2026, 12, 7, 0, 0, 59)},
        // Less than the epsilon below midnight: the next day, never hour 24 of this one.
        {46363.0 - 1e-10, Fields(2026, 12, 7)},
        {46363.0 - 9e-10, Fields(2026, 12, 7)},
        {46363.0 - 2e-9, Fields(2026, 12, 6, 23, 59, 59, 999)},
        {46387.99999999999, Fields(2027, 1, 1)},
        {-0.75, Fields(1899, 12, 29, 6, 0, 0)},
        {-1e-20, Fields(1899, 12, 30)},
        // Milliseconds: exact, a hair below one counts as it, and carries run to the year.
        {SerialFromFields(Fields(2026, 12, 7, 0, 28, 27, 123)),
         Fields(2026, 12, 7, 0, 28, 27, 123)},
        {SerialFromFields(Fields(2026, 12, 7, 23, 59, 59, 999)),
         Fields(2026, 12, 7, 23, 59, 59, 999)},
        {46363.0 + 124 * kMillisecondDays - 1e-12, Fields(2026, 12, 7, 0, 0, 0, 124)},
        {46363.0 + 124 * kMillisecondDays - 2e-9, Fields(2026, 12, 7, 0, 0, 0, 123)},
        {46363.0 + 1000 * kMillisecondDays - 1e-12, Fields(2026, 12, 7, 0, 0, 1, 0)},
        {46363.0 + 60000 * kMillisecondDays - 1e-12, Fields(2026, 12, 7, 0, 1, 0, 0)},
        {46357.0 - 1e-12, Fields(2026, 12, 1)},  // into the next month
        {46388.0 - 1e-10, Fields(2027, 1, 1)},   // and year
        // Before day 0: the fraction still counts forward from the start of its day.
        {-0.75 + 500 * kMillisecondDays, Fields(1899, 12, 29, 6, 0, 0, 500)},
        {-0.5 * kMillisecondDays, Fields(1899, 12, 29, 23, 59, 59, 999)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Value);
        ExpectFields(c.Expected, SplitSerialDate(c.Value));
    }
}

TEST(SplitSerialDate, NoCalendarDateGivesZeroFields) {
    const double values[] = {std::numeric_limits<double>::quiet_NaN(),
                             std::numeric_limits<double>::infinity(),
                             -std::numeric_limits<double>::infinity(), 1e300, -1e12};
    for (double value : values) {
        SCOPED_TRACE(value);
        ExpectFields(DateTimeFields{}, SplitSerialDate(value));
        EXPECT_EQ("", FormatSerialDate(value, "yyyy", DateSeparators{}));
        EXPECT_EQ(0.0, AddHours(8, value));
    }
}

TEST(AddHours, WholeHoursCarryAcrossDays) {
    const double utc = DaySerial(2026, 12, 6) + 59307 / kSecondsPerDay;  // 16:28:27
    ASSERT_EQ(46362.686423611114, utc);
    struct Case {
        double Hours;
        double Date;
        DateTimeFields Expected;
    };
    const Case cases[] = {
        {8, utc, Fields(2026, 12, 7, 0, 28, 27)},
        {8.9, utc, Fields(2026, 12, 7, 0, 28, 27)},  // the fraction of an hour is dropped
        {-8.9, utc, Fields(2026, 12, 6, 8, 28, 27)},
        {0.99, utc, Fields(2026, 12, 6, 16, 28, 27)},
        {-1, 46388.0, Fields(2026, 12, 31, 23, 0, 0)},
        {48, 46387.5, Fields(2027, 1, 2, 12, 0, 0)},
        {8, 46387.99999999999, Fields(2027, 1, 1, 8, 0, 0)},
        {8, utc + 500 * kMillisecondDays, Fields(2026, 12, 7, 0, 28, 27, 500)},
        {8, 46388.0 - kMillisecondDays, Fields(2027, 1, 1, 7, 59, 59, 999)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Hours);
        ExpectFields(c.Expected, SplitSerialDate(AddHours(c.Hours, c.Date)));
    }
    EXPECT_EQ(46363.01975694444, AddHours(8, utc));
    EXPECT_TRUE(std::isfinite(AddHours(1e300, utc)));
}

TEST(FormatSerialDate, PatternsAndSeparators) {
    const double networkTime = 46363.01975694444;  // 2026-12-07 00:28:27
    struct Case {
        double Date;
        const char* Pattern;
        DateSeparators Separators;
        const char* Expected;
    };
    const Case cases[] = {
        {networkTime, "yyyy-mm-dd hh:mm:ss", {}, "2026-12-07 00:28:27"},
        {networkTime, "yyyy-mm-dd hh:mm:ss", {".", "/"}, "2026-12-07 00.28.27"},
        {networkTime, "yyyy/mm/dd", {":", "-"}, "2026-12-07"},
        {networkTime, "dd/mm/yyyy hh:mm", {"时", "年"}, "07年12年2026 00时28"},
        {networkTime, "hh mm", {}, "00 28"},
        {networkTime, "hh dd mm ss mm", {}, "00 07 12 27 12"},  // minute only right after hh
        {networkTime, "Day y m d", {}, "Day y m d"},
        {46363.0 - 1e-10, "yyyy-mm-dd hh:mm:ss", {}, "2026-12-07 00:00:00"},
        {46363.0 - kMillisecondDays, "yyyy-mm-dd hh:mm:ss", {}, "2026-12-06 23:59:59"},
        {-397319.0, "yyyy-mm-dd", {}, "0812-03-04"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.Expected, FormatSerialDate(c.Date, c.Pattern, c.Separators)) << c.Pattern;
    }
}

// One exchange: network time = header + 0.5 s + 8 h, offset = header + 0.5 s - the computer's
// UTC halfway between the stamps; later the clock is set to the network time of its UTC then.
// The computer's stamps are written as its wall clock in UTC+8.
TEST(NetworkEstimate, OffsetFromTheMiddleOfTheExchangeAndCorrectedClock) {
    struct Case {
        const char* Name;
        DateTimeFields Utc, LocalBeforeSend, LocalAfterRead;
        DateTimeFields Network;
        double ExpectedOffsetMs;
        DateTimeFields LocalAtCorrection, CorrectedClock;
    };
    const Case cases[] = {
        {"UTC+8 machine, seven hours slow", Fields(2026, 12, 6, 16, 28, 27),
         Fields(2026, 12, 6, 17, 28, 27, 500), Fields(2026, 12, 6, 17, 28, 27, 500),
         Fields(2026, 12, 7, 0, 28, 27, 500), 7 * 3600e3, Fields(2026, 12, 6, 17, 30, 0, 250),
         Fields(2026, 12, 7, 0, 30, 0, 250)},
        {"UTC+8 machine, 90 s slow, 200 ms round trip", Fields(2026, 12, 6, 16, 28, 27),
         Fields(2026, 12, 7, 0, 26, 57, 400), Fields(2026, 12, 7, 0, 26, 57, 600),
         Fields(2026, 12, 7, 0, 28, 27, 500), 90e3, Fields(2026, 12, 7, 0, 27, 0, 0),
         Fields(2026, 12, 7, 0, 28, 30, 0)},
        {"UTC+8 machine, 550 ms slow, odd midpoint", Fields(2026, 12, 6, 16, 28, 27),
         Fields(2026, 12, 7, 0, 28, 26, 900), Fields(2026, 12, 7, 0, 28, 27, 1),
         Fields(2026, 12, 7, 0, 28, 27, 500), 549.5, Fields(2026, 12, 7, 0, 28, 59, 451),
         Fields(2026, 12, 7, 0, 29, 0, 0)},
        {"UTC+8 machine, 2.25 s fast", Fields(2026, 12, 6, 16, 28, 27),
         Fields(2026, 12, 7, 0, 28, 29, 700), Fields(2026, 12, 7, 0, 28, 29, 800),
         Fields(2026, 12, 7, 0, 28, 27, 500), -2250, Fields(2027, 1, 1, 0, 0, 1, 0),
         Fields(2026, 12, 31, 23, 59, 58, 750)},
        {"UTC+8 machine, exchange across the year end", Fields(2026, 12, 31, 15, 59, 59),
         Fields(2026, 12, 31, 23, 59, 59, 900), Fields(2027, 1, 1, 0, 0, 0, 100),
         Fields(2026, 12, 31, 23, 59, 59, 500), -500, Fields(2027, 1, 1, 0, 0, 0, 0),
         Fields(2026, 12, 31, 23, 59, 59, 500)},
        // The sum lands a hair short of midnight: the corrected clock must still read
        // 00:00:00.000 of the new year, not 23:59:59.999 or hour 24 of 31 December.
        {"UTC+8 machine, 90 s slow, corrected at midnight", Fields(2026, 12, 30, 16, 1, 31),
         Fields(2026, 12, 31, 0, 0, 1, 500), Fields(2026, 12, 31, 0, 0, 1, 500),
         Fields(2026, 12, 31, 0, 1, 31, 500), 90e3, Fields(2026, 12, 31, 23, 58, 30, 0),
         Fields(2027, 1, 1, 0, 0, 0, 0)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        const auto utc = [](const DateTimeFields& utc8) {
            return SerialFromFields(utc8) - 8 / 24.0;
        };
        const NetworkEstimate estimate = EstimateNetworkTime(
            {SerialFromFields(c.Utc), utc(c.LocalBeforeSend), utc(c.LocalAfterRead)});
        ExpectFields(c.Network, SplitSerialDate(estimate.NetworkTime));
        EXPECT_NEAR(estimate.OffsetDays * kMillisecondsPerDay, c.ExpectedOffsetMs, 1e-3);
        ExpectFields(c.CorrectedClock,
                     SplitSerialDate(NetworkTimeAt(utc(c.LocalAtCorrection), estimate.OffsetDays)));
    }
}

}  // namespace
