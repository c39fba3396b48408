// The autostart check box on the main form: its click handler, and how a measurement worker's
// quiet check of the registration reaches it.
#pragma once

#include <windows.h>

// Sent by a measurement worker to the form once its quiet check has something to show: the
// program registered (and what was missing repaired), or a repair refused. The UI thread ticks
// the box only if the program is still registered when it handles the message: a click handled
// meanwhile has the last word.
inline constexpr UINT kAutostartFoundMessage = WM_APP + 20;

// Whether this program (AppInfo's path) is registered, the value starting it or its copy.
bool IsAutostartRegistered();

// The quiet check of this program's registration, with its repairs; measurement workers call
// it. True when the form is to hear of it (kAutostartFoundMessage).
bool CheckAutostartRegistration();

// The check box's click handler: a tick registers the program (copy, value, task, event
// source, each undone when a later one is refused), an untick removes them; a refusal puts the
// box back and tells the user. Returns 0.
int OnAutostartClicked(int controlIndex, HWND form, HWND control, int controlId);

// The form's handler for kAutostartFoundMessage, on the UI thread: ticks the box, or, when a
// repair was refused, unticks it and tells the user as a refused tick does. Returns 0.
int OnAutostartFound(HWND form, WPARAM wParam, LPARAM lParam);
