// The autostart check box on the main form: registration as the user asks, and what the user
// is told when Windows refuses it.
#include "app/win/autostart_box.h"

#include <atomic>
#include <string>

#include "app/autostart/autostart_entry.h"
#include "app/autostart/win/autostart.h"
#include "app/win/app_info.h"
#include "app/win/control_ops.h"
#include "app/win/main_form_controls.h"
#include "core/win/wide_text.h"

namespace {

// Set by a worker whose quiet check had a repair refused, taken by the UI thread when it hears
// of it.
std::atomic<bool> repairRefused{false};

std::string ProgramPath() {
    return AppInfo.AppFolder + AppInfo.AppFileName;
}

// Modal, owned by the form; the handler goes on once the user has dismissed it.
void ShowAutostartFailure(HWND form, AutostartChange change) {
    // A box owned by a window that is gone would not be shown at all.
    const HWND owner = IsWindow(form) ? form : nullptr;
    MessageBoxW(owner, Widen(AutostartFailureText(change)).c_str(),
                Widen(kAutostartValueName).c_str(), MB_OK | MB_ICONERROR);
}

}  // namespace

bool IsAutostartRegistered() {
    return IsProgramRegistered(ProgramPath());
}

bool CheckAutostartRegistration() {
    switch (CheckAndRepairAutostart(ProgramPath())) {
        case AutostartCheck::Registered:
            return true;
        case AutostartCheck::RepairRefused:
            repairRefused = true;
            return true;
        case AutostartCheck::NotRegistered:
            break;
    }
    return false;
}

int OnAutostartClicked(int, HWND form, HWND control, int) {
    // An automatic check box: the click has already set the state the user asks for.
    const bool adding = IsChecked(control);
    const bool done = adding ? AddAutostart(ProgramPath()) : RemoveAutostart(ProgramPath());
    if (!done) {
        SetChecked(ControlWindows.AutostartCheckBox, !adding);
        ShowAutostartFailure(form, adding ? AutostartChange::Adding : AutostartChange::Clearing);
    }
    return 0;
}

int OnAutostartFound(HWND form, WPARAM, LPARAM) {
    if (repairRefused.exchange(false)) {
        SetChecked(ControlWindows.AutostartCheckBox, false);
        // The worker that sent this goes on measuring while the user reads the message.
        ReplyMessage(0);
        ShowAutostartFailure(form, AutostartChange::Adding);
        return 0;
    }
    if (IsAutostartRegistered()) {
        SetChecked(ControlWindows.AutostartCheckBox, true);
    }
    return 0;
}
