// The background measurement of the network offset: one worker at a time, trying again every
// 5 s until a measurement succeeds, never waited for.
#include "app/win/measurement_worker.h"

#include <process.h>

#include <atomic>
#include <mutex>

#include "app/win/autostart.h"
#include "app/win/control_ops.h"
#include "app/win/main_form_controls.h"
#include "core/network_state.h"
#include "core/win/kernel_handle.h"
#include "core/win/network_time.h"
#include "core/win/silent_correction.h"

namespace {

// The seam's entries are read by workers while the UI thread runs; atomics keep a test's
// replacement from being seen half-written.
std::atomic<bool (*)()> AutostartCheck{&CheckAutostartRegistration};
std::atomic<NetworkReading (*)()> Fetch{&FetchNetworkTime};

std::atomic<int> RunningWorkers{0};

// Requests are numbered; a worker stores a measurement only for the newest one, and only while
// holding the lock, so that a correction (which resets the offset and makes a new request under
// the same lock) can never be followed by a measurement of the clock from before it. The lock
// is never held across a call that waits for another thread.
std::mutex stateLock;
unsigned newestRequest = 0;
bool workerRunning = false;

// Cuts a worker's pause between two tries short when a new request comes. Never closed: a
// worker may still wait on it while the process ends.
HANDLE WakeEvent() {
    static const HANDLE wake = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    return wake;
}

unsigned TakeNewestRequest() {
    const std::lock_guard<std::mutex> lock(stateLock);
    return newestRequest;
}

// Stores the reading when it answers the newest request. True when a measurement is stored
// (the worker's work is done); false when there is no answer or it came too late.
bool StoreIfNewest(unsigned request, const NetworkReading& reading, bool& stale) {
    const std::lock_guard<std::mutex> lock(stateLock);
    stale = request != newestRequest;
    if (stale || !StoreNetworkMeasurement(reading)) {
        return false;
    }
    workerRunning = false;
    return true;
}

unsigned __stdcall MeasurementWorker(void* formArgument) {
    const HWND form = static_cast<HWND>(formArgument);
    // Sent messages: handled on the UI thread while this one waits. The worker never unticks
    // the box: the user may have ticked it meanwhile; the UI thread ticks it only if the program
    // is still registered then.
    if (AutostartCheck.load()()) {
        SendMessageW(form, kAutostartFoundMessage, 0, 0);
    }
    for (;;) {
        const unsigned request = TakeNewestRequest();
        const NetworkReading reading = Fetch.load()();
        bool stale = false;
        if (StoreIfNewest(request, reading, stale)) {
            // The button comes back only for the offset in force (the UI thread checks).
            SendMessageW(form, kMeasurementStoredMessage, request, 0);
            break;
        }
        if (!stale) {
            WaitForSingleObject(WakeEvent(), kSourceRetryDelayMs);
        }
    }
    RunningWorkers.fetch_sub(1);
    return 0;
}

// With the lock held: a new request, served by the running worker or by a new one.
bool RequestLocked(HWND form) {
    ++newestRequest;
    if (workerRunning) {
        SetEvent(WakeEvent());
        return true;
    }
    RunningWorkers.fetch_add(1);
    // Default stack size; the handle is closed at once, which leaves the thread detached:
    // nobody waits for it, and a worker still waiting on the network ends with the process.
    const UniqueKernelHandle worker(
        reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, &MeasurementWorker, form, 0, nullptr)));
    if (!worker) {
        RunningWorkers.fetch_sub(1);
        return false;
    }
    workerRunning = true;
    return true;
}

}  // namespace

MeasurementSeam InstallMeasurement(const MeasurementSeam& seam) {
    return {AutostartCheck.exchange(seam.CheckAutostartRegistration),
            Fetch.exchange(seam.FetchNetworkTime)};
}

bool RequestMeasurement(HWND form) {
    const std::lock_guard<std::mutex> lock(stateLock);
    return RequestLocked(form);
}

bool RestartMeasurementAfterCorrection(HWND form) {
    const std::lock_guard<std::mutex> lock(stateLock);
    NetworkOffset.store(0.0, std::memory_order_relaxed);
    return RequestLocked(form);
}

bool IsNewestMeasurement(WPARAM request) {
    const std::lock_guard<std::mutex> lock(stateLock);
    return request == newestRequest;
}

int RunningMeasurementWorkers() {
    return RunningWorkers.load();
}
