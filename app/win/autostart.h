// Registration of the program to start silently with Windows.
#pragma once

#include <windows.h>

#include <string>

// The command for this program as it is now: the registration of a moved program no longer
// matches.
std::string CurrentAutostartCommand();

// True when the machine-wide Run entry holds exactly CurrentAutostartCommand(), byte for byte.
// Measurement workers call it too: it shares nothing between threads.
bool IsAutostartRegistered();

// The check box's click handler: a tick registers the program, an untick removes the
// registration; a refusal puts the box back and tells the user. Returns 0.
int OnAutostartClicked(int controlIndex, HWND form, HWND control, int controlId);
