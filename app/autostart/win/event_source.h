// The program's source in the Application event log: registered with autostart, so that Event
// Viewer reads the entries' texts from the protected copy, and the entries the silent run
// writes there.
#pragma once

#include <string_view>

#include "app/autostart/event_entries.h"
#include "core/win/silent_correction.h"

// Registers the source (kEventSourceKeyPath) with the message file at copyPath (UTF-8), for
// every kind of entry the program writes. Only an administrator may. True when it is written.
bool RegisterProgramEventSource(std::string_view copyPath);

// True when the source is registered with the message file at copyPath and every kind of entry.
bool EventSourceNamesCopy(std::string_view copyPath);

// Removes the source; true when none is left, including when there was none.
bool RemoveProgramEventSource();

// Writes one entry under the source; false when Windows did not take it. The source need not
// be registered: Windows writes the entry all the same, without its text.
bool WriteEventEntry(const EventEntry& entry);

// The entry of a silent run that asked to set the clock (Corrected or Refused); nothing for
// another outcome.
void WriteSilentRunEntry(const SilentCorrectionReport& report);

// An observer for SilentCorrection that writes the warning once the run has waited
// kNoAnswerWarningSeconds without an answer. warnedAlready is its state, false at first.
SilentCorrectionObserver NoAnswerWarningObserver(bool* warnedAlready);
