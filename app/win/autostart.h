// Registration of the program to start silently with Windows.
#pragma once

#include <string>

// The command for this program as it is now: the registration of a moved program no longer
// matches.
std::string CurrentAutostartCommand();

// True when the machine-wide Run entry holds exactly CurrentAutostartCommand(), byte for byte.
// Measurement workers call it too: it shares nothing between threads.
bool IsAutostartRegistered();

// OnAutostartClicked, the check box's click handler, is declared in forms/win/form_hooks.h.
