// Start-up: prepares the process and chooses between the silent and the windowed mode.
#pragma once

#include <windows.h>

// Returns the process exit status, 0 in both modes. Only the instance is used.
int InitApplication(HINSTANCE instance, HINSTANCE previous, const wchar_t* commandLine,
                    int showCommand);
