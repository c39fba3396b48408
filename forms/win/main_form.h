// Creating the main form and its controls, and running it.
#pragma once

#include <windows.h>

inline constexpr wchar_t kMainFormClassName[] = L"FORM_Tikora_FORM1_CLASS";

// Registers the class once, creates the form centred on the primary screen and runs its
// message loop until it is destroyed (loopMode -1, the only mode). Returns the loop's result,
// or 0 when the form window could not be created.
INT_PTR CreateMainForm(HWND parent, int loopMode, INT_PTR creationValue);

// The first half of CreateMainForm: registers the class, sets FormResult to creationValue and
// creates the hidden form with its controls (the application's OnFormCreated has run when it
// returns). Null when the window could not be created. RunFormLoop shows and runs it.
HWND CreateMainFormWindow(HWND parent, INT_PTR creationValue);

// Builds the six controls; called while the form handles WM_CREATE.
void CreateFormControls(HWND form);
