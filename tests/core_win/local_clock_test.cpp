// Reading and setting the local clock: fields kept, separators, and the real clock read-only.
#include "core/win/local_clock.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "tests/support/fake_clock.h"

namespace {

void ExpectSameTime(const SYSTEMTIME& actual, const SYSTEMTIME& expected) {
    EXPECT_EQ(actual.wYear, expected.wYear);
    EXPECT_EQ(actual.wMonth, expected.wMonth);
    EXPECT_EQ(actual.wDay, expected.wDay);
    EXPECT_EQ(actual.wHour, expected.wHour);
    EXPECT_EQ(actual.wMinute, expected.wMinute);
    EXPECT_EQ(actual.wSecond, expected.wSecond);
    EXPECT_EQ(actual.wMilliseconds, expected.wMilliseconds);
}

struct SetCase {
    const char* Name;
    std::function<bool()> Change;
    SYSTEMTIME Expected;
};

const SYSTEMTIME kStart = MakeSystemTime(2026, 12, 7, 23, 59, 58, 789);

class SetLocalFields : public testing::TestWithParam<SetCase> {};

TEST_P(SetLocalFields, ReplaceOnlyTheirFieldsAndKeepTheMilliseconds) {
    FakeClockScope clock(kStart);

    EXPECT_TRUE(GetParam().Change());

    ASSERT_EQ(clock.State().Writes.size(), 1u);
    ExpectSameTime(clock.State().Writes[0], GetParam().Expected);
}

TEST_P(SetLocalFields, ReportARefusedChange) {
    FakeClockScope clock(kStart);
    clock.State().RefuseWrites = true;

    EXPECT_FALSE(GetParam().Change());
    ExpectSameTime(clock.State().Now, kStart);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, SetLocalFields,
    testing::Values(SetCase{"Date", [] { return SetLocalDate(2027, 1, 1); },
                            MakeSystemTime(2027, 1, 1, 23, 59, 58, 789)},
                    SetCase{"LeapDay", [] { return SetLocalDate(2028, 2, 29); },
                            MakeSystemTime(2028, 2, 29, 23, 59, 58, 789)},
                    SetCase{"TimeOfDay", [] { return SetLocalTimeOfDay(0, 0, 1); },
                            MakeSystemTime(2026, 12, 7, 0, 0, 1, 789)}),
    [](const testing::TestParamInfo<SetCase>& info) { return std::string(info.param.Name); });

// Read-only: the C runtime's localtime and Windows' GetLocalTime must agree on the zone.
TEST(CurrentLocalTime, AgreesWithGetLocalTimeToTheSecond) {
    for (int attempt = 0; attempt < 5; ++attempt) {
        SYSTEMTIME before{};
        GetLocalTime(&before);
        const DateTimeFields now = SplitSerialDate(CurrentLocalTime());
        SYSTEMTIME after{};
        GetLocalTime(&after);
        if (before.wSecond != after.wSecond) {
            continue;  // a second boundary fell between the readings: read again
        }
        EXPECT_EQ(now.Year, after.wYear);
        EXPECT_EQ(now.Month, after.wMonth);
        EXPECT_EQ(now.Day, after.wDay);
        EXPECT_EQ(now.Hour, after.wHour);
        EXPECT_EQ(now.Minute, after.wMinute);
        EXPECT_EQ(now.Second, after.wSecond);
        return;
    }
    FAIL() << "no stable second in five attempts";
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
