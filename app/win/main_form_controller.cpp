// The main form's behaviour: read-outs, background measurement, the correct-now button.
#include "app/win/main_form_controller.h"

#include <atomic>
#include <string>

#include "app/readout_texts.h"
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
    StartMeasurementWorker();
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

int OnCorrectNowClicked(int, HWND, HWND, int) {
    CorrectLocalClock();
    // The button goes off and the spent offset is cleared before the next worker exists:
    // a worker that answers quickly must not have its fresh offset overwritten by the reset.
    DisableControl(ControlWindows.CorrectNowButton);
    NetworkOffset.store(0.0, std::memory_order_relaxed);
    StartMeasurementWorker();
    return 0;
}
