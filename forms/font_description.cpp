// Font descriptions ("face,size,style" or the long LOGFONT-ordered form) and font-height math.
#include "forms/font_description.h"

#include <algorithm>
#include <cstdint>
#include <limits>

#include "forms/pixel_math.h"
#include "forms/text_field.h"

namespace {

constexpr std::string_view kSeparator = ",";
constexpr int kLongFormMinCommas = 11;
constexpr int kPointsPerInch = 72;

int NumberField(std::string_view description, int n) {
    return RoundHalfEven(ReadLeadingNumber(TextField(description, kSeparator, n)));
}

int FlagFromBit(int styleBits, int bit) {
    return (styleBits & bit) != 0 ? -1 : 0;
}

int ClampToInt(int64_t value) {
    return static_cast<int>(std::clamp<int64_t>(value, std::numeric_limits<int>::min(),
                                                std::numeric_limits<int>::max()));
}

}  // namespace

bool IsLongFontDescription(std::string_view description) {
    return std::count(description.begin(), description.end(), ',') >= kLongFormMinCommas;
}

FontDescriptionFields ParseFontDescription(std::string_view description, int displayDpiY) {
    FontDescriptionFields font;
    font.FaceName = std::string(TextField(description, kSeparator, 1));
    if (!IsLongFontDescription(description)) {
        font.PointSize = NumberField(description, 2);
        font.StyleBits = NumberField(description, 3);
        font.Weight = (font.StyleBits & kStyleBold) != 0 ? kWeightBold : kWeightNormal;
        font.Italic = FlagFromBit(font.StyleBits, kStyleItalic);
        font.Underline = FlagFromBit(font.StyleBits, kStyleUnderline);
        font.StrikeOut = FlagFromBit(font.StyleBits, kStyleStrikeOut);
        return font;
    }
    // LOGFONT order: height, width, escapement, orientation, weight, italic, underline,
    // strike-out, ... after the face; only these are used.
    font.PointSize = PointsFromPixelHeight(NumberField(description, 2), displayDpiY);
    font.Weight = NumberField(description, 6);
    font.Italic = NumberField(description, 7);
    font.Underline = NumberField(description, 8);
    font.StrikeOut = NumberField(description, 9);
    font.StyleBits =
        (font.Weight == kWeightBold ? kStyleBold : 0) | (font.Italic != 0 ? kStyleItalic : 0) |
        (font.Underline != 0 ? kStyleUnderline : 0) | (font.StrikeOut != 0 ? kStyleStrikeOut : 0);
    return font;
}

int PointsFromPixelHeight(int heightPixels, int dpiY) {
    if (dpiY <= 0) {
        return 0;
    }
    const int64_t points = MulDivRounded(heightPixels, kPointsPerInch, dpiY);
    return ClampToInt(points < 0 ? -points : points);
}

int ScaledFontHeight(int sizePoints, int dpi, int dpiX, int dpiY) {
    if (dpi == -1) {
        dpi = dpiX;
    }
    int size = sizePoints;
    // A zero vertical DPI would divide by zero; the size is then left as given.
    if (dpi > 0 && dpiY != 0) {
        size = ClampToInt(static_cast<int64_t>(size) * dpi / dpiY);
    }
    return ClampToInt(-static_cast<int64_t>(MulDivRounded(size, dpiY, kPointsPerInch)));
}
