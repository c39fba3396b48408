// The main form's behaviour: read-outs, background measurement, the correct-now button.
#pragma once

#include <windows.h>

#include <string>

// The current local time as "yyyy-mm-dd hh:mm:ss" with the user's separators.
std::string FormatNow();

// The main form's handlers; each returns 0, letting the runtime's own processing go on.

// The form and its controls exist: takes their handles, fills the read-outs and starts the
// first measurement (the runtime then starts the read-out timer).
int OnFormCreated(HWND form, LPARAM creationValue);
// A tick of the read-out timer (and once from OnFormCreated): both read-outs and both faces.
int RefreshReadouts(HWND form, UINT_PTR timerId);
// When the next tick is due: just after the network time shown (the computer's time, before
// the first measurement) enters its next second, so that the read-outs change with it.
UINT MsUntilNextReadoutTick();
// A click of the correct-now button: sets the clock with the best estimate so far, then
// measures again with the button off. When Windows refuses, the offset stays and the user is
// told why, in a modal message box.
int OnCorrectNowClicked(int controlIndex, HWND form, HWND control, int controlId);
// A measurement was stored: the button comes back when it answered the newest request.
int OnMeasurementStored(HWND form, WPARAM request, LPARAM unused);
// WM_TIMECHANGE: unless it follows the program's own correction, the offset is no longer known:
// fetching is shown, the button goes off and the offset is measured again.
int OnTimeChanged(HWND form, WPARAM unused, LPARAM unused2);
// WM_POWERBROADCAST: after a resume the clock may have been set or have drifted; as a change.
int OnPowerBroadcast(HWND form, WPARAM event, LPARAM unused);
// WM_TIMER of the program's own timers: the quiet measurement every quarter of an hour, another try
// at starting one.
int OnMeasurementTimer(HWND form, WPARAM timerId, LPARAM unused);
