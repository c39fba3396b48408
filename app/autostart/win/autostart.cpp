// Registration of a program to start silently with Windows: the protected copy, the
// machine-wide Run value, and the logon task that runs the copy as SYSTEM for every user.
#include "app/autostart/win/autostart.h"

#include <windows.h>

#include <mutex>
#include <optional>

#include "app/autostart/autostart_entry.h"
#include "app/autostart/win/logon_task.h"
#include "app/autostart/win/protected_copy.h"
#include "app/autostart/win/registry_text.h"
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

// Whether the Run value starts this program: nullopt when it does not, else whether it is
// quoted.
std::optional<bool> ReadOwnRunValue(std::string_view programPath) {
    const std::string value =
        ReadRegistryText(HKEY_LOCAL_MACHINE, kRunKeyPath, kAutostartValueName, {});
    const std::optional<SilentCommandProgram> program = ProgramOfSilentCommand(value);
    if (!program || !SameWindowsPath(program->Path, programPath)) {
        return std::nullopt;
    }
    return program->Quoted;
}

bool WriteRunValue(std::string_view programPath) {
    return WriteRegistryText(HKEY_LOCAL_MACHINE, kRunKeyPath, kAutostartValueName,
                             AutostartCommandFor(programPath));
}

void DeleteRunValue() {
    DeleteRegistryEntry(HKEY_LOCAL_MACHINE, kRunKeyPath, kAutostartValueName);
}

bool TaskRunsCopyAsSystem(const std::string& copy) {
    const std::optional<std::string> program = LogonTaskSystemProgram();
    return program && SameWindowsPath(*program, copy);
}

// The registration functions below run with RegistrationLock held.

// In order, each step undone when a later one is refused, so that nothing is left that the box,
// going back, does not show.
bool AddLocked(std::string_view programPath) {
    const std::string copy = ProtectedCopyPath();
    if (copy.empty() || !InstallProtectedCopy(programPath)) {
        return false;
    }
    if (!WriteRunValue(programPath)) {
        RemoveProtectedCopy();
        return false;
    }
    if (!RegisterLogonTask(copy)) {
        DeleteRunValue();
        RemoveProtectedCopy();
        return false;
    }
    return true;
}

// The task first, since it is what runs with every right; if it stays, nothing else is touched.
// The value is judged by reading it back: one that was never there, or that starts another path
// and cannot be removed, is nothing the user has to hear about. If this program's value stays,
// the task comes back, so that the box, ticked again, tells the truth. The copy goes last; a copy
// that cannot go is inert once neither the task nor the value starts it.
bool RemoveLocked(std::string_view programPath) {
    if (!DeleteLogonTask()) {
        return false;
    }
    DeleteRunValue();
    if (ReadOwnRunValue(programPath)) {
        const std::string copy = ProtectedCopyPath();
        if (!copy.empty()) {
            RegisterLogonTask(copy);
        }
        return false;
    }
    RemoveProtectedCopy();
    return true;
}

bool CheckAndRepairLocked(std::string_view programPath) {
    const std::optional<bool> quoted = ReadOwnRunValue(programPath);
    if (!quoted) {
        return false;
    }
    if (!ProtectedCopyIsCurrent(programPath)) {
        InstallProtectedCopy(programPath);
    }
    if (!*quoted) {
        WriteRunValue(programPath);
    }
    const std::string copy = ProtectedCopyPath();
    if (!copy.empty() && !TaskRunsCopyAsSystem(copy)) {
        RegisterLogonTask(copy);
    }
    return true;
}

}  // namespace

std::string AutostartCommandFor(std::string_view programPath) {
    return AutostartCommand(programPath);
}

// Only the UI thread removes the value, and a worker at most rewrites it quoted, so one read
// needs no turn: a handler on the UI thread can never wait for one.
bool IsProgramRegistered(std::string_view programPath) {
    return ReadOwnRunValue(programPath).has_value();
}

bool AddAutostart(std::string_view programPath) {
    const std::lock_guard<std::mutex> lock(RegistrationLock);
    return AddLocked(programPath);
}

bool RemoveAutostart(std::string_view programPath) {
    const std::lock_guard<std::mutex> lock(RegistrationLock);
    return RemoveLocked(programPath);
}

bool CheckAndRepairAutostart(std::string_view programPath) {
    const std::lock_guard<std::mutex> lock(RegistrationLock);
    return CheckAndRepairLocked(programPath);
}
