// The screen's DPI: design units to pixels, point sizes to font heights and back.
#include "forms/win/dpi_scaling.h"

#include <algorithm>

#include "forms/font_description.h"
#include "forms/pixel_math.h"

namespace {

constexpr float kFactorNotRead = 0.0f;
constexpr size_t kMaxFaceNameChars = LF_FACESIZE - 1;

// Once per process: a DPI change while the program runs is not followed.
float ScreenFactor(float& cached, int deviceCapsIndex) {
    if (cached == kFactorNotRead) {
        const WindowDc screen(nullptr);
        cached = ScaleFactorForDpi(GetDeviceCaps(screen.get(), deviceCapsIndex));
    }
    return cached;
}

float horizontalFactor = kFactorNotRead;
float verticalFactor = kFactorNotRead;

BYTE LowByte(int value) {
    return static_cast<BYTE>(value & 0xFF);
}

}  // namespace

float ScaleX(float designValue) {
    return ScaleDesignValue(designValue, ScreenFactor(horizontalFactor, LOGPIXELSX));
}

float ScaleY(float designValue) {
    return ScaleDesignValue(designValue, ScreenFactor(verticalFactor, LOGPIXELSY));
}

int ScaleXToPixels(float designValue) {
    return RoundHalfEven(ScaleX(designValue));
}

int ScaleYToPixels(float designValue) {
    return RoundHalfEven(ScaleY(designValue));
}

UniqueFont CreateScaledFont(std::wstring_view faceName, int sizePoints, int dpi, int weight,
                            int italic, int underline, int strikeOut, int charSet) {
    LOGFONTW font{};
    {
        const WindowDc screen(nullptr);
        const int dpiX = GetDeviceCaps(screen.get(), LOGPIXELSX);
        const int dpiY = GetDeviceCaps(screen.get(), LOGPIXELSY);
        font.lfHeight = ScaledFontHeight(sizePoints, dpi, dpiX, dpiY);
    }
    font.lfWeight = weight;
    font.lfItalic = LowByte(italic);
    font.lfUnderline = LowByte(underline);
    font.lfStrikeOut = LowByte(strikeOut);
    font.lfCharSet = LowByte(charSet);
    font.lfOutPrecision = OUT_TT_PRECIS;
    const size_t kept = std::min(faceName.size(), kMaxFaceNameChars);
    std::copy_n(faceName.data(), kept, font.lfFaceName);
    font.lfFaceName[kept] = L'\0';
    return UniqueFont(CreateFontIndirectW(&font));
}

int DisplayDpiY() {
    const UniqueCreatedDc display(CreateDCW(L"DISPLAY", nullptr, nullptr, nullptr));
    if (!display) {
        return 0;
    }
    return GetDeviceCaps(display.get(), LOGPIXELSY);
}

int PixelHeightToPoints(int heightPixels) {
    return PointsFromPixelHeight(heightPixels, DisplayDpiY());
}
