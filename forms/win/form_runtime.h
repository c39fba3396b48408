// The form runtime's window procedures, message loop, enumeration callbacks and shared state.
#pragma once

#include <windows.h>

#include "forms/win/dpi_scaling.h"
#include "forms/win/form_definition.h"

// The form while it is the active window, else null; the loop gives it dialog navigation.
extern HWND ActiveForm;
// Set from CreateForm's creation value; RunFormLoop returns it and clears it.
extern INT_PTR FormResult;

// What a form window is created with: the form procedure keeps the definition in the form's
// record and hands the creation value to the program's Created handler.
struct FormCreation {
    const FormDefinition* Definition = nullptr;
    INT_PTR CreationValue = 0;
    DotsPerInch SizedFor;  // the DPI the window's size was computed for
};

// The program's own module: class registration, windows and resources.
inline HINSTANCE ProgramInstance() {
    return GetModuleHandleW(nullptr);
}

// The class procedure of the form.
LRESULT CALLBACK FormWndProc(HWND form, UINT message, WPARAM wParam, LPARAM lParam);

// Runs in front of every control's own procedure: focus memory, the painting of canvas
// controls by the program, and undoing the subclassing when the control is destroyed.
LRESULT CALLBACK ControlSubclassProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam);

// Shows the form and pumps messages until it is gone; returns FormResult and clears it.
// Returns 0 at once for a window without a record.
INT_PTR RunFormLoop(HWND form, HWND owner, int showCommand);

// EnumChildWindows callbacks. All return non-zero to go on with the enumeration.
// A system colour or theme change: system-colour backgrounds get the new brush.
BOOL CALLBACK RefreshSysColors(HWND child, LPARAM unused);
// The first resize after a control exists records its rectangle and its parent's size.
BOOL CALLBACK CaptureLayout(HWND window, LPARAM unused);
// Moves an anchored control for its parent's current size.
BOOL CALLBACK ApplyAnchors(HWND window, LPARAM unused);
