// A form kept sharp on any monitor and current with the system's colours while it is open: its
// DPI, the geometry, fonts and icons made for it, and the repaint after a change of theme.
#pragma once

#include <windows.h>

#include "forms/win/control_record.h"

// WM_CREATE, before the controls exist: the form takes the DPI of the monitor it is on. A
// window sized for another DPI (the system's, which can differ from the monitor's) is resized
// for it, still centred on the primary screen.
void AdoptWindowDpi(HWND form, ControlRecord& record, DotsPerInch sizedFor);

// Loads the form's big and small icons (32 and 16 design pixels) at the sizes its DPI calls for
// and hands them to the window; the record owns them and destroys the ones they replace. A size
// that does not load leaves the icon the window had.
void LoadFormIcons(HWND form, ControlRecord& record);

// WM_DPICHANGED (new DPI in wParam's words): every control placed from its design rectangle and
// given its font again at the new DPI, as at creation, the icons reloaded, the form moved to
// the rectangle Windows suggests at the design size for that DPI, the anchored layout captured
// anew and everything repainted.
void OnFormDpiChanged(HWND form, ControlRecord& record, WPARAM wParam, const RECT& suggested);

// WM_GETDPISCALEDSIZE (Windows 10 1703 and later; the headers name it only for newer targets
// than this program's).
inline constexpr UINT kGetDpiScaledSizeMessage = 0x02E4;

// WM_GETDPISCALEDSIZE: the form's exact outer size at the DPI in wParam, so that the rectangle
// Windows suggests next is the one the form takes. Always TRUE.
BOOL AnswerDpiScaledSize(const ControlRecord& record, WPARAM dpi, SIZE& size);

// Repaints the form and every control now: after a change of theme, high contrast or system
// colours, which the clock faces paint from.
void RepaintFormAndControls(HWND form);
