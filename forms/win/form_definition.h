// A form as a program hands it to the runtime: its description and the program's handlers.
#pragma once

#include <windows.h>

#include <span>

#include "forms/form_description.h"

// Every handler returns 0 to let the runtime's own processing go on; any other value becomes
// the message's result and ends its processing.

// The form window and all its controls exist; the form is still hidden. 0 starts the timer.
using CreatedHandler = int (*)(HWND form, LPARAM creationValue);
// A tick of the form's timer.
using TimerHandler = int (*)(HWND form, UINT_PTR timerId);
// How long from now until the next tick should come, in milliseconds.
using TimerDelay = UINT (*)();
// A click (notification code 0) of a control; controlIndex is -1 when no control window came
// with the command or it carries no record.
using CommandHandler = int (*)(int controlIndex, HWND form, HWND control, int controlId);
// WM_PAINT of a canvas control; -1 means painted, so the control's own procedure never is.
using PaintHandler = int (*)(int controlIndex, HWND form, HWND control);
// A window message the program takes itself: one of its own (WM_APP and up), such as a worker
// thread sends to the form, or one the system sends (WM_TIMECHANGE, WM_POWERBROADCAST, ...).
// Routes see the message before the runtime's own handling.
using MessageHandler = int (*)(HWND form, WPARAM wParam, LPARAM lParam);

struct CommandRoute {
    int ControlId = 0;
    CommandHandler Handler = nullptr;
};

// Armed when the form has been created and again after every tick, each time for the delay the
// program asks for, so that the program can place its ticks (on a second boundary, say); stopped
// when the form is destroyed.
struct TimerRoute {
    UINT_PTR TimerId = 0;
    TimerDelay NextDelayMs = nullptr;
    TimerHandler Handler = nullptr;  // null: the form has no timer
};

struct MessageRoute {
    UINT Message = 0;
    MessageHandler Handler = nullptr;
};

struct FormHandlers {
    CreatedHandler Created = nullptr;
    TimerRoute Timer;
    // Tried in this order for every click; each route whose identifier matches is called.
    std::span<const CommandRoute> Commands;
    PaintHandler Paint = nullptr;
    std::span<const MessageRoute> Messages;
};

// Must outlive every form made from it: the form's record points to it.
struct FormDefinition {
    const FormDescription& Description;
    FormHandlers Handlers;
};
