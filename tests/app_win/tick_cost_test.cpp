// What the read-out timer costs on the real main form with both clock faces painting: CPU time
// per tick, and GDI objects and memory that stay flat over thousands of ticks.
#include <windows.h>

#include <gtest/gtest.h>

#include "app/win/measurement_worker.h"
#include "core/network_state.h"
#include "app/main_form_design.h"
#include "app/win/main_form.h"
#include "app/win/main_form_controls.h"
#include "forms/win/gdiplus_session.h"
#include "tests/support/fake_clock.h"
#include "tests/support/message_pump.h"
#include "tests/support/process_usage.h"

namespace {

bool NotRegistered() {
    return false;
}

// Counts the faces' paints without changing them.
int facePaints = 0;
WNDPROC previousFaceProc = nullptr;
LRESULT CALLBACK CountingFaceProc(HWND face, UINT message, WPARAM wParam, LPARAM lParam) {
    facePaints += message == WM_PAINT ? 1 : 0;
    return CallWindowProcW(previousFaceProc, face, message, wParam, lParam);
}

TEST(TickCost, ThousandsOfTicksRepaintBothFacesAndLeaveNothingBehind) {
    constexpr int kWarmUp = 100;
    // Three thousand face paints: a leak of one small GDI+ object per paint passes the memory
    // bound.
    constexpr int kTicks = 1500;
    const GdiplusSession gdiplus;
    ASSERT_TRUE(gdiplus.Started());
    FakeClockScope clock(MakeSystemTime(2026, 12, 7, 9, 30, 45, 0));
    clock.State().MillisecondsPerRead = 1000;  // the hands move from tick to tick
    const MeasurementSeam previousSeam = InstallMeasurement({&NotRegistered, &AnswerAtOnce});

    const HWND form = CreateMainFormWindow(nullptr, 0);
    ASSERT_NE(form, nullptr);
    ASSERT_TRUE(PumpUntil([] { return RunningMeasurementWorkers() == 0; }));
    NetworkOffset = 0.25;  // six hours: the network face differs from the computer face
    ShowWindow(form, SW_SHOWNOACTIVATE);
    UpdateWindow(form);
    // Counted on one face; the procedure chain is the runtime's below ours.
    const HWND face = ControlWindows.ClockFaceWindows[kNetworkFaceIndex];
    previousFaceProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(face, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CountingFaceProc)));

    // Each tick is the timer message the form gets once a second, handled at once.
    const auto tick = [form] { SendMessageW(form, WM_TIMER, kReadoutTimerId, 0); };
    for (int i = 0; i < kWarmUp; ++i) {
        tick();
    }
    facePaints = 0;
    const RepeatedRun run = RunRepeatedly(kTicks, tick);
    EXPECT_EQ(facePaints, kTicks) << "every tick repaints the face at once";
    ExpectFlatUsage(run, "ticks");
    RecordProperty("CpuMicrosecondsPerTick", static_cast<int>(run.CpuMicrosecondsEach));

    SetWindowLongPtrW(face, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previousFaceProc));
    DestroyWindow(form);
    MSG quit;
    PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
    InstallMeasurement(previousSeam);
    ControlWindows = MainFormWindows{};
    NetworkOffset = 0.0;
}

}  // namespace
