// The main form's behaviour: read-outs, background measurement, the correct-now button.
#include "app/win/main_form_controller.h"

#include <atomic>
#include <string>

#include "app/readout_texts.h"
#include "app/readout_ticks.h"
#include "app/win/button_focus.h"
#include "app/win/control_ops.h"
#include "app/win/measurement_worker.h"
#include "core/network_state.h"
#include "core/win/local_clock.h"
#include "core/win/silent_correction.h"
#include "app/main_form_design.h"
#include "app/win/main_form_controls.h"

std::string FormatNow() {
    return FormatSerialDate(CurrentLocalTime(), kReadoutPattern);
}

int OnFormCreated(HWND form, LPARAM) {
    TakeMainFormControls(form);
    // The read-outs hold their first values before the form is shown.
    RefreshReadouts(form, kReadoutTimerId);
    RequestMeasurement(form);
    return 0;
}

int RefreshReadouts(HWND, UINT_PTR) {
    // The network read-out is the live local clock shifted by the measured offset, so it
    // advances between measurements without asking the network again.
    std::string networkText(kNetworkReadoutPrefix);
    if (NetworkTime.load(std::memory_order_relaxed) == 0.0) {
        networkText += kFetchingText;
    } else {
        networkText += FormatSerialDate(
            CurrentLocalTime() + NetworkOffset.load(std::memory_order_relaxed), kReadoutPattern);
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
    return MsUntilNextSecondTick(CurrentLocalTime() +
                                 NetworkOffset.load(std::memory_order_relaxed));
}

int OnCorrectNowClicked(int, HWND form, HWND, int) {
    CorrectLocalClock();
    // Off until a measurement of the corrected clock has been stored. The offset is spent: the
    // read-outs show the corrected clock meanwhile.
    DisableButtonParkingFocus(ControlWindows.CorrectNowButton,
                              ControlWindows.ClockFaceWindows[kNetworkFaceIndex]);
    RestartMeasurementAfterCorrection(form);
    return 0;
}

int OnMeasurementStored(HWND, WPARAM request, LPARAM) {
    // Checked here, on the UI thread that makes every request: a measurement that finished just
    // as the button was pressed measured the clock from before the correction.
    if (IsNewestMeasurement(request)) {
        EnableButtonTakingBackFocus(ControlWindows.CorrectNowButton);
    }
    return 0;
}
