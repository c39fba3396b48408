// Measuring the offset and correcting the clock, with a fake clock; the choice of mode.
#include "core/win/silent_correction.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/network_state.h"
#include "core/win/program_arguments.h"
#include "tests/support/fake_clock.h"

namespace {

// 2026-12-06 16:28:27 UTC, which is 2026-12-07 00:28:27 in UTC+8.
constexpr SerialDate kFetchedUtc = 46362.0 + 59307.0 / 86400.0;
constexpr SerialDate kNetworkTime = 46363.0 + 1707.0 / 86400.0;

class NetworkStateTest : public testing::Test {
protected:
    void SetUp() override {
        NetworkTime = 0.0;
        NetworkOffset = 0.0;
    }
    void TearDown() override { SetUp(); }
};

struct MeasureCase {
    const char* Name;
    SYSTEMTIME LocalClock;
    double ExpectedOffsetSeconds;
};

class Measurement : public NetworkStateTest, public testing::WithParamInterface<MeasureCase> {};

TEST_P(Measurement, StoresNetworkTimeAndItsOffsetFromTheLocalClock) {
    FakeClockScope clock(GetParam().LocalClock);

    EXPECT_TRUE(StoreNetworkMeasurement(kFetchedUtc));

    EXPECT_NEAR(NetworkTime.load(), kNetworkTime, 1e-9);
    EXPECT_NEAR(NetworkOffset.load() * 86400.0, GetParam().ExpectedOffsetSeconds, 1e-3);
}

INSTANTIATE_TEST_SUITE_P(
    Zones, Measurement,
    testing::Values(
        MeasureCase{"Utc8Right", MakeSystemTime(2026, 12, 7, 0, 28, 27, 500), 0.0},
        MeasureCase{"Utc8NinetySecondsSlow", MakeSystemTime(2026, 12, 7, 0, 26, 57, 500), 90.0},
        MeasureCase{"Utc1Right", MakeSystemTime(2026, 12, 6, 17, 28, 27, 500), 7 * 3600.0}),
    [](const testing::TestParamInfo<MeasureCase>& info) { return std::string(info.param.Name); });

TEST_F(NetworkStateTest, FailedMeasurementClearsNetworkTimeAndKeepsTheOffset) {
    FakeClockScope clock(MakeSystemTime(2026, 12, 7, 0, 26, 57, 0));
    ASSERT_TRUE(StoreNetworkMeasurement(kFetchedUtc));
    const double offset = NetworkOffset.load();

    EXPECT_FALSE(StoreNetworkMeasurement(0.0));

    EXPECT_EQ(NetworkTime.load(), 0.0);
    EXPECT_EQ(NetworkOffset.load(), offset);
}

struct CorrectionCase {
    const char* Name;
    SYSTEMTIME LocalClock;
    double OffsetDays;
    SYSTEMTIME DateWrite;  // first SetLocalTime: the date changed, the clock's time of day kept
    SYSTEMTIME TimeWrite;  // second: the time of day changed, the date just written kept
};

class Correction : public NetworkStateTest, public testing::WithParamInterface<CorrectionCase> {};

TEST_P(Correction, SetsTheDateThenTheTimeOfDayAndKeepsTheMilliseconds) {
    const CorrectionCase& c = GetParam();
    FakeClockScope clock(c.LocalClock);
    NetworkOffset = c.OffsetDays;

    CorrectLocalClock();

    const std::vector<SYSTEMTIME>& writes = clock.State().Writes;
    ASSERT_EQ(writes.size(), 2u);
    const SYSTEMTIME expected[] = {c.DateWrite, c.TimeWrite};
    for (size_t index = 0; index < 2; ++index) {
        SCOPED_TRACE(index == 0 ? "date write" : "time write");
        EXPECT_EQ(writes[index].wYear, expected[index].wYear);
        EXPECT_EQ(writes[index].wMonth, expected[index].wMonth);
        EXPECT_EQ(writes[index].wDay, expected[index].wDay);
        EXPECT_EQ(writes[index].wHour, expected[index].wHour);
        EXPECT_EQ(writes[index].wMinute, expected[index].wMinute);
        EXPECT_EQ(writes[index].wSecond, expected[index].wSecond);
        EXPECT_EQ(writes[index].wMilliseconds, expected[index].wMilliseconds);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Offsets, Correction,
    testing::Values(
        CorrectionCase{"NoOffsetRewritesOwnReading", MakeSystemTime(2026, 12, 7, 10, 0, 0, 123),
                       0.0, MakeSystemTime(2026, 12, 7, 10, 0, 0, 123),
                       MakeSystemTime(2026, 12, 7, 10, 0, 0, 123)},
        CorrectionCase{"NinetySecondsSlow", MakeSystemTime(2026, 12, 7, 0, 26, 57, 640),
                       90.0 / 86400.0, MakeSystemTime(2026, 12, 7, 0, 26, 57, 640),
                       MakeSystemTime(2026, 12, 7, 0, 28, 27, 640)},
        // UTC+1 evening: the network date is already tomorrow.
        CorrectionCase{"SevenHoursIntoTomorrow", MakeSystemTime(2026, 12, 7, 20, 0, 0, 250),
                       7.0 / 24.0, MakeSystemTime(2026, 12, 8, 20, 0, 0, 250),
                       MakeSystemTime(2026, 12, 8, 3, 0, 0, 250)},
        // A sum a floating-point hair below midnight is midnight of the next day, not 24:00.
        CorrectionCase{"HairBelowMidnightCarries", MakeSystemTime(2026, 12, 31, 12, 0, 0, 500),
                       0.5 - 1e-12, MakeSystemTime(2027, 1, 1, 12, 0, 0, 500),
                       MakeSystemTime(2027, 1, 1, 0, 0, 0, 500)}),
    [](const testing::TestParamInfo<CorrectionCase>& info) {
        return std::string(info.param.Name);
    });

TEST_F(NetworkStateTest, CorrectionTakesTheTimeOfDayFromASecondReading) {
    FakeClockScope clock(MakeSystemTime(2026, 12, 7, 10, 0, 0, 0));
    clock.State().SecondsPerSerialRead = 1;  // the clock moves on one second per reading

    CorrectLocalClock();

    EXPECT_EQ(clock.State().SerialReads, 2);
    ASSERT_EQ(clock.State().Writes.size(), 2u);
    EXPECT_EQ(clock.State().Writes[1].wSecond, 1);
}

TEST_F(NetworkStateTest, RefusedDateStillLeadsToTheTimeOfDayAttempt) {
    FakeClockScope clock(MakeSystemTime(2026, 12, 7, 20, 0, 0, 0));
    clock.State().RefuseWrites = true;
    NetworkOffset = 7.0 / 24.0;

    CorrectLocalClock();

    ASSERT_EQ(clock.State().Writes.size(), 2u);
    EXPECT_EQ(clock.State().Writes[1].wHour, 3);
}

struct ArgumentsCase {
    const char* Name;
    std::vector<std::wstring> Arguments;
    std::wstring Joined;
    bool Silent;
};

class SilentMode : public testing::TestWithParam<ArgumentsCase> {
protected:
    void TearDown() override { RecordProgramArguments({}); }
};

TEST_P(SilentMode, IsChosenByAnyArgumentText) {
    RecordProgramArguments(GetParam().Arguments);
    EXPECT_EQ(JoinedProgramArguments(), GetParam().Joined);
    EXPECT_EQ(SilentModeRequested(), GetParam().Silent);
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, SilentMode,
    testing::Values(ArgumentsCase{"None", {}, L"", false},
                    ArgumentsCase{"OneEmpty", {L""}, L"", false},
                    ArgumentsCase{"Autostart", {L"1"}, L"1", true},
                    ArgumentsCase{"SeveralJoinedByBlanks", {L"a", L"b c"}, L"a b c", true},
                    ArgumentsCase{"TwoEmptyMakeABlank", {L"", L""}, L" ", true}),
    [](const testing::TestParamInfo<ArgumentsCase>& info) { return std::string(info.param.Name); });

}  // namespace
