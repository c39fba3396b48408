// Font descriptions ("face,size,style" or the long LOGFONT-ordered form) and font-height math.
#pragma once

#include <string>
#include <string_view>

// What a font description asks for. Attribute flags are 0 or -1.
struct FontDescriptionFields {
    std::string FaceName;  // UTF-8, uncut: the cut to 31 characters happens in UTF-16
    int PointSize = 0;
    int Weight = 0;
    int Italic = 0;
    int Underline = 0;
    int StrikeOut = 0;
    int StyleBits = 0;  // 1 bold, 2 italic, 4 underline, 8 strike-out
};

inline constexpr int kStyleBold = 1;
inline constexpr int kStyleItalic = 2;
inline constexpr int kStyleUnderline = 4;
inline constexpr int kStyleStrikeOut = 8;
inline constexpr int kWeightBold = 700;
inline constexpr int kWeightNormal = 400;

// True for the long form: 11 or more commas in the whole text.
bool IsLongFontDescription(std::string_view description);

// Reads a font description. The long form gives its height in pixels; displayDpiY is the
// display's vertical DPI used to turn it into points (0 when unknown: the size is then 0).
FontDescriptionFields ParseFontDescription(std::string_view description, int displayDpiY);

// Points for a pixel height at a vertical DPI: |MulDiv(height, 72, dpiY)|; 0 when dpiY <= 0.
int PointsFromPixelHeight(int heightPixels, int dpiY);

// The LOGFONT height for a point size: with dpi -1 the horizontal DPI is used, a positive dpi
// first turns the size into (size * dpi) / dpiY (truncated), then the height is
// -MulDiv(size, dpiY, 72), a negative height asking for the character height.
int ScaledFontHeight(int sizePoints, int dpi, int dpiX, int dpiY);
