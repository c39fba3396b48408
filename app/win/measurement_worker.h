// The background measurement of the network offset, started detached and never waited for.
#pragma once

// What a worker calls apart from the window system. Tests install fakes so that no test
// reaches the network or the registry.
struct MeasurementSeam {
    bool (*CheckAutostartRegistration)();
    bool (*MeasureNetworkOffset)();
};

// Installs a seam (tests only, while no worker runs) and returns the one it replaces.
MeasurementSeam InstallMeasurement(const MeasurementSeam& seam);

// Thread procedure: ticks the autostart box when the program is registered, measures the
// offset, and enables the button when the measurement succeeded. The argument is unused.
unsigned __stdcall MeasurementWorker(void* unused);

// Starts one worker and closes its handle at once: nobody joins it, and a worker still
// waiting on the network ends with the process. False when no thread could be started.
bool StartMeasurementWorker();

// Workers started and not yet ended, so that tests can wait for them.
int RunningMeasurementWorkers();
