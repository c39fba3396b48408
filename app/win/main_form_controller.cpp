// The main form's behaviour: read-outs, background measurement, the correct-now button.
#include "app/win/main_form_controller.h"

#include <atomic>
#include <string>

#include "app/main_form_design.h"
#include "app/readout_texts.h"
#include "app/readout_ticks.h"
#include "app/win/button_focus.h"
#include "app/win/control_ops.h"
#include "app/win/correction_refused_box.h"
#include "app/win/main_form_controls.h"
#include "app/win/measurement_worker.h"
#include "core/network_state.h"
#include "core/win/local_clock.h"
#include "core/win/silent_correction.h"
#include "forms/win/form_window.h"

namespace {

// While the offset in force is good, it is measured again this often, quietly: the computer's
// clock drifts (up to 50 ppm, 45 ms in a quarter of an hour). That is at most a dozen requests
// to one site every quarter of an hour.
constexpr UINT kQuietMeasurementPeriodMs = 15 * 60 * 1000;
// As the silent mode waits between two rounds over the sources.
constexpr UINT kMeasurementStartRetryMs = kSourceRetryDelayMs;
// Windows tells every top-level window of a change of the clock, the program's own correction
// included, soon after the change; a WM_TIMECHANGE this soon after it is taken for that one.
constexpr ULONGLONG kOwnTimeChangeWindowMs = 2000;

// When the program last set the clock itself (GetTickCount64, which no change of the clock
// moves); 0: never. The UI thread's alone.
ULONGLONG ownCorrectionTick = 0;

// A measurement that could not be started is tried again, as the worker tries the sources
// again, so that the button always comes back once a source answers.
void RetryStartLater(HWND form, bool started) {
    if (!started) {
        SetTimer(form, kMeasurementStartTimerId, kMeasurementStartRetryMs, nullptr);
    }
}

// The offset is unknown from now until a new one is stored.
void ForgetOffset(HWND form) {
    DisableButtonParkingFocus(ControlWindows.CorrectNowButton,
                              ControlWindows.ClockFaceWindows[kNetworkFaceIndex]);
    RetryStartLater(form, RestartMeasurementAfterClockChange(form));
    RefreshReadouts(form, kReadoutTimerId);
}

}  // namespace

std::string FormatNow() {
    return FormatSerialDate(CurrentLocalTime(), kReadoutPattern);
}

int OnFormCreated(HWND form, LPARAM) {
    TakeMainFormControls(form);
    ShowLocalClockUntilMeasured();
    // The read-outs hold their first values before the form is shown.
    RefreshReadouts(form, kReadoutTimerId);
    RetryStartLater(form, RequestMeasurement(form));
    return 0;
}

int RefreshReadouts(HWND, UINT_PTR) {
    // The network read-out is the live computer clock shifted by the measured offset, so it
    // advances between measurements without asking the network again. It is UTC+8 whatever the
    // computer's zone: the offset is kept against UTC.
    std::string networkText(kNetworkReadoutPrefix);
    if (NetworkTime.load(std::memory_order_relaxed) == 0.0) {
        networkText += kFetchingText;
    } else {
        networkText += FormatSerialDate(
            NetworkTimeAt(CurrentUtcTime(), NetworkOffset.load(std::memory_order_relaxed)),
            kReadoutPattern);
    }
    SetControlText(ControlWindows.NetworkTimeLabel, networkText);
    SetControlText(ControlWindows.ComputerTimeLabel,
                   std::string(kComputerReadoutPrefix) + FormatNow());

    // Painted at once, so that the faces never lag behind the read-outs.
    RepaintNow(ControlWindows.ClockFaceWindows[kComputerFaceIndex]);
    RepaintNow(ControlWindows.ClockFaceWindows[kNetworkFaceIndex]);
    return 0;
}

UINT MsUntilNextReadoutTick() {
    if (NetworkTime.load(std::memory_order_relaxed) == 0.0) {
        return MsUntilNextSecondTick(CurrentLocalTime());
    }
    return MsUntilNextSecondTick(
        NetworkTimeAt(CurrentUtcTime(), NetworkOffset.load(std::memory_order_relaxed)));
}

int OnCorrectNowClicked(int, HWND form, HWND, int) {
    // Marked before the clock is set: Windows may tell the form of the change before
    // SetLocalTime has returned.
    const ULONGLONG earlierCorrectionTick = ownCorrectionTick;
    ownCorrectionTick = GetTickCount64();
    // While the first answer is still being narrowed down, its best estimate so far.
    const ClockCorrection correction = CorrectLocalClockBy(BestOffsetSoFar());
    // Off until a measurement of the clock has been stored.
    DisableButtonParkingFocus(ControlWindows.CorrectNowButton,
                              ControlWindows.ClockFaceWindows[kNetworkFaceIndex]);
    if (!correction.Accepted) {
        // The clock is as it was, so the offset stays true and the read-outs with it; a change
        // that comes now is someone else's. Measured again all the same, as after a correction,
        // and the user hears why nothing changed.
        ownCorrectionTick = earlierCorrectionTick;
        RetryStartLater(form, RequestMeasurement(form));
        ShowCorrectionRefused(form, correction.Error);
        return 0;
    }
    // The offset is spent: the read-outs show the corrected clock meanwhile.
    RetryStartLater(form, RestartMeasurementAfterCorrection(form));
    return 0;
}

int OnMeasurementStored(HWND form, WPARAM request, LPARAM) {
    // Checked here, on the UI thread that makes every request: a measurement that finished just
    // as the button was pressed measured the clock from before the correction.
    if (IsNewestMeasurement(request)) {
        // The network time shows at once, with the button, not at the computer's next second.
        TickFormTimerNow(form);
        EnableButtonTakingBackFocus(ControlWindows.CorrectNowButton);
        // The quarter of an hour counts from the newest measurement.
        SetTimer(form, kQuietMeasurementTimerId, kQuietMeasurementPeriodMs, nullptr);
    }
    return 0;
}

int OnTimeChanged(HWND form, WPARAM, LPARAM) {
    if (ownCorrectionTick != 0 && GetTickCount64() - ownCorrectionTick < kOwnTimeChangeWindowMs) {
        return 0;  // the program's own correction, which measures again by itself
    }
    ForgetOffset(form);
    return 0;
}

int OnPowerBroadcast(HWND form, WPARAM event, LPARAM) {
    // Asleep, the clock may have been set or have drifted; the offset is no longer known.
    if (event == PBT_APMRESUMEAUTOMATIC) {
        ForgetOffset(form);
    }
    return 0;
}

int OnMeasurementTimer(HWND form, WPARAM timerId, LPARAM) {
    if (timerId == kQuietMeasurementTimerId) {
        RequestQuietMeasurement(form);
    } else if (timerId == kMeasurementStartTimerId) {
        KillTimer(form, kMeasurementStartTimerId);
        RetryStartLater(form, RequestMeasurement(form));
    }
    return 0;
}
