// Painting of the two clock faces: which time each one shows, drawn on an off-screen canvas.
#include "app/win/clock_face.h"

#include <atomic>
#include <cstdint>
#include <utility>

#include "core/network_estimate.h"
#include "core/network_state.h"
#include "core/win/local_clock.h"
#include "app/clock_face_geometry.h"
#include "forms/win/paint_canvas.h"

namespace {

constexpr int kPaintHandled = -1;

// Hands the face's primitives to the paint canvas.
class CanvasFace final : public FaceCanvas {
public:
    explicit CanvasFace(PaintCanvas& canvas) : canvas_(canvas) {}

    void SetPen(const FacePen& pen) override { SetCanvasPen(canvas_, pen.Width, pen.Argb); }
    void DrawEllipse(float x, float y, float width, float height) override {
        DrawCanvasEllipse(canvas_, x, y, width, height);
    }
    void DrawLine(DesignPoint from, DesignPoint to) override {
        DrawCanvasLine(canvas_, static_cast<float>(from.X), static_cast<float>(from.Y),
                       static_cast<float>(to.X), static_cast<float>(to.Y));
    }

private:
    PaintCanvas& canvas_;
};

HighContrastQuery highContrastOn = SystemHighContrastOn;

uint32_t OpaqueArgbOf(COLORREF colour) {
    return MakeArgb(255, GetRValue(colour), GetGValue(colour), GetBValue(colour));
}

// Read anew for every paint; the offset is one whole 64-bit read, old or new, never a mixture.
SerialDate TimeShownBy(int controlIndex) {
    if (controlIndex == 0) {
        return CurrentLocalTime();
    }
    return NetworkTimeAt(CurrentUtcTime(), NetworkOffset.load(std::memory_order_relaxed));
}

}  // namespace

bool SystemHighContrastOn() {
    HIGHCONTRASTW contrast{};
    contrast.cbSize = sizeof(contrast);
    return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof(contrast), &contrast, 0) != 0 &&
           (contrast.dwFlags & HCF_HIGHCONTRASTON) != 0;
}

HighContrastQuery InstallHighContrastQuery(HighContrastQuery query) {
    return std::exchange(highContrastOn, query);
}

int PaintClockFace(int controlIndex, HWND /*form*/, HWND face) {
    PaintCanvas canvas;
    // Read at every paint, so a change of theme or system colours shows at the next tick.
    const bool highContrast = highContrastOn();
    BeginCanvas(canvas, face, GetSysColor(highContrast ? COLOR_WINDOW : COLOR_BTNFACE));
    if (canvas.Window != nullptr) {
        CanvasFace drawing(canvas);
        const FaceInk ink = highContrast
                                ? HighContrastInk(OpaqueArgbOf(GetSysColor(COLOR_WINDOWTEXT)),
                                                  OpaqueArgbOf(GetSysColor(COLOR_HIGHLIGHT)))
                                : kDesignInk;
        DrawClockFace(ClockTimeOf(TimeShownBy(controlIndex)), drawing, ink);
    }
    EndCanvas(canvas);
    return kPaintHandled;
}
