// The background measurement of the network offset: one worker at a time, trying again every
// 5 s until a source answers, then narrowing that source's offset down; never waited for.
#include "app/win/measurement_worker.h"

#include <process.h>

#include <atomic>
#include <cmath>
#include <mutex>

#include "app/win/autostart_box.h"
#include "core/network_state.h"
#include "core/win/kernel_handle.h"
#include "core/win/silent_correction.h"

namespace {

SourceAnswer AskBuiltInSources() {
    return AskTimeSources();
}

// The seam's entries are read by workers while the UI thread runs; atomics keep a test's
// replacement from being seen half-written.
std::atomic<bool (*)()> AutostartCheck{&CheckAutostartRegistration};
std::atomic<SourceAnswer (*)()> Ask{&AskBuiltInSources};
std::atomic<RefinedOffset (*)(SourceAnswer&, NarrowedCallback, void*)> Narrow{&NarrowSourceAnswer};

std::atomic<int> RunningWorkers{0};

// Requests are numbered; a worker stores a measurement only for the newest one, and only while
// holding the lock, so that a correction (which resets the offset and makes a new request under
// the same lock) can never be followed by a measurement of the clock from before it. The lock
// is never held across a call that waits for another thread.
std::mutex stateLock;
unsigned newestRequest = 0;
bool workerRunning = false;
bool quietRun = false;        // the running worker measures quietly
double bestOffsetDays = 0.0;  // BestOffsetSoFar
// How exact the offset in force is: its bounds' width when it was stored (infinite while none
// is measured) and when that was, on GetTickCount64, which no change of the clock moves.
double storedWidthDays = HUGE_VAL;
ULONGLONG storedTick = 0;

// With the lock held.
void NoteStoredWidth(double widthDays) {
    storedWidthDays = widthDays;
    storedTick = GetTickCount64();
}

// With the lock held: whether new bounds are narrower than those in force, these widened for
// the drift since they were measured.
bool NarrowerThanStored(const OffsetBounds& bounds) {
    const double ageSeconds = static_cast<double>(GetTickCount64() - storedTick) / 1000.0;
    return bounds.WidthDays() < AgedWidthDays(storedWidthDays, ageSeconds);
}

// Cuts a worker's pause between two tries short when a new request comes. Never closed: a
// worker may still wait on it while the process ends.
HANDLE WakeEvent() {
    static const HANDLE wake = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    return wake;
}

struct Turn {
    unsigned Request = 0;
    bool Quiet = false;
};

// The request this round serves. A wake-up left over from a request that came while the worker
// was busy is spent here: this round serves that request already, and its pause must last.
Turn TakeTurn() {
    const std::lock_guard<std::mutex> lock(stateLock);
    ResetEvent(WakeEvent());
    return {newestRequest, quietRun};
}

// A loud round's narrowing, before each exchange: the best estimate so far, for a click
// meanwhile. A request that came meanwhile (a click, a change of the clock) makes the rest of
// the narrowing useless.
bool NarrowedForRequest(const OffsetBounds& bounds, void* context) {
    const std::lock_guard<std::mutex> lock(stateLock);
    if (*static_cast<const unsigned*>(context) != newestRequest) {
        return false;
    }
    bestOffsetDays = bounds.CentreDays();
    return true;
}

// A quiet round's: it only looks out for a request that makes it useless.
bool QuietNarrowed(const OffsetBounds&, void* context) {
    const std::lock_guard<std::mutex> lock(stateLock);
    return *static_cast<const unsigned*>(context) == newestRequest;
}

enum class Outcome { Done, Stale, NoAnswer };

// One round: the first answer, then its narrowing. Loud rounds store the first answer at once
// and tell the form; quiet ones store only the narrowed offset.
Outcome MeasureOnce(HWND form, Turn turn) {
    SourceAnswer answer = Ask.load()();
    const NetworkReading& reading = answer.First;
    {
        const std::lock_guard<std::mutex> lock(stateLock);
        if (turn.Request != newestRequest) {
            return Outcome::Stale;
        }
        if (!(reading.HeaderUtc > 0.0)) {
            if (!turn.Quiet) {
                StoreNetworkMeasurement(reading);  // NetworkTime 0: the read-out says fetching
            }
            return Outcome::NoAnswer;
        }
        if (!turn.Quiet) {
            StoreNetworkMeasurement(reading);
            NoteStoredWidth(BoundsOfAnswer(reading).WidthDays());
            bestOffsetDays = NetworkOffset.load(std::memory_order_relaxed);
        }
    }
    if (!turn.Quiet) {
        // The button comes back only for the offset in force (the UI thread checks).
        SendMessageW(form, kMeasurementStoredMessage, turn.Request, 0);
    }
    unsigned request = turn.Request;
    const RefinedOffset refined =
        Narrow.load()(answer, turn.Quiet ? &QuietNarrowed : &NarrowedForRequest, &request);
    const std::lock_guard<std::mutex> lock(stateLock);
    if (turn.Request != newestRequest) {
        return Outcome::Stale;
    }
    // A quiet round never swaps the offset in force for a less exact one, as when its narrowing
    // failed and only its first answer's second is left.
    if (!turn.Quiet || NarrowerThanStored(refined.Bounds)) {
        StoreRefinedMeasurement(reading, refined.Bounds);
        NoteStoredWidth(refined.Bounds.WidthDays());
    }
    bestOffsetDays = NetworkOffset.load(std::memory_order_relaxed);
    workerRunning = false;
    return Outcome::Done;
}

unsigned __stdcall MeasurementWorker(void* formArgument) {
    const HWND form = static_cast<HWND>(formArgument);
    // Sent messages: handled on the UI thread while this one waits. The worker never unticks
    // the box: the user may have ticked it meanwhile; the UI thread ticks it only if the program
    // is still registered then.
    if (!TakeTurn().Quiet && AutostartCheck.load()()) {
        SendMessageW(form, kAutostartFoundMessage, 0, 0);
    }
    for (;;) {
        const Turn turn = TakeTurn();
        const Outcome outcome = MeasureOnce(form, turn);
        if (outcome == Outcome::Done) {
            break;
        }
        if (outcome == Outcome::NoAnswer) {
            if (turn.Quiet) {
                const std::lock_guard<std::mutex> lock(stateLock);
                if (quietRun) {  // no loud request came meanwhile: the next hour tries again
                    workerRunning = false;
                    break;
                }
                continue;
            }
            WaitForSingleObject(WakeEvent(), kSourceRetryDelayMs);
        }
    }
    RunningWorkers.fetch_sub(1);
    return 0;
}

// With the lock held: starts the worker for the newest request.
bool StartWorkerLocked(HWND form) {
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

// With the lock held: a new request, served by the running worker or by a new one.
bool RequestLocked(HWND form) {
    ++newestRequest;
    quietRun = false;
    bestOffsetDays = NetworkOffset.load(std::memory_order_relaxed);
    if (workerRunning) {
        SetEvent(WakeEvent());
        return true;
    }
    return StartWorkerLocked(form);
}

}  // namespace

MeasurementSeam InstallMeasurement(const MeasurementSeam& seam) {
    return {AutostartCheck.exchange(seam.CheckAutostartRegistration),
            Ask.exchange(seam.AskTimeSources), Narrow.exchange(seam.NarrowSourceAnswer)};
}

bool RequestMeasurement(HWND form) {
    const std::lock_guard<std::mutex> lock(stateLock);
    return RequestLocked(form);
}

bool RestartMeasurementAfterCorrection(HWND form) {
    // The computer's wall clock now shows the network time: until the new measurement is
    // stored, the network time shown is the computer's own.
    const double shownAsLocal = OffsetShowingLocalClock();
    const std::lock_guard<std::mutex> lock(stateLock);
    NetworkOffset.store(shownAsLocal, std::memory_order_relaxed);
    NoteStoredWidth(HUGE_VAL);
    return RequestLocked(form);
}

bool RestartMeasurementAfterClockChange(HWND form) {
    const std::lock_guard<std::mutex> lock(stateLock);
    NetworkTime.store(0.0, std::memory_order_relaxed);
    NoteStoredWidth(HUGE_VAL);
    return RequestLocked(form);
}

bool RequestQuietMeasurement(HWND form) {
    const std::lock_guard<std::mutex> lock(stateLock);
    if (workerRunning) {
        return true;
    }
    quietRun = true;
    return StartWorkerLocked(form);
}

double BestOffsetSoFar() {
    const std::lock_guard<std::mutex> lock(stateLock);
    return workerRunning ? bestOffsetDays : NetworkOffset.load(std::memory_order_relaxed);
}

bool IsNewestMeasurement(WPARAM request) {
    const std::lock_guard<std::mutex> lock(stateLock);
    return request == newestRequest;
}

int RunningMeasurementWorkers() {
    return RunningWorkers.load();
}
