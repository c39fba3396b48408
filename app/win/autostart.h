// Registration of the program to start silently with Windows: a protected copy under Program
// Files, the machine-wide Run value, and a logon task that runs the copy as SYSTEM.
#pragma once

#include <windows.h>

#include <string>

// Sent by a measurement worker to the form once it has found the program registered (and
// repaired what was missing). The UI thread ticks the box only if the program is still
// registered when it handles the message: a click handled meanwhile has the last word.
inline constexpr UINT kAutostartFoundMessage = WM_APP + 20;

// The Run value for this program as it is now, quoted: the registration of a moved program no
// longer matches.
std::string CurrentAutostartCommand();

// True when the machine-wide Run value starts this program's path with the silent argument,
// quoted or in the older unquoted form, the path compared as Windows compares paths (full path,
// letter case ignored).
bool IsAutostartRegistered();

// IsAutostartRegistered, and when it is, repairs the rest quietly: the copy made again when it is
// missing or not byte for byte this program (a new version run from the same place updates it),
// the value rewritten quoted, the task registered again when it does not run the copy as SYSTEM.
// Measurement workers call it. Registration work never runs on two threads at once: this and the
// click handler take turns, and each reads the value anew once it has its turn.
bool CheckAutostartRegistration();

// The check box's click handler: a tick registers the program (copy, value, task, each undone
// when a later one is refused), an untick removes them (task, value, copy); a refusal puts the
// box back and tells the user. Returns 0.
int OnAutostartClicked(int controlIndex, HWND form, HWND control, int controlId);

// The form's handler for kAutostartFoundMessage, on the UI thread. Returns 0.
int OnAutostartFound(HWND form, WPARAM wParam, LPARAM lParam);
