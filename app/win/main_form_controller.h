// The main form's behaviour: read-outs, background measurement, the correct-now button.
#pragma once

#include <string>

// The current local time as "yyyy-mm-dd hh:mm:ss" with the user's separators.
std::string FormatNow();

// The handlers OnFormCreated, RefreshReadouts and OnCorrectNowClicked that the form runtime
// calls are declared in forms/win/form_hooks.h.
