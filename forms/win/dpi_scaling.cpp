// The screen's DPI: design units to pixels, point sizes to font heights and back.
#include "forms/win/dpi_scaling.h"

#include <algorithm>

#include "core/win/system_library.h"
#include "forms/font_description.h"

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

using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);

UniqueFont MakeFont(std::wstring_view faceName, LONG height, int weight, int italic, int underline,
                    int strikeOut, int charSet) {
    LOGFONTW font{};
    font.lfHeight = height;
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

}  // namespace

DotsPerInch ScreenDpi() {
    const WindowDc screen(nullptr);
    return {GetDeviceCaps(screen.get(), LOGPIXELSX), GetDeviceCaps(screen.get(), LOGPIXELSY)};
}

DotsPerInch WindowDpi(HWND window) {
    static const auto perWindow = SystemLibraryEntry<GetDpiForWindowFunction>(
        GetModuleHandleW(L"user32.dll"), "GetDpiForWindow");
    if (perWindow != nullptr) {
        // 0 for a window that is gone: the screen's then.
        if (const int dpi = static_cast<int>(perWindow(window)); dpi > 0) {
            return {dpi, dpi};
        }
    }
    return ScreenDpi();
}

PixelRect DesignRectToPixels(const DesignRect& rect, DotsPerInch dpi) {
    const float factorX = ScaleFactorForDpi(dpi.X);
    const float factorY = ScaleFactorForDpi(dpi.Y);
    return {DesignToPixels(static_cast<float>(rect.X), factorX),
            DesignToPixels(static_cast<float>(rect.Y), factorY),
            DesignToPixels(static_cast<float>(rect.Width), factorX),
            DesignToPixels(static_cast<float>(rect.Height), factorY)};
}

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

UniqueFont CreateFontForDpi(std::wstring_view faceName, int sizePoints, DotsPerInch windowDpi,
                            int weight, int italic, int underline, int strikeOut, int charSet) {
    return MakeFont(faceName, ScaledFontHeight(sizePoints, -1, windowDpi.X, windowDpi.Y), weight,
                    italic, underline, strikeOut, charSet);
}

UniqueFont CreateScaledFont(std::wstring_view faceName, int sizePoints, int dpi, int weight,
                            int italic, int underline, int strikeOut, int charSet) {
    const DotsPerInch screen = ScreenDpi();
    return MakeFont(faceName, ScaledFontHeight(sizePoints, dpi, screen.X, screen.Y), weight, italic,
                    underline, strikeOut, charSet);
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
