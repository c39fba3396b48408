// Reading and setting the local clock: what is refused, separators, and the real clock read-only.
#include "core/win/local_clock.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/fake_clock.h"

namespace {

// Fields that are no SYSTEMTIME are never handed to Windows.
TEST(SetLocalClock, RefusesFieldsThatAreNoSystemTimeWithoutAnyCall) {
    const SYSTEMTIME start = MakeSystemTime(2026, 12, 7, 23, 59, 58, 789);
    FakeClockScope clock(start);
    const DateTimeFields cases[] = {
        DateTimeFields{},                 // no calendar date
        {1600, 12, 31, 23, 59, 59, 999},  // before FILETIME's epoch
        {30828, 1, 1, 0, 0, 0, 0},        // beyond SYSTEMTIME
    };
    for (const DateTimeFields& fields : cases) {
        EXPECT_FALSE(SetLocalClock(fields)) << fields.Year;
    }
    EXPECT_TRUE(clock.State().Writes.empty());

    clock.State().RefuseWrites = true;
    EXPECT_FALSE(SetLocalClock({2027, 1, 1, 0, 0, 0, 1}));
    EXPECT_EQ(clock.State().Writes.size(), 2u);
    ExpectSameTime(clock.State().Now, start);
}

// Read-only: the real clock, read precisely and converted with Windows' zone rules, agrees
// with GetLocalTime (which may lag by one timer tick on Windows) and carries milliseconds.
TEST(CurrentLocalTime, AgreesWithGetLocalTime) {
    constexpr double kTickDays = 16.0 / 86400e3;
    SYSTEMTIME before{};
    GetLocalTime(&before);
    const SerialDate now = CurrentLocalTime();
    SYSTEMTIME after{};
    GetLocalTime(&after);
    EXPECT_GE(now, SerialFromSystemTime(before) - kTickDays);
    EXPECT_LE(now, SerialFromSystemTime(after) + kTickDays);
}

TEST(FormatSerialDate, WritesTheUsersSeparatorsForColonAndSlash) {
    const DateSeparators separators = UserDateSeparators();
    ASSERT_FALSE(separators.Time.empty());
    ASSERT_FALSE(separators.Date.empty());
    const std::string& t = separators.Time;
    const std::string& d = separators.Date;

    EXPECT_EQ(FormatSerialDate(46363.0 + 1707.0 / 86400.0, "yyyy/mm/dd hh:mm:ss"),
              "2026" + d + "12" + d + "07 00" + t + "28" + t + "27");
}

}  // namespace
