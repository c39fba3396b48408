// The main form: its description and the program's handlers, handed to the form runtime.
#pragma once

#include <windows.h>

#include "forms/win/form_definition.h"

extern const FormDefinition kMainForm;

// Creates the main form and runs its message loop until it is destroyed (loopMode -1, the only
// mode). Returns the loop's result, or 0 when the form window could not be created.
INT_PTR CreateMainForm(HWND parent, int loopMode, INT_PTR creationValue);

// The hidden main form with its controls, its read-outs filled and its first measurement
// started, without a loop; null when it could not be created. Tests drive it from here.
HWND CreateMainFormWindow(HWND parent, INT_PTR creationValue);
