// Registration of the program to start silently with Windows.
#pragma once

// True when the machine-wide Run entry starts exactly this program in the silent mode.
// Measurement workers call it too, so it must be safe on any thread.
bool IsAutostartRegistered();

// OnAutostartClicked, the check box's click handler, is declared in forms/win/form_hooks.h.
