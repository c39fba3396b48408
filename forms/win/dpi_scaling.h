// The screen's DPI: design units to pixels, point sizes to font heights and back.
#pragma once

#include <windows.h>

#include <string_view>

#include "forms/form_description.h"
#include "forms/pixel_math.h"
#include "forms/win/gdi_handles.h"

// The horizontal and vertical DPI a window's geometry and fonts are scaled for.
struct DotsPerInch {
    int X = kDesignDpi;
    int Y = kDesignDpi;
    bool operator==(const DotsPerInch&) const = default;
};

// The screen's LOGPIXELSX / LOGPIXELSY, read now: the system DPI.
DotsPerInch ScreenDpi();
// The DPI of the monitor a window is on, where Windows tells it per window (Windows 10 1607
// and later, looked up at run time); elsewhere the screen's.
DotsPerInch WindowDpi(HWND window);

// A rectangle in device pixels.
struct PixelRect {
    int X = 0;
    int Y = 0;
    int Width = 0;
    int Height = 0;
};

// A design rectangle at a DPI: each of the four scaled and rounded half to even on its own, so
// right and bottom may differ by a pixel from a scaled edge. Creation and a change of DPI
// both place controls with it, so a form after a change matches one created at that DPI.
PixelRect DesignRectToPixels(const DesignRect& rect, DotsPerInch dpi);

// A design value (pixels at 96 DPI) times the screen's horizontal / vertical factor, as a
// 32-bit float. The factors are read from the screen once per process, on first use.
float ScaleX(float designValue);
float ScaleY(float designValue);

// ScaleX / ScaleY, then the nearest pixel with halves to even.
int ScaleXToPixels(float designValue);
int ScaleYToPixels(float designValue);

// A font of sizePoints for a window at windowDpi, exactly as CreateScaledFont makes it with
// dpi -1 on a screen of that DPI (the height by MulDiv).
UniqueFont CreateFontForDpi(std::wstring_view faceName, int sizePoints, DotsPerInch windowDpi,
                            int weight, int italic, int underline, int strikeOut, int charSet);

// A font of sizePoints for the screen: dpi -1 means the screen's horizontal DPI. Italic,
// underline and strike-out count by their low byte; the face is cut to 31 characters.
// Empty when the system makes no font.
UniqueFont CreateScaledFont(std::wstring_view faceName, int sizePoints, int dpi, int weight,
                            int italic, int underline, int strikeOut, int charSet);

// The display's vertical DPI, from a DC created for "DISPLAY"; 0 when none can be made.
int DisplayDpiY();

// Points for a font height in pixels at the display's DPI; 0 when the display has no DC.
int PixelHeightToPoints(int heightPixels);
