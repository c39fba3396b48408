// The keyboard focus around a button that turns itself off: parked where a key does nothing,
// and given back when the button returns.
#include "app/win/button_focus.h"

#include "app/win/control_ops.h"
#include "forms/win/control_record.h"

namespace {

// The UI thread's alone; one button at a time parks the focus.
HWND parkedFor = nullptr;
HWND parkedOn = nullptr;

}  // namespace

void DisableButtonParkingFocus(HWND button, HWND parking) {
    if (button != nullptr && parking != nullptr && GetFocus() == button) {
        SetFocus(parking);
        if (GetFocus() == parking) {
            parkedFor = button;
            parkedOn = parking;
        }
    }
    DisableControl(button);
}

void EnableButtonTakingBackFocus(HWND button) {
    EnableControl(button);
    if (button == nullptr || button != parkedFor) {
        return;
    }
    const HWND parking = parkedOn;
    parkedFor = nullptr;
    parkedOn = nullptr;
    if (GetFocus() == parking) {
        SetFocus(button);
        return;
    }
    // Another program is active: the form hands the focus to the child it remembers when it
    // is activated again.
    ControlRecord* form = FindControlRecord(GetParent(button));
    if (GetFocus() == nullptr && form != nullptr && form->FocusedChild == parking) {
        form->FocusedChild = button;
    }
}
