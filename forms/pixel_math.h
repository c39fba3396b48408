// Integer arithmetic of the form runtime: rounding rules, design-unit scaling, placement.
#pragma once

// Design units are pixels at 96 DPI.
inline constexpr int kDesignDpi = 96;

// Nearest integer, halves to the even neighbour (7.5 -> 8, 172.5 -> 172). Values beyond the
// int range saturate and NaN gives 0, so absurd inputs never reach an undefined conversion.
int RoundHalfEven(double value);

// Windows' MulDiv: number * numerator / denominator with a 64-bit intermediate, rounded to the
// nearest integer with halves away from zero. Like MulDiv, a zero denominator or a result
// outside the int range gives -1.
int MulDivRounded(int number, int numerator, int denominator);

// The scale factor of a screen DPI, as a 32-bit float (1.25 at 120 DPI).
float ScaleFactorForDpi(int dpi);

// A design value times a factor, the product rounded to a 32-bit float.
float ScaleDesignValue(float designValue, float factor);

// A design value in device pixels: scaled, then rounded half to even.
int DesignToPixels(float designValue, float factor);

// The origin that centres a window of windowSize on a screen of screenSize (negative when the
// window is larger); the division truncates towards zero.
int CentredOrigin(int screenSize, int windowSize);

// The origin, along one axis, that keeps a window of windowSize starting at origin within the
// area [areaStart, areaEnd): moved back from the far edge first, then from the near one, so that
// a window larger than the area keeps its near edge inside (the title bar, the left border).
int OriginWithin(int origin, int windowSize, int areaStart, int areaEnd);
