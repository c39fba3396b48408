// The few things the controller does to a control, each tolerant of a missing window.
#pragma once

#include <windows.h>

#include <string_view>

// Sets a window's text from UTF-8; the window system's result, 0 when the window is gone.
BOOL SetControlText(HWND window, std::string_view utf8Text);
// True only for "checked": the indeterminate state and a missing window give false.
bool IsChecked(HWND window);
// Checks or unchecks a button; nothing when the window is gone.
void SetChecked(HWND window, bool checked);
// EnableWindow's result: non-zero when the window was disabled before.
BOOL EnableControl(HWND window);
// The same; a control that has the keyboard focus first hands it to the next tab stop.
BOOL DisableControl(HWND window);
// Invalidates the whole client area (erasing the background) and paints it before returning.
BOOL RepaintNow(HWND window);
