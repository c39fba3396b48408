// Control fonts made from a font description, scaled for the screen.
#include "forms/win/font_from_description.h"

#include "core/win/wide_text.h"
#include "forms/win/dpi_scaling.h"

FontDescriptionFields ParseFontDescriptionForDisplay(std::string_view description) {
    // Creating a display DC is only worth it when a pixel height has to be converted.
    const int dpiY = IsLongFontDescription(description) ? DisplayDpiY() : 0;
    return ParseFontDescription(description, dpiY);
}

UniqueFont CreateFontFromDescription(std::string_view description, DotsPerInch dpi) {
    const FontDescriptionFields font = ParseFontDescriptionForDisplay(description);
    return CreateFontForDpi(Widen(font.FaceName), font.PointSize, dpi, font.Weight, font.Italic,
                            font.Underline, font.StrikeOut, DEFAULT_CHARSET);
}
