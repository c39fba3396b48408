// The autostart check box on the main form: its click handler, and how a measurement worker's
// quiet check of the registration reaches it.
#pragma once

#include <windows.h>

#include <string>

// Sent by a measurement worker to the form once it has found the program registered (and
// repaired what was missing). The UI thread ticks the box only if the program is still
// registered when it handles the message: a click handled meanwhile has the last word.
inline constexpr UINT kAutostartFoundMessage = WM_APP + 20;

// The Run value for this program as it is now (AppInfo's path), quoted.
std::string CurrentAutostartCommand();

// Whether this program is registered (AppInfo's path), in either form of the value.
bool IsAutostartRegistered();

// The quiet check of this program's registration, with its repairs; measurement workers call
// it. True when the program is registered.
bool CheckAutostartRegistration();

// The check box's click handler: a tick registers the program (copy, value, task, each undone
// when a later one is refused), an untick removes them (task, value, copy); a refusal puts the
// box back and tells the user. Returns 0.
int OnAutostartClicked(int controlIndex, HWND form, HWND control, int controlId);

// The form's handler for kAutostartFoundMessage, on the UI thread. Returns 0.
int OnAutostartFound(HWND form, WPARAM wParam, LPARAM lParam);
