// The real main form shown and active: its read-outs tick just after each second of the network
// time, and the keyboard still works after the button has been pressed with Space. These tests
// activate the form and time its ticks, so CTest runs them alone.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <vector>

#include "app/main_form_design.h"
#include "app/readout_ticks.h"
#include "app/win/main_form.h"
#include "app/win/main_form_controls.h"
#include "app/win/measurement_worker.h"
#include "core/network_state.h"
#include "core/scope_exit.h"
#include "core/win/local_clock.h"
#include "tests/support/fake_clock.h"
#include "tests/support/message_pump.h"

namespace {

bool NotRegistered() {
    return false;
}

// While set, a measurement waits before it answers: the button stays off meanwhile.
std::atomic<bool> holdMeasurement{false};
NetworkMeasurement AnswerWhenReleased(const MeasurementObserver& observer) {
    while (holdMeasurement) {
        Sleep(10);
    }
    return AnswerAtOnce(observer);
}

// The main form, shown and active, its first measurement over; destroyed at scope end.
class ShownMainForm {
public:
    ShownMainForm() : previousSeam_(InstallMeasurement({&NotRegistered, &AnswerWhenReleased})) {
        form_ = CreateMainFormWindow(nullptr, 0);
        ShowWindow(form_, SW_SHOWNORMAL);
        SetForegroundWindow(form_);
        SetActiveWindow(form_);
        PumpUntil([] { return RunningMeasurementWorkers() == 0; });
    }
    ShownMainForm(const ShownMainForm&) = delete;
    ShownMainForm& operator=(const ShownMainForm&) = delete;
    ~ShownMainForm() {
        DestroyWindow(form_);
        MSG quit;
        PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
        InstallMeasurement(previousSeam_);
    }
    HWND get() const { return form_; }

private:
    MeasurementSeam previousSeam_;
    HWND form_ = nullptr;
};

// Handles this thread's messages for a while as the form's own loop does, with the keyboard
// navigation of a dialog.
void PumpAsTheFormLoopFor(HWND form, DWORD ms) {
    PumpUntil(
        [form] {
            MSG message;
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
                if (!IsDialogMessageW(form, &message)) {
                    TranslateMessage(&message);
                    DispatchMessageW(&message);
                }
            }
            return false;
        },
        ms);
}

// A key pressed and released where the keyboard focus is, as the keyboard would send it.
void PressKey(WPARAM key) {
    PostMessageW(GetFocus(), WM_KEYDOWN, key, 1);
    PostMessageW(GetFocus(), WM_KEYUP, key, 0xC0000001);
}

// When each tick of the read-out timer arrived: the millisecond of the second of the network
// time shown at that moment.
std::vector<int> tickPhasesMs;
LRESULT CALLBACK NoteTicks(int code, WPARAM wParam, LPARAM lParam) {
    const auto* message = reinterpret_cast<const MSG*>(lParam);
    if (code == HC_ACTION && wParam == PM_REMOVE && message->message == WM_TIMER &&
        message->wParam == kReadoutTimerId) {
        const SerialDate shown = CurrentLocalTime() + NetworkOffset.load();
        tickPhasesMs.push_back(SplitSerialDate(shown).Millisecond);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST(ShownMainForm, TicksComeJustAfterEachSecondOfTheNetworkTime) {
    const ShownMainForm form;
    // A network time 0.37 s off the computer's: the ticks follow the time the form shows.
    NetworkOffset = (3 * 3600 + 0.37) / kSecondsPerDay;
    tickPhasesMs.clear();
    const HHOOK hook = SetWindowsHookExW(WH_GETMESSAGE, NoteTicks, nullptr, GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
    PumpUntil([] { return tickPhasesMs.size() >= 6; }, 8000);
    UnhookWindowsHookEx(hook);
    ASSERT_GE(tickPhasesMs.size(), 6u);
    // The first tick was armed for the computer's time, before the offset above.
    for (size_t tick = 1; tick < tickPhasesMs.size(); ++tick) {
        EXPECT_GE(tickPhasesMs[tick], static_cast<int>(kTickAfterSecondMs) - 1) << tick;
        EXPECT_LE(tickPhasesMs[tick], 90) << tick;
    }
}

// A second Space meant for the button, now off, must not tick the box; the focus comes back.
TEST(ShownMainForm, SpaceTwiceOnTheButtonLeavesTheBoxAndTheFocusComesBack) {
    FakeClockScope clock(MakeSystemTime(2026, 12, 7, 9, 30, 45, 0));
    const ShownMainForm form;
    const auto release = MakeScopeExit([] { holdMeasurement = false; });
    ASSERT_TRUE(PumpUntil([] { return GetActiveWindow() != nullptr; }));
    SetFocus(ControlWindows.CorrectNowButton);
    ASSERT_EQ(GetFocus(), ControlWindows.CorrectNowButton);

    holdMeasurement = true;
    PressKey(VK_SPACE);
    PumpAsTheFormLoopFor(form.get(), 300);
    EXPECT_FALSE(clock.State().Writes.empty()) << "the press set the clock, as a click does";
    // Asserted: on the box, the second press would register the program for real.
    ASSERT_EQ(GetFocus(), ControlWindows.ClockFaceWindows[kNetworkFaceIndex]);
    PressKey(VK_SPACE);
    PumpAsTheFormLoopFor(form.get(), 300);
    EXPECT_EQ(SendMessageW(ControlWindows.AutostartCheckBox, BM_GETCHECK, 0, 0), BST_UNCHECKED);

    holdMeasurement = false;
    for (int i = 0; i < 100 && GetFocus() != ControlWindows.CorrectNowButton; ++i) {
        PumpAsTheFormLoopFor(form.get(), 100);  // as long as the measurement takes
    }
    EXPECT_EQ(GetFocus(), ControlWindows.CorrectNowButton);
    PressKey(VK_TAB);
    PumpAsTheFormLoopFor(form.get(), 300);
    EXPECT_EQ(GetFocus(), ControlWindows.AutostartCheckBox);
}

// What the network read-out said at the moment the button was enabled.
std::wstring networkTextAtEnable;
LRESULT CALLBACK NoteEnable(int code, WPARAM wParam, LPARAM lParam) {
    const auto* message = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && message->message == WM_ENABLE && message->wParam != 0 &&
        message->hwnd == ControlWindows.CorrectNowButton) {
        wchar_t text[64] = {};
        GetWindowTextW(ControlWindows.NetworkTimeLabel, text, 64);
        networkTextAtEnable = text;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// After a resume the offset is measured again; its first answer shows at once, with the button,
// not at the computer's next second.
TEST(ShownMainForm, AfterAResumeTheButtonComesBackWithTheReadout) {
    const ShownMainForm form;
    const auto release = MakeScopeExit([] { holdMeasurement = false; });
    holdMeasurement = true;
    SendMessageW(form.get(), WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0);
    ASSERT_FALSE(IsWindowEnabled(ControlWindows.CorrectNowButton));

    networkTextAtEnable.clear();
    const HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, NoteEnable, nullptr, GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
    holdMeasurement = false;
    PumpUntil([] { return IsWindowEnabled(ControlWindows.CorrectNowButton) != FALSE; });
    UnhookWindowsHookEx(hook);
    EXPECT_EQ(networkTextAtEnable.rfind(L"标准的网络时间：20", 0), 0u) << "the time, not 获取中";
}

}  // namespace
