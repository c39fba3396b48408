// Measuring the offset, correcting the clock with a fake clock, one silent correction at a time,
// and the choice of mode.
#include "core/win/silent_correction.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "core/network_state.h"
#include "core/win/program_arguments.h"
#include "tests/support/fake_clock.h"
#include "tests/support/loopback_http_server.h"
#include "tests/support/stdout_capture.h"

namespace {

// 2026-12-06 16:28:27 UTC, which is 2026-12-07 00:28:27 in UTC+8.
constexpr SerialDate kFetchedUtc = 46362.0 + 59307.0 / 86400.0;
constexpr SerialDate kNetworkTime = 46363.0 + 1707.0 / 86400.0;
constexpr double kMillisecondDays = 1.0 / 86400e3;

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
    SYSTEMTIME UtcBeforeSend, UtcAfterRead;  // the computer's clock
    double ExpectedOffsetSeconds;
};

class Measurement : public NetworkStateTest, public testing::WithParamInterface<MeasureCase> {};

// The header's second is taken at its middle and the computer's UTC halfway through the
// exchange.
TEST_P(Measurement, StoresNetworkTimeAndItsOffsetFromTheComputersUtc) {
    EXPECT_TRUE(
        StoreNetworkMeasurement({kFetchedUtc, SerialFromSystemTime(GetParam().UtcBeforeSend),
                                 SerialFromSystemTime(GetParam().UtcAfterRead)}));

    EXPECT_NEAR(NetworkTime.load(), kNetworkTime + 500 * kMillisecondDays, 1e-9);
    EXPECT_NEAR(NetworkOffset.load() * 86400.0, GetParam().ExpectedOffsetSeconds, 1e-6);
}

INSTANTIATE_TEST_SUITE_P(
    Zones, Measurement,
    testing::Values(MeasureCase{"Right", MakeSystemTime(2026, 12, 6, 16, 28, 27, 500),
                                MakeSystemTime(2026, 12, 6, 16, 28, 27, 500), 0.0},
                    MeasureCase{"NinetySecondsSlow", MakeSystemTime(2026, 12, 6, 16, 26, 57, 400),
                                MakeSystemTime(2026, 12, 6, 16, 26, 57, 800), 89.9},
                    MeasureCase{"SevenHoursSlowOneSecondRoundTrip",
                                MakeSystemTime(2026, 12, 6, 9, 28, 27, 0),
                                MakeSystemTime(2026, 12, 6, 9, 28, 28, 0), 7 * 3600.0}),
    [](const testing::TestParamInfo<MeasureCase>& info) { return std::string(info.param.Name); });

TEST_F(NetworkStateTest, FailedMeasurementClearsNetworkTimeAndKeepsTheOffset) {
    const SerialDate local = SerialFromSystemTime(MakeSystemTime(2026, 12, 7, 0, 26, 57, 0));
    ASSERT_TRUE(StoreNetworkMeasurement({kFetchedUtc, local, local}));
    const double offset = NetworkOffset.load();

    // No answer, or an answer without the local clock around it.
    for (const NetworkReading& failed : {NetworkReading{}, NetworkReading{kFetchedUtc, 0.0, local},
                                         NetworkReading{kFetchedUtc, local, 0.0}}) {
        NetworkTime = 1.0;
        EXPECT_FALSE(StoreNetworkMeasurement(failed));
        EXPECT_EQ(NetworkTime.load(), 0.0);
        EXPECT_EQ(NetworkOffset.load(), offset);
    }
}

struct CorrectionCase {
    const char* Name;
    SYSTEMTIME LocalClock;
    double OffsetDays;
    SYSTEMTIME Expected;   // what both SetLocalTime calls are given
    bool Refused = false;  // SetLocalTime refuses: asked twice all the same
};

class Correction : public NetworkStateTest, public testing::WithParamInterface<CorrectionCase> {};

// The clock moves on 700 ms per read: only a correction made from one reading gives the
// expected value, and the same one twice. The computer is in UTC+8, the network's zone.
TEST_P(Correction, SetsEveryFieldFromOneReadingWithTwoIdenticalCalls) {
    const CorrectionCase& c = GetParam();
    FakeClockScope clock(c.LocalClock);
    clock.State().ZoneBiasMinutes = 8 * 60;
    clock.State().MillisecondsPerRead = 700;
    clock.State().RefuseWrites = c.Refused;
    NetworkOffset = c.OffsetDays;

    const ClockCorrection correction = CorrectLocalClock();

    EXPECT_EQ(clock.State().Reads, 1);
    EXPECT_EQ(correction.Accepted, !c.Refused);
    EXPECT_EQ(correction.Error, c.Refused ? static_cast<DWORD>(ERROR_PRIVILEGE_NOT_HELD) : 0u);
    EXPECT_NEAR(correction.ChangeSeconds, c.OffsetDays * 86400.0, 1e-6);
    const std::vector<SYSTEMTIME>& writes = clock.State().Writes;
    ASSERT_EQ(writes.size(), 2u);
    for (const SYSTEMTIME& write : writes) {
        ExpectSameTime(write, c.Expected);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Offsets, Correction,
    testing::Values(
        CorrectionCase{"NoOffsetRewritesOwnReading", MakeSystemTime(2026, 12, 7, 10, 0, 0, 123),
                       0.0, MakeSystemTime(2026, 12, 7, 10, 0, 0, 123)},
        CorrectionCase{"SlowByNinetySecondsAndAQuarter",
                       MakeSystemTime(2026, 12, 7, 0, 26, 57, 640), 90250 * kMillisecondDays,
                       MakeSystemTime(2026, 12, 7, 0, 28, 27, 890)},
        // Seven hours slow in the evening: the network date is already tomorrow.
        CorrectionCase{"SevenHoursIntoTomorrow", MakeSystemTime(2026, 12, 7, 20, 0, 0, 250),
                       7.0 / 24.0, MakeSystemTime(2026, 12, 8, 3, 0, 0, 250)},
        // Milliseconds carry back across the year end.
        CorrectionCase{"FastAcrossTheYearEnd", MakeSystemTime(2027, 1, 1, 0, 0, 0, 500),
                       -750 * kMillisecondDays, MakeSystemTime(2026, 12, 31, 23, 59, 59, 750)},
        CorrectionCase{"RefusedIsStillAskedTwice", MakeSystemTime(2026, 12, 7, 20, 0, 0, 0),
                       7.0 / 24.0, MakeSystemTime(2026, 12, 8, 3, 0, 0, 0), true}),
    [](const testing::TestParamInfo<CorrectionCase>& info) {
        return std::string(info.param.Name);
    });

// Mutex ownership belongs to a thread, so a second thread stands in for a second instance.
TEST(SilentCorrectionTurn, OneHolderAtATimeAndAnEndedHolderIsTakenOver) {
    const HANDLE taken = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    const HANDLE finish = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ASSERT_NE(taken, nullptr);
    ASSERT_NE(finish, nullptr);
    std::atomic<bool> otherTook{false};
    std::thread other([&] {
        otherTook = TakeSilentCorrectionTurn();
        SetEvent(taken);
        WaitForSingleObject(finish, 10000);
    });  // ends without giving the turn back
    WaitForSingleObject(taken, 10000);

    EXPECT_TRUE(otherTook.load());
    EXPECT_FALSE(TakeSilentCorrectionTurn());
    SetEvent(finish);
    other.join();
    EXPECT_TRUE(TakeSilentCorrectionTurn());

    CloseHandle(taken);
    CloseHandle(finish);
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

// Something else sets the clock while the silent mode measures (Windows' own time service at
// logon): the offset was measured against the clock before that, so it measures again. Each
// connection answers with one fixed Date; the fake clock moves 250 ms a read, and steps once
// right after the first answer was read.
TEST(SilentCorrection, MeasuresAgainWhenTheClockWasSetMeanwhile) {
    const struct {
        const char* Name;
        int StepMs;
        size_t Gets;
    } cases[] = {{"left alone", 0, 1}, {"set by 40 ms", 40, 1}, {"set by 3 s", 3000, 2}};
    for (const auto& c : cases) {
        LoopbackHttpServer server(std::vector<ConnectionScript>(
            40, Answer("HTTP/1.0 200 OK\r\nDate: Sun, 06 Dec 2099 16:28:27 GMT\r\n\r\n")));
        ASSERT_TRUE(server.Listening());
        StdoutCapture output;
        FakeClockScope clock(MakeSystemTime(2026, 12, 7, 0, 28, 27, 0));
        clock.State().MillisecondsPerRead = 250;
        clock.State().StepAtRead = 3;  // the stamps' anchor, the send, the answer
        clock.State().StepMs = c.StepMs;
        RecordProgramArguments({L"1"});
        const std::string_view sources[] = {"http://127.0.0.1/"};

        const SilentCorrectionReport report = SilentCorrectionFrom({sources, server.Port()});

        RecordProgramArguments({});
        EXPECT_EQ(report.Result, SilentCorrectionReport::Outcome::Corrected) << c.Name;
        size_t gets = 0;
        for (const std::string& request : server.Requests()) {
            gets += request.rfind("GET ", 0) == 0 ? 1 : 0;
        }
        EXPECT_EQ(gets, c.Gets) << c.Name;
    }
}

}  // namespace
