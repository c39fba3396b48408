// Registration of the program to start silently with Windows: the protected copy, the
// machine-wide Run value, and the logon task that runs the copy as SYSTEM for every user.
#include "app/win/autostart.h"

#include <windows.h>

#include <mutex>
#include <optional>
#include <string_view>

#include "app/autostart_entry.h"
#include "app/win/app_info.h"
#include "app/win/control_ops.h"
#include "app/win/logon_task.h"
#include "app/win/main_form_controls.h"
#include "app/win/protected_copy.h"
#include "app/win/registry_text.h"
#include "core/win/wide_text.h"

namespace {

// Held for each whole piece of registration work, on the UI thread or a worker; never while
// waiting for another thread (a worker's sent message waits for the UI thread, which may be
// waiting here). Never destroyed: detached workers may still run while the exit handlers do.
std::mutex& RegistrationLock = *new std::mutex;

// Modal, owned by the form; the handler goes on once the user has dismissed it.
void ShowAutostartFailure(HWND form, AutostartChange change) {
    // A box owned by a window that is gone would not be shown at all.
    const HWND owner = IsWindow(form) ? form : nullptr;
    MessageBoxW(owner, Widen(AutostartFailureText(change)).c_str(),
                Widen(kAutostartValueName).c_str(), MB_OK | MB_ICONERROR);
}

std::string ProgramPath() {
    return AppInfo.AppFolder + AppInfo.AppFileName;
}

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
std::optional<bool> ReadOwnRunValue() {
    const std::string value =
        ReadRegistryText(HKEY_LOCAL_MACHINE, kRunKeyPath, kAutostartValueName, {});
    const std::optional<SilentCommandProgram> program = ProgramOfSilentCommand(value);
    if (!program || !SameWindowsPath(program->Path, ProgramPath())) {
        return std::nullopt;
    }
    return program->Quoted;
}

bool WriteRunValue() {
    return WriteRegistryText(HKEY_LOCAL_MACHINE, kRunKeyPath, kAutostartValueName,
                             CurrentAutostartCommand());
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
bool AddLocked() {
    const std::string copy = ProtectedCopyPath();
    if (copy.empty() || !InstallProtectedCopy()) {
        return false;
    }
    if (!WriteRunValue()) {
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
bool ClearLocked() {
    if (!DeleteLogonTask()) {
        return false;
    }
    DeleteRunValue();
    if (ReadOwnRunValue()) {
        const std::string copy = ProtectedCopyPath();
        if (!copy.empty()) {
            RegisterLogonTask(copy);
        }
        return false;
    }
    RemoveProtectedCopy();
    return true;
}

bool CheckAndRepairLocked() {
    const std::optional<bool> quoted = ReadOwnRunValue();
    if (!quoted) {
        return false;
    }
    if (!ProtectedCopyIsCurrent()) {
        InstallProtectedCopy();
    }
    if (!*quoted) {
        WriteRunValue();
    }
    const std::string copy = ProtectedCopyPath();
    if (!copy.empty() && !TaskRunsCopyAsSystem(copy)) {
        RegisterLogonTask(copy);
    }
    return true;
}

}  // namespace

std::string CurrentAutostartCommand() {
    return AutostartCommand(ProgramPath());
}

// One read of the value, which needs no turn: only the UI thread removes it, and a worker at
// most rewrites it quoted. So OnAutostartFound can never wait for a turn, even if the UI thread
// handles the message inside a click's work.
bool IsAutostartRegistered() {
    return ReadOwnRunValue().has_value();
}

bool CheckAutostartRegistration() {
    const std::lock_guard<std::mutex> lock(RegistrationLock);
    return CheckAndRepairLocked();
}

int OnAutostartClicked(int, HWND form, HWND control, int) {
    // An automatic check box: the click has already set the state the user asks for.
    const bool adding = IsChecked(control);
    bool done = false;
    {
        const std::lock_guard<std::mutex> lock(RegistrationLock);
        done = adding ? AddLocked() : ClearLocked();
    }
    if (!done) {
        SetChecked(ControlWindows.AutostartCheckBox, !adding);
        ShowAutostartFailure(form, adding ? AutostartChange::Adding : AutostartChange::Clearing);
    }
    return 0;
}

int OnAutostartFound(HWND, WPARAM, LPARAM) {
    if (IsAutostartRegistered()) {
        SetChecked(ControlWindows.AutostartCheckBox, true);
    }
    return 0;
}
