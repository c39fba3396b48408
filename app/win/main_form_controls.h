// Window handles of the main form's controls, for the controller and the measurement workers.
#pragma once

#include <windows.h>

#include <array>

// Taken when the form has been created, before the first worker starts; read-only afterwards,
// so workers may read them without a lock. Null for a control that could not be created.
struct MainFormWindows {
    std::array<HWND, 2> ClockFaceWindows{};  // by control index: computer, network
    HWND CorrectNowButton = nullptr;
    HWND AutostartCheckBox = nullptr;
    HWND NetworkTimeLabel = nullptr;
    HWND ComputerTimeLabel = nullptr;
};

extern MainFormWindows ControlWindows;

// Fills ControlWindows with the controls of a newly created main form.
void TakeMainFormControls(HWND form);
