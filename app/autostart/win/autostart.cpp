// Registration of a program to start silently with Windows: the protected copy, the
// machine-wide Run value, the logon task that runs the copy as SYSTEM for every user, and the
// event source whose texts the copy holds.
#include "app/autostart/win/autostart.h"

#include <windows.h>

#include <mutex>
#include <optional>

#include "app/autostart/autostart_entry.h"
#include "app/autostart/win/event_source.h"
#include "app/autostart/win/logon_task.h"
#include "app/autostart/win/protected_copy.h"
#include "app/autostart/win/registry_text.h"
#include "core/win/https_record.h"
#include "core/win/wide_text.h"

namespace {

// Held for each whole piece of registration work, on the UI thread or a worker; never while
// waiting for another thread (a worker's sent message waits for the UI thread, which may be
// waiting here). Never destroyed: detached workers may still run while the exit handlers do.
std::mutex& RegistrationLock = *new std::mutex;

// As Windows compares file names: the full paths, ordinal, letter case ignored.
bool SameWindowsPath(std::string_view left, std::string_view right) {
    const std::wstring wideLeft = Widen(left);
    const std::wstring wideRight = Widen(right);
    return CompareStringOrdinal(wideLeft.data(), static_cast<int>(wideLeft.size()),
                                wideRight.data(), static_cast<int>(wideRight.size()),
                                TRUE) == CSTR_EQUAL;
}

// What the Run value starts, when it is this program or its copy.
struct OwnRunValue {
    bool StartsCopy = false;
    bool Quoted = false;
};

std::optional<OwnRunValue> ReadOwnRunValue(std::string_view programPath, std::string_view copy) {
    const std::string value =
        ReadRegistryText(HKEY_LOCAL_MACHINE, kRunKeyPath, kAutostartValueName, {});
    const std::optional<SilentCommandProgram> program = ProgramOfSilentCommand(value);
    if (!program) {
        return std::nullopt;
    }
    const bool startsCopy = !copy.empty() && SameWindowsPath(program->Path, copy);
    if (!startsCopy && !SameWindowsPath(program->Path, programPath)) {
        return std::nullopt;
    }
    return OwnRunValue{startsCopy, program->Quoted};
}

// The value starts the copy, never the file the user started: Explorer runs it with a full
// administrator token where User Account Control is off, and that file may sit where others
// can replace it.
bool WriteRunValue(std::string_view copy) {
    return WriteRegistryText(HKEY_LOCAL_MACHINE, kRunKeyPath, kAutostartValueName,
                             AutostartCommand(copy));
}

void DeleteRunValue() {
    DeleteRegistryEntry(HKEY_LOCAL_MACHINE, kRunKeyPath, kAutostartValueName);
}

bool TaskRunsCopyAsSystem(std::string_view copy) {
    const std::optional<std::string> program = LogonTaskSystemProgram();
    return program && SameWindowsPath(*program, copy);
}

// The registration functions below run with RegistrationLock held.

// In order, each step undone when a later one is refused, so that nothing is left that the box,
// going back, does not show.
bool AddLocked(std::string_view programPath, const std::string& copy) {
    if (copy.empty() || !InstallProtectedCopy(programPath)) {
        return false;
    }
    if (!WriteRunValue(copy)) {
        RemoveProtectedCopy();
        return false;
    }
    if (!RegisterLogonTask(copy)) {
        DeleteRunValue();
        RemoveProtectedCopy();
        return false;
    }
    if (!RegisterProgramEventSource(copy)) {
        DeleteLogonTask();
        DeleteRunValue();
        RemoveProtectedCopy();
        return false;
    }
    return true;
}

// The task first, since it is what runs with every right; if it stays, nothing else is touched.
// The value is judged by reading it back: one that was never there, or that starts another path
// and cannot be removed, is nothing the user has to hear about. If this program's value stays,
// the task comes back, so that the box, ticked again, tells the truth. The event source and the
// copy go last; a copy that cannot go is inert once neither the task nor the value starts it.
bool RemoveLocked(std::string_view programPath, const std::string& copy) {
    if (!DeleteLogonTask()) {
        return false;
    }
    DeleteRunValue();
    if (ReadOwnRunValue(programPath, copy)) {
        if (!copy.empty()) {
            RegisterLogonTask(copy);
        }
        return false;
    }
    RemoveProgramEventSource();
    RemoveHttpsRecord();
    RemoveProtectedCopy();
    return true;
}

AutostartCheck CheckAndRepairLocked(std::string_view programPath, const std::string& copy) {
    const std::optional<OwnRunValue> value = ReadOwnRunValue(programPath, copy);
    if (!value) {
        return AutostartCheck::NotRegistered;
    }
    // Each repair only once the one before it holds: the value and the task never start a copy
    // that could not be made.
    const bool whole = !copy.empty() &&
                       (ProtectedCopyIsCurrent(programPath) || InstallProtectedCopy(programPath)) &&
                       ((value->StartsCopy && value->Quoted) || WriteRunValue(copy)) &&
                       (TaskRunsCopyAsSystem(copy) || RegisterLogonTask(copy)) &&
                       (EventSourceNamesCopy(copy) || RegisterProgramEventSource(copy));
    if (!whole) {
        RemoveLocked(programPath, copy);
        return AutostartCheck::RepairRefused;
    }
    return AutostartCheck::Registered;
}

}  // namespace

// One read of the registry is whole by itself and needs no turn, so a handler on the UI thread
// never waits for one (a worker that holds the turn may be waiting for the UI thread).
bool IsProgramRegistered(std::string_view programPath) {
    return ReadOwnRunValue(programPath, ProtectedCopyPath()).has_value();
}

bool AddAutostart(std::string_view programPath) {
    const std::lock_guard<std::mutex> lock(RegistrationLock);
    return AddLocked(programPath, ProtectedCopyPath());
}

bool RemoveAutostart(std::string_view programPath) {
    const std::lock_guard<std::mutex> lock(RegistrationLock);
    return RemoveLocked(programPath, ProtectedCopyPath());
}

AutostartCheck CheckAndRepairAutostart(std::string_view programPath) {
    const std::lock_guard<std::mutex> lock(RegistrationLock);
    return CheckAndRepairLocked(programPath, ProtectedCopyPath());
}
