// The background measurement of the network offset, started detached and never waited for.
#include "app/win/measurement_worker.h"

#include <windows.h>

#include <process.h>

#include <atomic>

#include "app/win/autostart.h"
#include "app/win/control_ops.h"
#include "core/win/silent_correction.h"
#include "core/win/kernel_handle.h"
#include "app/win/main_form_controls.h"

namespace {

// The seam's entries are read by workers while the UI thread runs; atomics keep a test's
// replacement from being seen half-written.
std::atomic<bool (*)()> AutostartCheck{&CheckAutostartRegistration};
std::atomic<bool (*)()> Measure{&MeasureNetworkOffset};

std::atomic<int> RunningWorkers{0};

}  // namespace

MeasurementSeam InstallMeasurement(const MeasurementSeam& seam) {
    return {AutostartCheck.exchange(seam.CheckAutostartRegistration),
            Measure.exchange(seam.MeasureNetworkOffset)};
}

unsigned __stdcall MeasurementWorker(void*) {
    // Only two sent messages reach the window; both are handled on the UI thread.
    // The worker never unticks the box: the user may have ticked it meanwhile.
    if (AutostartCheck.load()()) {
        SetChecked(ControlWindows.AutostartCheckBox, true);
    }
    // The button comes back only once NetworkOffset holds this measurement's value.
    if (Measure.load()()) {
        EnableControl(ControlWindows.CorrectNowButton);
    }
    RunningWorkers.fetch_sub(1);
    return 0;
}

bool StartMeasurementWorker() {
    RunningWorkers.fetch_add(1);
    // Default stack size; the handle is closed at once, which leaves the thread detached.
    const UniqueKernelHandle worker(reinterpret_cast<HANDLE>(
        _beginthreadex(nullptr, 0, &MeasurementWorker, nullptr, 0, nullptr)));
    if (!worker) {
        RunningWorkers.fetch_sub(1);
        return false;
    }
    return true;
}

int RunningMeasurementWorkers() {
    return RunningWorkers.load();
}
