// The main form's controller: read-outs, measurement workers and the correct-now button,
// on a stand-in form with a fake clock and a fake measurement (no network, no host clock).
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <string>

#include "app/win/measurement_worker.h"
#include "core/network_state.h"
#include "core/win/local_clock.h"
#include "core/win/silent_correction.h"
#include "app/main_form_design.h"
#include "app/win/main_form_controller.h"
#include "app/win/main_form_controls.h"
#include "app/autostart/event_entries.h"
#include "core/win/wide_text.h"
#include "tests/app_win/message_box_watcher.h"
#include "tests/app_win/test_form.h"
#include "tests/support/fake_clock.h"

namespace {

constexpr double kHourDays = 1.0 / 24.0;
constexpr double kSecondDays = 1.0 / 86400.0;

// The fake measurement's script and what it saw; workers read and write it.
struct FakeMeasurement {
    std::atomic<bool> Registered{false};
    std::atomic<bool> SourceAnswers{true};
    std::atomic<HANDLE> Gate{nullptr};  // when set, each measurement waits for it
    std::atomic<int> Calls{0};
    std::atomic<int> Running{0};      // measurements under way now
    std::atomic<int> MostRunning{0};  // and the most there ever were at once
    std::atomic<double> OffsetAtStart{-1.0};
    std::atomic<bool> ButtonEnabledAtStart{true};
    std::atomic<double> NarrowedWidthMs{0.0};  // 0: the narrowing keeps the first answer
    std::atomic<double> NarrowedCentreMs{0.0};
};
FakeMeasurement fake;

// A computer in UTC+1 whose clock is right: the source's UTC time is the computer's, so the
// offset is 0 and the network time (UTC+8) is seven hours ahead of the local clock.
SerialDate SourceUtc() {
    DateTimeFields utc;
    utc.Year = 2026;
    utc.Month = 12;
    utc.Day = 6;
    utc.Hour = 23;
    utc.Minute = 28;
    utc.Second = 27;
    return SerialFromFields(utc);
}

bool FakeIsAutostartRegistered() {
    return fake.Registered.load();
}

NetworkMeasurement FakeMeasure(const MeasurementObserver& observer) {
    fake.Calls.fetch_add(1);
    const int running = fake.Running.fetch_add(1) + 1;
    fake.MostRunning.store(std::max(fake.MostRunning.load(), running));
    fake.OffsetAtStart.store(NetworkOffset.load());
    fake.ButtonEnabledAtStart.store(IsWindowEnabled(ControlWindows.CorrectNowButton) != FALSE);
    if (HANDLE gate = fake.Gate.load()) {
        WaitForSingleObject(gate, 10000);
    }
    fake.Running.fetch_sub(1);
    // The middle of the header's second, 23:28:27.500 UTC, is the fake clock's time in UTC+1:
    // the offset is exactly 0.
    const SerialDate utc = CurrentUtcTime();
    const NetworkReading first{fake.SourceAnswers.load() ? SourceUtc() : 0.0, utc, utc};
    const double widthDays = fake.NarrowedWidthMs.load() / 86400e3;
    const double centreDays = fake.NarrowedCentreMs.load() / 86400e3;
    return MeasuredFrom(first,
                        widthDays == 0.0
                            ? BoundsOfAnswer(first)
                            : OffsetBounds{centreDays - widthDays / 2, centreDays + widthDays / 2},
                        observer);
}

std::string Timed(const char* date, int hour, int minute, int second) {
    char clock[16];
    const std::string separator = UserDateSeparators().Time;
    snprintf(clock, sizeof clock, "%02d%s%02d%s%02d", hour, separator.c_str(), minute,
             separator.c_str(), second);
    return std::string(date) + " " + clock;
}

class ControllerTest : public testing::Test {
protected:
    ControllerTest() : clock_(MakeSystemTime(2026, 12, 7, 0, 28, 27, 500)) {
        clock_.State().ZoneBiasMinutes = 60;
    }

    void SetUp() override {
        previousSeam_ = InstallMeasurement({&FakeIsAutostartRegistered, &FakeMeasure});
        fake.Registered = false;
        fake.SourceAnswers = true;
        fake.Gate = nullptr;
        fake.Calls = 0;
        fake.MostRunning = 0;
        fake.NarrowedWidthMs = 0.0;
        NetworkTime = 0.0;
        NetworkOffset = 0.0;
    }

    void TearDown() override {
        if (HANDLE gate = fake.Gate.exchange(nullptr)) {
            SetEvent(gate);
        }
        // A worker still trying is answered at once, and ends.
        fake.SourceAnswers = true;
        if (RunningMeasurementWorkers() > 0) {
            RequestMeasurement(form_.Form());
        }
        EXPECT_TRUE(WaitForWorkers());
        EXPECT_EQ(fake.MostRunning.load(), fake.Calls.load() > 0 ? 1 : 0) << "one at a time";
        InstallMeasurement(previousSeam_);
        NetworkTime = 0.0;
        NetworkOffset = 0.0;
    }

    // Workers send their messages to this thread, so it keeps handling them while it waits.
    static bool WaitForWorkers() {
        return PumpUntil([] { return RunningMeasurementWorkers() == 0; });
    }

    FakeClockScope clock_;
    TestForm form_;
    MeasurementSeam previousSeam_{};
};

TEST_F(ControllerTest, ReadoutsShowFetchingOrTheLocalClockShiftedByTheOffset) {
    const std::string computer = "现在的电脑时间：" + Timed("2026-12-07", 0, 28, 27);
    const struct {
        const char* Name;
        SerialDate NetworkTime;
        double OffsetDays;
        std::string NetworkText;
    } cases[] = {
        {"nothing measured", 0.0, 0.0, "标准的网络时间：获取中"},
        {"offset without a network time", 0.0, 7 * kHourDays, "标准的网络时间：获取中"},
        {"UTC+8 whatever the zone", 46363.3, 0.0,
         "标准的网络时间：" + Timed("2026-12-07", 7, 28, 27)},
        {"back over midnight", 46363.3, -8 * kHourDays,
         "标准的网络时间：" + Timed("2026-12-06", 23, 28, 27)},
        {"ninety seconds slow", 46363.3, 90 * kSecondDays,
         "标准的网络时间：" + Timed("2026-12-07", 7, 29, 57)},
        {"corrected in UTC+1", 46363.3, -7 * kHourDays,
         "标准的网络时间：" + Timed("2026-12-07", 0, 28, 27)},
    };
    for (const auto& c : cases) {
        NetworkTime = c.NetworkTime;
        NetworkOffset = c.OffsetDays;
        EXPECT_EQ(RefreshReadouts(form_.Form(), 1004), 0);
        EXPECT_EQ(WindowTextUtf8(form_.NetworkLabel()), c.NetworkText) << c.Name;
        EXPECT_EQ(WindowTextUtf8(form_.ComputerLabel()), computer) << c.Name;
    }
}

TEST_F(ControllerTest, ReadoutsRepaintTheComputerFaceThenTheNetworkFaceAtOnce) {
    ClearPaintLog();
    RefreshReadouts(form_.Form(), 1004);
    // Nothing was pumped, so both faces painted inside the call, in this order.
    const std::vector<HWND> faces = {form_.ComputerFace(), form_.NetworkFace()};
    std::vector<HWND> facePaints;
    for (HWND painted : PaintLog()) {
        if (painted == faces[0] || painted == faces[1]) {
            facePaints.push_back(painted);
        }
    }
    EXPECT_EQ(facePaints, faces);
}

TEST_F(ControllerTest, FormCreationFillsTheReadoutsAndMeasuresInTheBackground) {
    fake.Gate = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    EXPECT_EQ(OnFormCreated(form_.Form(), 0), 0);

    // Filled before the form is first shown, while the measurement still runs.
    EXPECT_EQ(WindowTextUtf8(form_.NetworkLabel()), "标准的网络时间：获取中");
    EXPECT_EQ(WindowTextUtf8(form_.ComputerLabel()),
              "现在的电脑时间：" + Timed("2026-12-07", 0, 28, 27));
    EXPECT_EQ(RunningMeasurementWorkers(), 1);

    SetEvent(fake.Gate.load());
    ASSERT_TRUE(WaitForWorkers());
    CloseHandle(fake.Gate.exchange(nullptr));
    EXPECT_EQ(fake.Calls.load(), 1);
    EXPECT_NEAR(NetworkOffset.load(), 0.0, 1e-9);
    EXPECT_TRUE(IsWindowEnabled(form_.Button()));

    RefreshReadouts(form_.Form(), 1004);
    EXPECT_EQ(WindowTextUtf8(form_.NetworkLabel()),
              "标准的网络时间：" + Timed("2026-12-07", 7, 28, 27));
}

TEST_F(ControllerTest, WorkerTicksTheBoxWhenRegisteredAndEnablesTheButtonOnSuccess) {
    const struct {
        const char* Name;
        bool Registered;
        bool BoxBefore;
        bool BoxAfter;
    } cases[] = {
        {"registered", true, false, true},
        {"not registered never unticks", false, true, true},
        {"not registered stays unticked", false, false, false},
    };
    for (const auto& c : cases) {
        fake.Registered = c.Registered;
        SendMessageW(form_.CheckBox(), BM_SETCHECK, c.BoxBefore ? BST_CHECKED : BST_UNCHECKED, 0);
        EnableWindow(form_.Button(), FALSE);

        ASSERT_TRUE(RequestMeasurement(form_.Form())) << c.Name;
        ASSERT_TRUE(WaitForWorkers()) << c.Name;

        EXPECT_EQ(SendMessageW(form_.CheckBox(), BM_GETCHECK, 0, 0) == BST_CHECKED, c.BoxAfter)
            << c.Name;
        EXPECT_TRUE(IsWindowEnabled(form_.Button())) << c.Name;
    }
}

// While no source answers the worker goes on trying (every 5 s, or at once when asked again),
// and the read-out says fetching; the first answer ends it.
TEST_F(ControllerTest, AWorkerWithoutAnswerTriesAgainUntilOneComes) {
    fake.SourceAnswers = false;
    NetworkTime = 46363.3;  // an earlier success
    EnableWindow(form_.Button(), FALSE);
    ASSERT_TRUE(RequestMeasurement(form_.Form()));
    ASSERT_TRUE(PumpUntil([] { return fake.Calls.load() == 1; }));
    EXPECT_FALSE(PumpUntil([] { return RunningMeasurementWorkers() == 0; }, 300));
    // A failed measurement forgets the network time, so the read-out says fetching again.
    EXPECT_EQ(NetworkTime.load(), 0.0);
    RefreshReadouts(form_.Form(), 1004);
    EXPECT_EQ(WindowTextUtf8(form_.NetworkLabel()), "标准的网络时间：获取中");
    EXPECT_FALSE(IsWindowEnabled(form_.Button()));

    fake.SourceAnswers = true;
    ASSERT_TRUE(RequestMeasurement(form_.Form()));  // the same worker, woken
    ASSERT_TRUE(WaitForWorkers());
    EXPECT_EQ(fake.Calls.load(), 2);
    EXPECT_TRUE(IsWindowEnabled(form_.Button()));
    EXPECT_NEAR(NetworkOffset.load(), 0.0, 1e-9);
}

TEST_F(ControllerTest, CorrectNowSetsTheClockThenMeasuresAgainWithTheButtonOff) {
    NetworkTime = 46363.3;
    NetworkOffset = 0.0;
    fake.Gate = CreateEventW(nullptr, TRUE, FALSE, nullptr);

    EXPECT_EQ(OnCorrectNowClicked(-1, form_.Form(), form_.Button(), 1002), 0);

    // The clock moved by the offset and kept its milliseconds.
    const SYSTEMTIME now = clock_.State().Now;
    EXPECT_EQ(now.wDay, 7);
    EXPECT_EQ(now.wHour, 7);
    EXPECT_EQ(now.wMinute, 28);
    EXPECT_EQ(now.wSecond, 27);
    EXPECT_EQ(now.wMilliseconds, 500);

    // Until the new measurement ends: offset spent, button off, network read-out = computer's.
    EXPECT_NEAR(NetworkOffset.load(), -7 * kHourDays, 1e-9);
    EXPECT_FALSE(IsWindowEnabled(form_.Button()));
    RefreshReadouts(form_.Form(), 1004);
    EXPECT_EQ(WindowTextUtf8(form_.NetworkLabel()),
              "标准的网络时间：" + Timed("2026-12-07", 7, 28, 27));
    EXPECT_EQ(WindowTextUtf8(form_.ComputerLabel()),
              "现在的电脑时间：" + Timed("2026-12-07", 7, 28, 27));

    SetEvent(fake.Gate.load());
    ASSERT_TRUE(WaitForWorkers());
    CloseHandle(fake.Gate.exchange(nullptr));
    // The new worker began only after the reset, so its result cannot have been overwritten.
    EXPECT_NEAR(fake.OffsetAtStart.load(), -7 * kHourDays, 1e-9);
    EXPECT_FALSE(fake.ButtonEnabledAtStart.load());
    EXPECT_TRUE(IsWindowEnabled(form_.Button()));
}

TEST_F(ControllerTest, CorrectNowWhoseMeasurementFailsFallsBackToFetching) {
    NetworkTime = 46363.3;
    NetworkOffset = 0.0;
    fake.SourceAnswers = false;

    OnCorrectNowClicked(-1, form_.Form(), form_.Button(), 1002);
    ASSERT_TRUE(PumpUntil([] { return NetworkTime.load() == 0.0; }));

    EXPECT_FALSE(IsWindowEnabled(form_.Button()));
    EXPECT_NEAR(NetworkOffset.load(), -7 * kHourDays, 1e-9);
    RefreshReadouts(form_.Form(), 1004);
    EXPECT_EQ(WindowTextUtf8(form_.NetworkLabel()), "标准的网络时间：获取中");
}

// A click while the first measurement runs starts no second one at once. The one under way
// measured the clock from before the correction: it is thrown away, and the same worker
// measures the corrected clock.
TEST_F(ControllerTest, CorrectNowDuringAMeasurementMeasuresTheCorrectedClockAfterIt) {
    fake.Gate = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    OnFormCreated(form_.Form(), 0);
    ASSERT_TRUE(PumpUntil([] { return fake.Calls.load() == 1; }));

    // Nothing measured yet: the clock is set to its own reading, twice with the same value.
    OnCorrectNowClicked(-1, form_.Form(), form_.Button(), 1002);
    const auto& writes = clock_.State().Writes;
    ASSERT_EQ(writes.size(), 2u);
    EXPECT_EQ(writes[1].wHour, 0);
    EXPECT_EQ(writes[1].wMinute, 28);
    EXPECT_EQ(writes[1].wSecond, 27);
    EXPECT_EQ(RunningMeasurementWorkers(), 1);
    EXPECT_FALSE(IsWindowEnabled(form_.Button()));

    SetEvent(fake.Gate.load());
    ASSERT_TRUE(WaitForWorkers());
    CloseHandle(fake.Gate.exchange(nullptr));
    EXPECT_EQ(fake.Calls.load(), 2);
    EXPECT_NEAR(fake.OffsetAtStart.load(), -7 * kHourDays, 1e-9);  // began after the reset
    EXPECT_TRUE(IsWindowEnabled(form_.Button()));
    EXPECT_NEAR(NetworkOffset.load(), 0.0, 1e-9);
}

// Windows announces a change of the clock to the form while SetLocalTime runs, before it has
// returned (as the fake clock's writes do here).
ClockSeam fakeClock{};
HWND announcedTo = nullptr;
BOOL WriteAndAnnounce(const SYSTEMTIME* time) {
    const BOOL written = fakeClock.WriteLocalTime(time);
    if (written) {
        OnTimeChanged(announcedTo, 0, 0);
    }
    return written;
}

// Accepted, the change Windows announces is the program's own: the offset is spent and the
// clock measured again. Refused, the clock and the offset stay, the user hears why, and the
// offset is measured again all the same; a change that comes next is someone else's.
TEST_F(ControllerTest, ACorrectionIsKnownAsOwnAndARefusedOneKeepsTheOffsetAndSaysWhy) {
    for (const bool refused : {true, false}) {
        SCOPED_TRACE(refused ? "refused" : "accepted");
        ASSERT_TRUE(RequestMeasurement(form_.Form()));
        ASSERT_TRUE(WaitForWorkers());
        NetworkOffset = 90 * kSecondDays;
        clock_.State().RefuseWrites = refused;
        fakeClock = InstallClock(RealClock());  // the fake, put back below
        ClockSeam announcing = fakeClock;
        announcing.WriteLocalTime = &WriteAndAnnounce;
        InstallClock(announcing);
        announcedTo = form_.Form();
        fake.Gate = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        std::vector<SeenMessageBox> seen;
        {
            const MessageBoxWatcher watcher(Widen(kAutostartValueName), form_.CheckBox());
            OnCorrectNowClicked(-1, form_.Form(), form_.Button(), 1002);
            seen = watcher.Seen();
        }
        InstallClock(fakeClock);
        EXPECT_NE(NetworkTime.load(), 0.0) << "the program's own change forgot the offset";
        EXPECT_FALSE(IsWindowEnabled(form_.Button()));
        EXPECT_NEAR(NetworkOffset.load(), refused ? 90 * kSecondDays : -7 * kHourDays, 1e-9);
        ASSERT_EQ(seen.size(), refused ? 1u : 0u);
        if (refused) {
            EXPECT_EQ(Narrow(seen[0].Text), CorrectionRefusedText(ERROR_PRIVILEGE_NOT_HELD));
            EXPECT_EQ(seen[0].Owner, form_.Form());
            EXPECT_TRUE(seen[0].ErrorIcon);
            OnTimeChanged(form_.Form(), 0, 0);
            EXPECT_EQ(NetworkTime.load(), 0.0) << "a later change was taken for the refused one";
        }
        SetEvent(fake.Gate.load());
        ASSERT_TRUE(WaitForWorkers());
        CloseHandle(fake.Gate.exchange(nullptr));
        EXPECT_TRUE(IsWindowEnabled(form_.Button()));  // measured again
    }
}

// Another program moved the clock: the offset is unknown until measured again. The program's
// own correction measures again by itself and shows the corrected clock meanwhile.
TEST_F(ControllerTest, AClockChangeByAnotherForgetsTheOffsetTheProgramsOwnDoesNot) {
    ASSERT_TRUE(RequestMeasurement(form_.Form()));
    ASSERT_TRUE(WaitForWorkers());
    fake.Gate = CreateEventW(nullptr, TRUE, FALSE, nullptr);

    EXPECT_EQ(OnTimeChanged(form_.Form(), 0, 0), 0);
    EXPECT_EQ(WindowTextUtf8(form_.NetworkLabel()), "标准的网络时间：获取中");
    EXPECT_FALSE(IsWindowEnabled(form_.Button()));
    SetEvent(fake.Gate.load());
    ASSERT_TRUE(WaitForWorkers());
    EXPECT_EQ(fake.Calls.load(), 2);
    EXPECT_TRUE(IsWindowEnabled(form_.Button()));

    OnCorrectNowClicked(-1, form_.Form(), form_.Button(), 1002);
    OnTimeChanged(form_.Form(), 0, 0);
    RefreshReadouts(form_.Form(), 1004);
    EXPECT_EQ(WindowTextUtf8(form_.NetworkLabel()),
              "标准的网络时间：" + Timed("2026-12-07", 7, 28, 27));
    ASSERT_TRUE(WaitForWorkers());
    CloseHandle(fake.Gate.exchange(nullptr));
    EXPECT_EQ(fake.Calls.load(), 3);
}

// A quiet round replaces the offset in force only with narrower bounds: one whose narrowing
// failed, leaving its first answer's second, never displaces a narrowed offset.
TEST_F(ControllerTest, AQuietRoundKeepsTheNarrowerOffset) {
    fake.NarrowedWidthMs = 8.0;
    fake.NarrowedCentreMs = 120.0;
    ASSERT_TRUE(RequestMeasurement(form_.Form()));
    ASSERT_TRUE(WaitForWorkers());
    const struct {
        const char* Name;
        double WidthMs, CentreMs;  // 0 wide: the first answer's second alone
        double OffsetAfterMs;
    } cases[] = {
        {"narrowing failed", 0.0, 0.0, 120.0},
        {"wider", 9.0, 130.0, 120.0},
        {"narrower", 4.0, 125.0, 125.0},
        {"as wide, and newer", 4.0, 126.0, 126.0},
    };
    for (const auto& c : cases) {
        fake.NarrowedWidthMs = c.WidthMs;
        fake.NarrowedCentreMs = c.CentreMs;
        ASSERT_TRUE(RequestQuietMeasurement(form_.Form())) << c.Name;
        ASSERT_TRUE(WaitForWorkers()) << c.Name;
        EXPECT_NEAR(NetworkOffset.load() * 86400e3, c.OffsetAfterMs, 1e-6) << c.Name;
    }
}

}  // namespace
