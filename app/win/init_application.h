// Start-up: prepares the process and chooses between the silent and the windowed mode.
#pragma once

#include <windows.h>

// Returns the process exit status: 1 when a silent correction was refused by Windows, otherwise
// 0 (the clock set, another instance setting it, the window closed). Only the instance is used.
int InitApplication(HINSTANCE instance, HINSTANCE previous, const wchar_t* commandLine,
                    int showCommand);
