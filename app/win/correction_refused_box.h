// The message that tells the user that Windows refused to set the clock.
#pragma once

#include <windows.h>

// Modal, owned by the form (none when it is gone), with the error icon: what failed and why,
// from Windows' error code. Returns once the user has dismissed it.
void ShowCorrectionRefused(HWND form, DWORD error);
