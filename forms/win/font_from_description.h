// Control fonts made from a font description, scaled for the screen.
#pragma once

#include <string_view>

#include "forms/font_description.h"
#include "forms/win/dpi_scaling.h"
#include "forms/win/gdi_handles.h"

// ParseFontDescription with the display's vertical DPI, which only the long form needs.
FontDescriptionFields ParseFontDescriptionForDisplay(std::string_view description);

// The font a description asks for, in DEFAULT_CHARSET for a window at dpi (the screen's when
// not given). An empty
// description still gives a font (empty face, height 0: the system's default choice).
UniqueFont CreateFontFromDescription(std::string_view description, DotsPerInch dpi = ScreenDpi());
