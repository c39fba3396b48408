// Measuring the network offset, correcting the clock, and the silent start-up mode.
#pragma once

#include <windows.h>

#include <string>

#include "core/network_estimate.h"
#include "core/network_measurement.h"
#include "core/offset_refinement.h"
#include "core/win/network_time.h"

// Pause between two rounds over the time sources in the silent start-up mode.
constexpr unsigned kSourceRetryDelayMs = 5000;
// Once HTTPS has answered on this computer (HttpsHasAnswered), a silent correction from time that
// came over plain HTTP alone moves the clock by at most this, either way. A clock set right once
// drifts by a few seconds a day at most, so this leaves weeks of drift to correct; what an
// attacker who forces the plain round can do is held to it for each run.
constexpr double kUnauthenticatedChangeLimitSeconds = 60.0;

// What a measurement does with a fetch's reading: when it holds a header time and both stamps,
// NetworkTime becomes the estimated network time (UTC+8) at the middle of the exchange and
// NetworkOffset the source's UTC minus the computer's UTC at the same moment, and the result is
// true. Otherwise NetworkTime becomes 0 and NetworkOffset stays as it was.
bool StoreNetworkMeasurement(const NetworkReading& reading);
// The same with the offset narrowed down from that reading: the centre of the bounds.
void StoreRefinedMeasurement(const NetworkReading& first, const OffsetBounds& bounds);
// What one correction of the clock did.
struct ClockCorrection {
    bool Accepted = false;       // Windows set the clock
    DWORD Error = 0;             // GetLastError of the refused SetLocalTime; 0 when accepted
    double ChangeSeconds = 0.0;  // the network time set minus the clock's reading before it
};

// Sets the local clock to the network time (UTC+8) of one reading of the computer's clock with
// the given offset: date, time of day and milliseconds at once (see SetLocalClock). Windows
// takes the time given as local wall-clock time in the zone in force at that moment.
ClockCorrection CorrectLocalClockBy(double offsetDays);
// The same with NetworkOffset.
ClockCorrection CorrectLocalClock();
// The change of the wall clock, in seconds, that CorrectLocalClockBy would make now.
double ClockChangeSecondsBy(double offsetDays);
// The offset at which the network time is the computer's own wall clock: 0 in UTC+8, the
// zone's distance from UTC+8 elsewhere. It stands for "nothing measured" before the first
// measurement and right after a correction, when the wall clock shows the network time.
double OffsetShowingLocalClock();
// True when the recorded command line asks for the silent start-up mode (any argument text).
bool SilentModeRequested();
// Takes the computer's one silent-correction turn, a mutex in a private namespace that only
// SYSTEM and administrators can make or open (silent_correction_turn.cpp), for the rest of the
// process's life; false when another process holds it. No other process can hold a name there,
// so none can stop the correction. A turn whose holder ended without giving it back is taken
// over. When the guard cannot be set up, the turn is taken too, so that a failure of the guard
// never keeps the clock from being corrected.
bool TakeSilentCorrectionTurn();
// What a silent start-up did, for its exit code and the event log.
struct SilentCorrectionReport {
    enum class Outcome {
        NotRequested,     // no argument: the window is to be opened
        AnotherInstance,  // another instance is correcting: nothing was asked or changed
        Corrected,        // Windows set the clock
        Refused,          // Windows refused to set the clock
        Withheld,         // plain-HTTP time beyond kUnauthenticatedChangeLimitSeconds: not set
    };
    Outcome Result = Outcome::NotRequested;
    ClockCorrection Correction;      // Corrected, Refused and Withheld (the change not made)
    NetworkMeasurement Measurement;  // the one corrected from: Corrected, Refused and Withheld
};

// Told of the silent mode's long waits: called after every round in which no source answered,
// with the seconds since the first round began.
struct SilentCorrectionObserver {
    void (*NoAnswerYet)(double secondsWaited, void* context) = nullptr;
    void* Context = nullptr;
};

// With arguments on the command line: when another instance is correcting already, returns
// AnotherInstance at once, without asking the network or touching the clock; otherwise measures
// until a source answers (MeasureNetworkOffset, again 5000 ms after a round in which none
// did), corrects the clock once by the sources' agreed offset and says how that went. An HTTPS
// answer is recorded (RecordHttpsAnswered); once one has been, time that came over plain HTTP
// alone sets the clock only within kUnauthenticatedChangeLimitSeconds, and is Withheld beyond. When
// something else set the clock by more than 50 ms meanwhile, it measures again first. Without
// arguments returns NotRequested at once. The sources are the built-in ones through the machine's
// proxy setting (ProxySettings::Machine).
SilentCorrectionReport SilentCorrection(const SilentCorrectionObserver& observer = {});
// The same with the given sources (tests reach a local one).
SilentCorrectionReport SilentCorrectionFrom(const SourceEndpoints& sources,
                                            const SilentCorrectionObserver& observer = {});
