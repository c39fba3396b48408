// Identifiers and window handles of the main form's controls.
#include "forms/win/main_form_controls.h"

MainFormIds MainFormDefaultIds() {
    MainFormIds ids;
    ids.ClockFaceIds[kComputerFaceIndex] = 1001;
    ids.ClockFaceIds[kNetworkFaceIndex] = 1000;
    ids.CorrectNowButton = 1002;
    ids.AutostartCheckBox = 1004;
    ids.NetworkTimeLabel = 1005;
    ids.ComputerTimeLabel = 1006;
    ids.ReadoutTimer = 1004;
    return ids;
}

// Start-up assigns these again before the form exists; starting from the same values keeps a
// form made earlier (or by a test) from getting identifiers of 0.
MainFormIds ControlIds = MainFormDefaultIds();
MainFormWindows ControlWindows;
