// Creating a form from its definition, centred on the screen within its work area, and running it.
#pragma once

#include <windows.h>

#include "forms/win/dpi_scaling.h"
#include "forms/win/form_definition.h"

// Registers the form's class once, creates the form centred on the primary screen (moved into
// its monitor's work area where it would reach past an edge) and runs its message loop until it
// is destroyed (loopMode -1, the only mode). Returns the loop's result, or 0 when the form
// window could not be created.
INT_PTR CreateForm(const FormDefinition& form, HWND parent, int loopMode, INT_PTR creationValue);

// The first half of CreateForm: registers the class, sets FormResult to creationValue and
// creates the hidden form with its controls (the program's Created handler has run when it
// returns). Null when the window could not be created. RunFormLoop shows and runs it.
HWND CreateFormWindow(const FormDefinition& form, HWND parent, INT_PTR creationValue);

// Runs the form's timer handler now and schedules its next tick anew from then, as after a
// tick of its own: for a program whose ticks follow something that has just changed.
void TickFormTimerNow(HWND form);

// The definition a form was made from, or null for a window that is no form of ours.
const FormDefinition* FindFormDefinition(HWND form);

// Builds the described controls for a form at dpi; called while the form handles WM_CREATE.
void CreateFormControls(HWND form, const FormDescription& description, DotsPerInch dpi);

// The form's outer size at a DPI, caption and borders included.
SIZE FormPixelSize(const FormDescription& description, DotsPerInch dpi);

// The DPI of a form, or of the form a control belongs to; the screen's for any other window.
DotsPerInch FormDpi(HWND formOrControl);
