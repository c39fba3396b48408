// The background measurement of the network offset: one worker at a time, trying again 5 s
// after a round in which no source answered, then narrowing every source's offset down; never
// waited for.
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

NetworkMeasurement MeasureBuiltInSources(const MeasurementObserver& observer) {
    return MeasureNetworkOffset(BuiltInSources(), observer);
}

// The seam's entries are read by workers while the UI thread runs; atomics keep a test's
// replacement from being seen half-written.
std::atomic<bool (*)()> AutostartCheck{&CheckAutostartRegistration};
std::atomic<NetworkMeasurement (*)(const MeasurementObserver&)> Measure{&MeasureBuiltInSources};

std::atomic<int> RunningWorkers{0};

// Requests are numbered; a worker stores a measurement only for the newest one, and only while
// holding the lock, so that a correction (which resets the offset and makes a new request under
// the same lock) can never be followed by a measurement of the clock from before it. The lock
// is never held across a call that waits for another thread.
std::mutex stateLock;
unsigned newestRequest = 0;
bool workerRunning = false;
bool quietRun = false;  // the running worker measures quietly

// The offset in force, all of it in one place: what the read-outs show (NetworkTime and
// NetworkOffset, which the UI thread reads without the lock; only this record writes them), how
// exact it is, and the best estimate while a measurement is being narrowed down. With the lock
// held.
struct OffsetInForce {
    // Its bounds' width when it was stored (infinite while none is measured) and when that was,
    // on GetTickCount64, which no change of the clock moves.
    double WidthDays = HUGE_VAL;
    ULONGLONG StoredTick = 0;
    double BestDays = 0.0;  // BestOffsetSoFar

    // A first answer, or none (NetworkTime 0: the read-out says fetching).
    void StoreFirstAnswer(const NetworkReading& first) {
        if (StoreNetworkMeasurement(first)) {
            NoteWidth(BoundsOfAnswer(first).WidthDays());
        }
        BestDays = NetworkOffset.load(std::memory_order_relaxed);
    }
    void StoreMeasurement(const NetworkMeasurement& measurement) {
        StoreRefinedMeasurement(measurement.First, measurement.Bounds);
        NoteWidth(measurement.Bounds.WidthDays());
        BestDays = NetworkOffset.load(std::memory_order_relaxed);
    }
    // Whether new bounds are narrower than those in force, these widened for the drift since
    // they were measured.
    bool NarrowerThanStored(const OffsetBounds& bounds) const {
        const double ageSeconds = static_cast<double>(GetTickCount64() - StoredTick) / 1000.0;
        return bounds.WidthDays() < AgedWidthDays(WidthDays, ageSeconds);
    }
    // Until the next measurement is stored, the network time shown is the computer's wall clock
    // (the offset at which it is, after a correction), or unknown (after a change of the clock).
    void ShowLocalClock(double shownAsLocalDays) {
        NetworkOffset.store(shownAsLocalDays, std::memory_order_relaxed);
        BestDays = shownAsLocalDays;
        NoteWidth(HUGE_VAL);
    }
    void Forget() {
        NetworkTime.store(0.0, std::memory_order_relaxed);
        NoteWidth(HUGE_VAL);
    }

private:
    void NoteWidth(double widthDays) {
        WidthDays = widthDays;
        StoredTick = GetTickCount64();
    }
};
OffsetInForce offsetInForce;

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

// One round's view of its measurement.
struct Round {
    HWND Form = nullptr;
    Turn Turn;
};

// Loud rounds store the first answer at once and tell the form; quiet ones store only the
// agreed offset. A request that came meanwhile (a click, a change of the clock) makes the rest
// of the measurement useless.
bool OnFirstAnswer(const NetworkReading& first, void* context) {
    const Round& round = *static_cast<const Round*>(context);
    {
        const std::lock_guard<std::mutex> lock(stateLock);
        if (round.Turn.Request != newestRequest) {
            return false;
        }
        if (!round.Turn.Quiet) {
            offsetInForce.StoreFirstAnswer(first);
        }
    }
    if (!round.Turn.Quiet) {
        // The button comes back only for the offset in force (the UI thread checks).
        SendMessageW(round.Form, kMeasurementStoredMessage, round.Turn.Request, 0);
    }
    return true;
}

// Before each narrowing exchange: in a loud round, the first source's best estimate so far, for
// a click meanwhile.
bool OnNarrowed(const OffsetBounds& bounds, bool firstSource, void* context) {
    const Round& round = *static_cast<const Round*>(context);
    const std::lock_guard<std::mutex> lock(stateLock);
    if (round.Turn.Request != newestRequest) {
        return false;
    }
    if (firstSource && !round.Turn.Quiet) {
        offsetInForce.BestDays = bounds.CentreDays();
    }
    return true;
}

enum class Outcome { Done, Stale, NoAnswer };

Outcome MeasureOnce(HWND form, Turn turn) {
    Round round{form, turn};
    const NetworkMeasurement measurement = Measure.load()({&OnFirstAnswer, &OnNarrowed, &round});
    const std::lock_guard<std::mutex> lock(stateLock);
    if (turn.Request != newestRequest || measurement.Abandoned) {
        return Outcome::Stale;
    }
    if (!measurement.Answered()) {
        if (!turn.Quiet) {
            offsetInForce.StoreFirstAnswer({});
        }
        return Outcome::NoAnswer;
    }
    // A quiet round never swaps the offset in force for a less exact one, as when its narrowings
    // failed and only its first answer's second is left.
    if (!turn.Quiet || offsetInForce.NarrowerThanStored(measurement.Bounds)) {
        offsetInForce.StoreMeasurement(measurement);
    }
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
                if (quietRun) {  // no loud request came meanwhile: the next quarter tries again
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
    offsetInForce.BestDays = NetworkOffset.load(std::memory_order_relaxed);
    if (workerRunning) {
        SetEvent(WakeEvent());
        return true;
    }
    return StartWorkerLocked(form);
}

}  // namespace

MeasurementSeam InstallMeasurement(const MeasurementSeam& seam) {
    return {AutostartCheck.exchange(seam.CheckAutostartRegistration),
            Measure.exchange(seam.Measure)};
}

void ShowLocalClockUntilMeasured() {
    const double shownAsLocal = OffsetShowingLocalClock();
    const std::lock_guard<std::mutex> lock(stateLock);
    offsetInForce.ShowLocalClock(shownAsLocal);
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
    offsetInForce.ShowLocalClock(shownAsLocal);
    return RequestLocked(form);
}

bool RestartMeasurementAfterClockChange(HWND form) {
    const std::lock_guard<std::mutex> lock(stateLock);
    offsetInForce.Forget();
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
    return workerRunning ? offsetInForce.BestDays : NetworkOffset.load(std::memory_order_relaxed);
}

bool IsNewestMeasurement(WPARAM request) {
    const std::lock_guard<std::mutex> lock(stateLock);
    return request == newestRequest;
}

int RunningMeasurementWorkers() {
    return RunningWorkers.load();
}
