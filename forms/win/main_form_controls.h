// Identifiers and window handles of the main form's controls, shared by the runtime and the app.
#pragma once

#include <windows.h>

#include <array>

// Indexes into the clock-face tables: the control index of each face.
constexpr int kComputerFaceIndex = 0;
constexpr int kNetworkFaceIndex = 1;

// Assigned by start-up before the form is created; read by the runtime as it creates and
// routes the controls. Identifier 1003 is not used.
struct MainFormIds {
    std::array<int, 2> ClockFaceIds{};  // [kComputerFaceIndex] 1001, [kNetworkFaceIndex] 1000
    int CorrectNowButton = 0;           // 1002
    int AutostartCheckBox = 0;          // 1004
    int NetworkTimeLabel = 0;           // 1005
    int ComputerTimeLabel = 0;          // 1006
    UINT_PTR ReadoutTimer = 0;  // 1004 too: it arrives in WM_TIMER, the check box in WM_COMMAND
};

// Written by the runtime while it creates the controls, before the first worker starts;
// read-only afterwards, so workers may read them without a lock.
struct MainFormWindows {
    std::array<HWND, 2> ClockFaceWindows{};
    HWND CorrectNowButton = nullptr;
    HWND AutostartCheckBox = nullptr;
    HWND NetworkTimeLabel = nullptr;
    HWND ComputerTimeLabel = nullptr;
};

extern MainFormIds ControlIds;
extern MainFormWindows ControlWindows;

// The identifiers the program uses; start-up copies them into ControlIds.
MainFormIds MainFormDefaultIds();
