// Registration of the program to start silently with Windows: the machine-wide Run value, and
// a logon task with the highest privileges, which is what Windows really starts elevated.
#include "app/win/autostart.h"

#include <windows.h>

#include "app/autostart_entry.h"
#include "app/win/app_info.h"
#include "app/win/control_ops.h"
#include "app/win/logon_task.h"
#include "app/win/main_form_controls.h"
#include "app/win/registry_text.h"
#include "core/win/wide_text.h"

namespace {

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

// Adding is judged by both: when either is refused, the other is undone, so that nothing is
// left that the box does not show.
bool AddAutostart() {
    if (!WriteRegistryText(HKEY_LOCAL_MACHINE, kRunKeyPath, kAutostartValueName,
                           CurrentAutostartCommand())) {
        return false;
    }
    if (!RegisterLogonTask(ProgramPath())) {
        DeleteRegistryEntry(HKEY_LOCAL_MACHINE, kRunKeyPath, kAutostartValueName);
        return false;
    }
    return true;
}

// Clearing is judged by reading back: removing a registration that was never there, or
// failing to remove a Run value written for another path, is nothing the user has to hear
// about. When either stays, so does the other, as the box that goes back shows.
bool ClearAutostart() {
    DeleteRegistryEntry(HKEY_LOCAL_MACHINE, kRunKeyPath, kAutostartValueName);
    if (IsAutostartRegistered()) {
        return false;
    }
    if (!DeleteLogonTask()) {
        WriteRegistryText(HKEY_LOCAL_MACHINE, kRunKeyPath, kAutostartValueName,
                          CurrentAutostartCommand());
        return false;
    }
    return true;
}

}  // namespace

std::string CurrentAutostartCommand() {
    return AutostartCommand(AppInfo.AppFolder, AppInfo.AppFileName);
}

bool IsAutostartRegistered() {
    return ReadRegistryText(HKEY_LOCAL_MACHINE, kRunKeyPath, kAutostartValueName, {}) ==
           CurrentAutostartCommand();
}

bool CheckAutostartRegistration() {
    if (!IsAutostartRegistered()) {
        return false;
    }
    // Registered, perhaps by an older build that wrote the Run value alone, or for a task that
    // has since been removed: the user asked for a correction at every start.
    if (!LogonTaskRunsProgram(ProgramPath())) {
        RegisterLogonTask(ProgramPath());
    }
    return true;
}

int OnAutostartClicked(int, HWND form, HWND control, int) {
    // An automatic check box: the click has already set the state the user asks for.
    if (IsChecked(control)) {
        if (!AddAutostart()) {
            SetChecked(ControlWindows.AutostartCheckBox, false);
            ShowAutostartFailure(form, AutostartChange::Adding);
        }
        return 0;
    }
    if (!ClearAutostart()) {
        SetChecked(ControlWindows.AutostartCheckBox, true);
        ShowAutostartFailure(form, AutostartChange::Clearing);
    }
    return 0;
}
