// What the silent run writes to the Application event log, and how a refused change of the
// clock is named to the user. The texts of the entries are the message table's (the program's
// resources); these are their numbers and the strings put into them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "app/autostart/autostart_entry.h"
#include "core/source_agreement.h"

// The source the entries are written under, registered when the box is ticked.
inline constexpr std::string_view kEventSourceName = kAutostartValueName;
// Where Windows finds the source: its EventMessageFile names the program file whose message
// table gives the entries' texts.
inline constexpr std::string_view kEventSourceKeyPath =
    "SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\Quelan_Tikora";

// The message table's numbers (resources/event_messages.mc). Each entry's strings fill its
// message's inserts %1, %2, ... in order.
// change, sources, protocol, interval, the sources' agreement
inline constexpr std::uint32_t kClockCorrectedMessage = 1;
// change, sources, protocol, interval, the cause, the sources' agreement
inline constexpr std::uint32_t kClockRefusedMessage = 2;
inline constexpr std::uint32_t kNoAnswerMessage = 3;  // minutes without an answer
// change, sources, the most a plain-HTTP change may be, the sources' agreement
inline constexpr std::uint32_t kTimeWithheldMessage = 4;

// A silent run that has been waiting this long without any answer says so, once.
inline constexpr double kNoAnswerWarningSeconds = 10 * 60;

enum class EventKind { Information, Warning, Error };

struct EventEntry {
    EventKind Kind = EventKind::Information;
    std::uint32_t MessageId = 0;
    std::vector<std::string> Strings;  // UTF-8
};

// One source the silent run asked.
struct SourceFact {
    std::string Url;  // as it was asked
    SourceRole Role = SourceRole::NoPart;
    double DifferenceMs = 0.0;  // its estimate minus the one set, when it took part
};

// What a silent run did with the clock.
struct SilentRunFacts {
    bool Accepted = false;       // Windows set the clock
    std::uint32_t Error = 0;     // why Windows refused it
    double ChangeSeconds = 0.0;  // the change asked for
    bool Secure = false;         // the sources answered over HTTPS with a checked certificate
    double IntervalMs = 0.0;     // the width of the final bounds of the offset
    Agreement Kind = Agreement::Alone;
    std::vector<SourceFact> Sources;  // the ones asked, in the list's order
};

// Information when the clock was set, a warning when it was set although the sources disagreed
// without a majority, an error when Windows refused it. The sources named are the ones the
// offset rests on; every other source asked is named with its difference, or as having given
// nothing to compare.
EventEntry SilentRunEntry(const SilentRunFacts& facts);

// The warning of a run that left the clock alone: its time came over plain HTTP, unauthenticated,
// on a computer where HTTPS has answered before, and would have moved the clock by more than
// limitSeconds.
EventEntry TimeWithheldEntry(const SilentRunFacts& facts, double limitSeconds);

// The warning of a run that has waited secondsWaited without an answer and still retries.
EventEntry NoAnswerEntry(double secondsWaited);

// Whether the wait has come to the warning now: from kNoAnswerWarningSeconds on, once.
bool NoAnswerWarningDue(double secondsWaited, bool warnedAlready);

// A change of the clock in seconds with its sign and three decimals: "+1.234", "-0.050".
std::string SignedSeconds(double seconds);

// Why Windows refused to set the clock, in a sentence the user can act on, with Windows' code.
std::string ClockRefusalCause(std::uint32_t error);

// The window's message when a correction was refused: what failed, then the cause, on two
// lines joined by CR LF.
std::string CorrectionRefusedText(std::uint32_t error);
