// The screen's DPI: design units to pixels, point sizes to font heights and back.
#pragma once

#include <windows.h>

#include <string_view>

#include "forms/win/gdi_handles.h"

// A design value (pixels at 96 DPI) times the screen's horizontal / vertical factor, as a
// 32-bit float. The factors are read from the screen once per process, on first use.
float ScaleX(float designValue);
float ScaleY(float designValue);

// ScaleX / ScaleY, then the nearest pixel with halves to even.
int ScaleXToPixels(float designValue);
int ScaleYToPixels(float designValue);

// A font of sizePoints for the screen: dpi -1 means the screen's horizontal DPI. Italic,
// underline and strike-out count by their low byte; the face is cut to 31 characters.
// Empty when the system makes no font.
UniqueFont CreateScaledFont(std::wstring_view faceName, int sizePoints, int dpi, int weight,
                            int italic, int underline, int strikeOut, int charSet);

// The display's vertical DPI, from a DC created for "DISPLAY"; 0 when none can be made.
int DisplayDpiY();

// Points for a font height in pixels at the display's DPI; 0 when the display has no DC.
int PixelHeightToPoints(int heightPixels);
