// Registration of the program to start silently with Windows.
#include "app/win/autostart.h"

#include <windows.h>

#include "app/autostart_entry.h"
#include "app/win/app_info.h"
#include "app/win/control_ops.h"
#include "app/win/registry_text.h"
#include "core/win/wide_text.h"
#include "app/win/main_form_controls.h"

namespace {

// Modal, owned by the form; the handler goes on once the user has dismissed it.
void ShowAutostartFailure(HWND form, AutostartChange change) {
    // A box owned by a window that is gone would not be shown at all.
    const HWND owner = IsWindow(form) ? form : nullptr;
    MessageBoxW(owner, Widen(AutostartFailureText(change)).c_str(),
                Widen(kAutostartValueName).c_str(), MB_OK | MB_ICONERROR);
}

}  // namespace

std::string CurrentAutostartCommand() {
    return AutostartCommand(AppInfo.AppFolder, AppInfo.AppFileName);
}

bool IsAutostartRegistered() {
    return ReadRegistryText(HKEY_LOCAL_MACHINE, kRunKeyPath, kAutostartValueName, {}) ==
           CurrentAutostartCommand();
}

int OnAutostartClicked(int, HWND form, HWND control, int) {
    // An automatic check box: the click has already set the state the user asks for.
    if (IsChecked(control)) {
        // Adding is judged by the registry's answer.
        if (!WriteRegistryText(HKEY_LOCAL_MACHINE, kRunKeyPath, kAutostartValueName,
                               CurrentAutostartCommand())) {
            SetChecked(ControlWindows.AutostartCheckBox, false);
            ShowAutostartFailure(form, AutostartChange::Adding);
        }
        return 0;
    }
    // Clearing is judged by reading back: removing a registration that was never there, or
    // failing to remove one for another path, is nothing the user has to hear about.
    DeleteRegistryEntry(HKEY_LOCAL_MACHINE, kRunKeyPath, kAutostartValueName);
    if (IsAutostartRegistered()) {
        SetChecked(ControlWindows.AutostartCheckBox, true);
        ShowAutostartFailure(form, AutostartChange::Clearing);
    }
    return 0;
}
