// The background measurement of the network offset: one worker at a time, trying again every
// 5 s until a measurement succeeds, never waited for.
#pragma once

#include <windows.h>

#include "core/network_estimate.h"

// What a worker calls apart from the window system. Tests install fakes so that no test
// reaches the network, the registry or the scheduler.
struct MeasurementSeam {
    bool (*CheckAutostartRegistration)();
    NetworkReading (*FetchNetworkTime)();
};

// Installs a seam (tests only, while no worker runs) and returns the one it replaces.
MeasurementSeam InstallMeasurement(const MeasurementSeam& seam);

// Sent to the form on the UI thread once a measurement has been stored; wParam is the request
// it answered, for IsNewestMeasurement.
inline constexpr UINT kMeasurementStoredMessage = WM_APP + 1;

// Asks for a measurement for the form. Starts the worker when none runs: it ticks the
// autostart box when the program is registered, then measures until a measurement succeeds,
// trying again every 5 s. A worker that is waiting to try again tries at once. False when no
// thread could be started.
bool RequestMeasurement(HWND form);

// The clock has been corrected with the offset: NetworkOffset becomes 0 and a new measurement
// is asked for. A measurement under way measured the clock before the correction: it is thrown
// away when it ends, never stored, and the worker measures again.
bool RestartMeasurementAfterCorrection(HWND form);

// On the UI thread, for kMeasurementStoredMessage: whether the measurement answered the newest
// request, so that what it stored is still the offset in force.
bool IsNewestMeasurement(WPARAM request);

// Workers started and not yet ended, so that tests can wait for them. Only one of them ever
// measures: one that has stored its measurement may still be sending word of it.
int RunningMeasurementWorkers();
