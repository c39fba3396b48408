// The keyboard focus around a button that turns itself off: parked where a key does nothing,
// and given back when the button returns.
#pragma once

#include <windows.h>

// Disables the button. If it has the keyboard focus, the focus goes first to parking, a
// control on which Space and Enter do nothing: moved on to the next tab stop instead, the next
// key meant for the button would change that control's setting.
void DisableButtonParkingFocus(HWND button, HWND parking);

// Enables the button. If the focus is still where DisableButtonParkingFocus put it, it comes
// back to the button, also when the form is inactive meanwhile (it gets it on activation).
void EnableButtonTakingBackFocus(HWND button);
