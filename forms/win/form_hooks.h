// The application's handlers that the form runtime calls; the application defines them.
#pragma once

#include <windows.h>

#include <cstdint>

// Each returns 0 to let the runtime's own processing go on; any other value becomes the
// message's result.

// The form window exists and all its controls too; 0 makes the runtime start the read-out timer.
int OnFormCreated(HWND form, LPARAM creationValue);
// A tick of the read-out timer (and once from OnFormCreated).
int RefreshReadouts(HWND form, UINT_PTR timerId);
// Clicks (notification code 0) of the check box and of the button.
int OnAutostartClicked(int controlIndex, HWND form, HWND control, int controlId);
int OnCorrectNowClicked(int controlIndex, HWND form, HWND control, int controlId);
