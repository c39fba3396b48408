// Registration of the program to start silently with Windows.
#pragma once

#include <windows.h>

#include <string>

// The command for this program as it is now: the registration of a moved program no longer
// matches.
std::string CurrentAutostartCommand();

// True when the machine-wide Run entry holds exactly CurrentAutostartCommand(), byte for byte.
bool IsAutostartRegistered();

// IsAutostartRegistered, and when it is, makes sure the logon task runs this program too,
// registering it again when it is missing or runs another path. Measurement workers call it:
// it shares nothing between threads.
bool CheckAutostartRegistration();

// The check box's click handler: a tick registers the program (the Run value and the logon
// task), an untick removes both; a refusal puts the box back and tells the user. Returns 0.
int OnAutostartClicked(int controlIndex, HWND form, HWND control, int controlId);
