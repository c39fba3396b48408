// What the silent run writes to the Application event log, and how a refused change of the
// clock is named to the user.
#include "app/autostart/event_entries.h"

#include <cmath>
#include <cstdio>

namespace {

// Windows' codes for a caller that lacks the right to set the clock (SeSystemtimePrivilege is
// not held, or a policy took it away) and for one that may not ask at all.
constexpr std::uint32_t kPrivilegeNotHeld = 1314;
constexpr std::uint32_t kAccessDenied = 5;

constexpr std::string_view kCorrectionFailedLine = "校正电脑时间失败";

std::string Formatted(const char* format, double value) {
    char text[64] = {};
    std::snprintf(text, sizeof(text), format, value);
    return text;
}

std::string WithCode(std::string_view sentence, std::uint32_t error) {
    return std::string(sentence) + "（Windows 错误代码 " + std::to_string(error) + "）";
}

}  // namespace

std::string SignedSeconds(double seconds) {
    // Rounded to the millisecond first, so that the sign is the one of the digits shown.
    const double milliseconds = std::round(seconds * 1000.0);
    return Formatted(milliseconds < 0.0 ? "-%.3f" : "+%.3f", std::fabs(milliseconds) / 1000.0);
}

std::string ClockRefusalCause(std::uint32_t error) {
    if (error == kPrivilegeNotHeld || error == kAccessDenied) {
        return WithCode("没有更改系统时间的权限，例如被组策略禁止", error);
    }
    return WithCode("Windows 拒绝更改系统时间", error);
}

std::string CorrectionRefusedText(std::uint32_t error) {
    return std::string(kCorrectionFailedLine) + "\r\n" + ClockRefusalCause(error);
}

namespace {

// The sources the offset rests on, one after the other.
std::string CountedSources(const SilentRunFacts& facts) {
    std::string named;
    for (const SourceFact& source : facts.Sources) {
        if (source.Role == SourceRole::Counted) {
            named += (named.empty() ? "" : "、") + source.Url;
        }
    }
    return named;
}

// What the other sources said, a line each after the first line break; empty when every source
// asked agreed.
std::string AgreementNote(const SilentRunFacts& facts) {
    std::string note;
    if (facts.Kind == Agreement::NoMajority) {
        note += "\r\n时间源之间互不一致，没有多数：按最先回答的时间源校正。";
    }
    for (const SourceFact& source : facts.Sources) {
        if (source.Role == SourceRole::LeftOut) {
            note += "\r\n" + std::string(facts.Kind == Agreement::NoMajority ? "" : "未采用 ") +
                    source.Url + "：与所设时间相差 " +
                    Formatted(source.DifferenceMs < 0.0 ? "-%.1f" : "+%.1f",
                              std::fabs(source.DifferenceMs)) +
                    " 毫秒。";
        } else if (source.Role == SourceRole::NoPart && !source.Url.empty()) {
            note += "\r\n" + source.Url + " 没有给出可比较的结果。";
        }
    }
    return note;
}

}  // namespace

EventEntry SilentRunEntry(const SilentRunFacts& facts) {
    EventEntry entry;
    entry.Kind = !facts.Accepted                       ? EventKind::Error
                 : facts.Kind == Agreement::NoMajority ? EventKind::Warning
                                                       : EventKind::Information;
    entry.MessageId = facts.Accepted ? kClockCorrectedMessage : kClockRefusedMessage;
    entry.Strings = {SignedSeconds(facts.ChangeSeconds), CountedSources(facts),
                     facts.Secure ? "HTTPS" : "HTTP", Formatted("%.1f", facts.IntervalMs)};
    if (!facts.Accepted) {
        entry.Strings.push_back(ClockRefusalCause(facts.Error));
    }
    entry.Strings.push_back(AgreementNote(facts));
    return entry;
}

EventEntry TimeWithheldEntry(const SilentRunFacts& facts, double limitSeconds) {
    return {EventKind::Warning,
            kTimeWithheldMessage,
            {SignedSeconds(facts.ChangeSeconds), CountedSources(facts),
             Formatted("%.0f", limitSeconds), AgreementNote(facts)}};
}

EventEntry NoAnswerEntry(double secondsWaited) {
    return {EventKind::Warning, kNoAnswerMessage, {Formatted("%.0f", secondsWaited / 60.0)}};
}

bool NoAnswerWarningDue(double secondsWaited, bool warnedAlready) {
    return !warnedAlready && secondsWaited >= kNoAnswerWarningSeconds;
}
