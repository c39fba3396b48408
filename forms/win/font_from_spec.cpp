// Control fonts made from a font description, scaled for the screen.
#include "forms/win/font_from_spec.h"

#include "core/win/wide_text.h"
#include "forms/win/dpi_scaling.h"

namespace {

// The DPI argument of CreateScaledFont that means "the screen's horizontal DPI".
constexpr int kScreenDpi = -1;

}  // namespace

FontSpec ParseFontSpecForDisplay(std::string_view description) {
    // Creating a display DC is only worth it when a pixel height has to be converted.
    const int dpiY = IsLongFontSpec(description) ? DisplayDpiY() : 0;
    return ParseFontSpec(description, dpiY);
}

UniqueFont CreateFontFromSpec(std::string_view description) {
    const FontSpec spec = ParseFontSpecForDisplay(description);
    return CreateScaledFont(Widen(spec.FaceName), spec.PointSize, kScreenDpi, spec.Weight,
                            spec.Italic, spec.Underline, spec.StrikeOut, DEFAULT_CHARSET);
}
