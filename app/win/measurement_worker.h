// The background measurement of the network offset: one worker at a time, trying again 5 s
// after a round in which no source answered, then narrowing every source's offset down; never
// waited for.
#pragma once

#include <windows.h>

#include "core/network_estimate.h"
#include "core/win/measure_network_offset.h"

// What a worker calls apart from the window system. Tests install fakes so that no test
// reaches the network, the registry or the scheduler.
struct MeasurementSeam {
    bool (*CheckAutostartRegistration)();
    NetworkMeasurement (*Measure)(const MeasurementObserver& observer);
};

// Installs a seam (tests only, while no worker runs) and returns the one it replaces.
MeasurementSeam InstallMeasurement(const MeasurementSeam& seam);

// Until a source answers, the network time shown is the computer's own clock (NetworkOffset
// becomes the offset at which it is: 0 in UTC+8), and a click sets the clock to its own reading.
void ShowLocalClockUntilMeasured();

// Sent to the form on the UI thread once the first answer of a measurement has been stored;
// wParam is the request it answered, for IsNewestMeasurement.
inline constexpr UINT kMeasurementStoredMessage = WM_APP + 1;

// Asks for a measurement for the form. Starts the worker when none runs: it ticks the
// autostart box when the program is registered, then measures until a source answers, trying
// again 5 s after a round without an answer (NetworkTime is 0 meanwhile). The first answer is
// stored at once; the offset the sources agree on replaces it when their narrowings end. A
// worker that is waiting to try again tries at once. False when no thread could be started.
bool RequestMeasurement(HWND form);

// The same after the clock has been corrected with the offset: NetworkOffset first becomes the
// one at which the network time shown is the computer's wall clock (0 in UTC+8).
// A measurement under way measured the clock before the correction: it is thrown away when it
// ends, never stored, and the worker measures again.
bool RestartMeasurementAfterCorrection(HWND form);

// The same after something else moved the clock or the computer woke up: the offset is no
// longer known, so NetworkTime becomes 0 until a new one is stored.
bool RestartMeasurementAfterClockChange(HWND form);

// A quiet measurement while the offset in force is a quarter of an hour old: one measurement
// over the sources, its agreed offset stored only when its bounds are narrower than those in
// force widened for the clock's drift since (kDriftWideningPerSecond), nothing changed when no
// source answers. Nothing happens while a worker runs. False when no thread could be started.
bool RequestQuietMeasurement(HWND form);

// The best estimate of the offset in force: while a measurement is being narrowed down, the
// latest centre of its first source's, else NetworkOffset.
double BestOffsetSoFar();

// On the UI thread, for kMeasurementStoredMessage: whether the measurement answered the newest
// request, so that what it stored is still the offset in force.
bool IsNewestMeasurement(WPARAM request);

// Workers started and not yet ended, so that tests can wait for them. Only one of them ever
// measures: one that has stored its measurement may still be sending word of it.
int RunningMeasurementWorkers();
