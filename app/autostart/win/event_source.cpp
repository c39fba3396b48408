// The program's source in the Application event log, and the entries the silent run writes.
#include "app/autostart/win/event_source.h"

#include <windows.h>

#include <vector>

#include "core/win/registry_key.h"
#include "core/win/unique_handle.h"
#include "core/win/wide_text.h"

namespace {

constexpr wchar_t kMessageFileValue[] = L"EventMessageFile";
constexpr wchar_t kTypesValue[] = L"TypesSupported";
constexpr DWORD kEntryTypes =
    EVENTLOG_ERROR_TYPE | EVENTLOG_WARNING_TYPE | EVENTLOG_INFORMATION_TYPE;

struct EventSourceTraits {
    using Type = HANDLE;
    static Type Invalid() { return nullptr; }
    static void Close(Type source) { DeregisterEventSource(source); }
};
using UniqueEventSource = UniqueHandle<EventSourceTraits>;

WORD EventType(EventKind kind) {
    switch (kind) {
        case EventKind::Warning:
            return EVENTLOG_WARNING_TYPE;
        case EventKind::Error:
            return EVENTLOG_ERROR_TYPE;
        case EventKind::Information:
            break;
    }
    return EVENTLOG_INFORMATION_TYPE;
}

UniqueRegistryKey OpenSourceKey(REGSAM access) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, Widen(kEventSourceKeyPath).c_str(), 0, access, &key) !=
        ERROR_SUCCESS) {
        return {};
    }
    return UniqueRegistryKey(key);
}

void NoteNoAnswer(double secondsWaited, void* context) {
    bool* warned = static_cast<bool*>(context);
    if (NoAnswerWarningDue(secondsWaited, *warned)) {
        *warned = true;
        WriteEventEntry(NoAnswerEntry(secondsWaited));
    }
}

}  // namespace

bool RegisterProgramEventSource(std::string_view copyPath) {
    HKEY rawKey = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, Widen(kEventSourceKeyPath).c_str(), 0, nullptr,
                        REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, &rawKey,
                        nullptr) != ERROR_SUCCESS) {
        return false;
    }
    const UniqueRegistryKey key(rawKey);
    const std::wstring file = Widen(copyPath);
    const auto fileBytes = static_cast<DWORD>((file.size() + 1) * sizeof(wchar_t));
    return RegSetValueExW(key.get(), kMessageFileValue, 0, REG_EXPAND_SZ,
                          reinterpret_cast<const BYTE*>(file.c_str()),
                          fileBytes) == ERROR_SUCCESS &&
           RegSetValueExW(key.get(), kTypesValue, 0, REG_DWORD,
                          reinterpret_cast<const BYTE*>(&kEntryTypes),
                          sizeof(kEntryTypes)) == ERROR_SUCCESS;
}

bool EventSourceNamesCopy(std::string_view copyPath) {
    const UniqueRegistryKey key = OpenSourceKey(KEY_QUERY_VALUE);
    wchar_t file[MAX_PATH + 1] = {};
    DWORD fileBytes = sizeof(file) - sizeof(wchar_t);
    DWORD types = 0;
    DWORD typesBytes = sizeof(types);
    // As written: the path is not expanded.
    if (!key ||
        RegGetValueW(key.get(), nullptr, kMessageFileValue,
                     RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND, nullptr, file,
                     &fileBytes) != ERROR_SUCCESS ||
        RegGetValueW(key.get(), nullptr, kTypesValue, RRF_RT_REG_DWORD, nullptr, &types,
                     &typesBytes) != ERROR_SUCCESS) {
        return false;
    }
    const std::wstring copy = Widen(copyPath);
    return (types & kEntryTypes) == kEntryTypes &&
           CompareStringOrdinal(file, -1, copy.c_str(), -1, TRUE) == CSTR_EQUAL;
}

bool RemoveProgramEventSource() {
    const LONG status = RegDeleteKeyW(HKEY_LOCAL_MACHINE, Widen(kEventSourceKeyPath).c_str());
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}

bool WriteEventEntry(const EventEntry& entry) {
    const UniqueEventSource source(RegisterEventSourceW(nullptr, Widen(kEventSourceName).c_str()));
    if (!source) {
        return false;
    }
    std::vector<std::wstring> strings;
    std::vector<LPCWSTR> pointers;
    for (const std::string& text : entry.Strings) {
        strings.push_back(Widen(text));
    }
    for (const std::wstring& text : strings) {
        pointers.push_back(text.c_str());
    }
    return ReportEventW(source.get(), EventType(entry.Kind), 0, entry.MessageId, nullptr,
                        static_cast<WORD>(pointers.size()), 0, pointers.data(), nullptr) != FALSE;
}

void WriteSilentRunEntry(const SilentCorrectionReport& report) {
    using Outcome = SilentCorrectionReport::Outcome;
    if (report.Result != Outcome::Corrected && report.Result != Outcome::Refused &&
        report.Result != Outcome::Withheld) {
        return;
    }
    const NetworkMeasurement& measurement = report.Measurement;
    SilentRunFacts facts{report.Correction.Accepted,
                         report.Correction.Error,
                         report.Correction.ChangeSeconds,
                         measurement.First.Secure,
                         measurement.Bounds.WidthDays() * kMillisecondsPerDay,
                         measurement.Kind,
                         {}};
    for (const MeasuredSource& source : measurement.Sources) {
        facts.Sources.push_back(
            {source.Url, source.Verdict.Role, source.Verdict.DifferenceDays * kMillisecondsPerDay});
    }
    WriteEventEntry(report.Result == Outcome::Withheld
                        ? TimeWithheldEntry(facts, kUnauthenticatedChangeLimitSeconds)
                        : SilentRunEntry(facts));
}

SilentCorrectionObserver NoAnswerWarningObserver(bool* warnedAlready) {
    return {&NoteNoAnswer, warnedAlready};
}
