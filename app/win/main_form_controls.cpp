// Window handles of the main form's controls, for the controller and the measurement workers.
#include "app/win/main_form_controls.h"

#include "app/main_form_design.h"

MainFormWindows ControlWindows;

void TakeMainFormControls(HWND form) {
    MainFormWindows windows;
    for (size_t index = 0; index < kClockFaceIds.size(); ++index) {
        windows.ClockFaceWindows[index] = GetDlgItem(form, kClockFaceIds[index]);
    }
    windows.CorrectNowButton = GetDlgItem(form, kCorrectNowButtonId);
    windows.AutostartCheckBox = GetDlgItem(form, kAutostartCheckBoxId);
    windows.NetworkTimeLabel = GetDlgItem(form, kNetworkTimeLabelId);
    windows.ComputerTimeLabel = GetDlgItem(form, kComputerTimeLabelId);
    ControlWindows = windows;
}
