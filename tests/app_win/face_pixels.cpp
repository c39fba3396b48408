// Helpers of the clock-face pixel tests: reading a face's pixels back, telling the hands' colours
// apart, and where a face's primitives lie.
#include "tests/app_win/face_pixels.h"

#include <algorithm>
#include <cmath>

#include "forms/win/gdi_handles.h"

namespace {

// A blend with the grey background keeps the hue: the hand's strong channels stay well above
// its weak ones.
constexpr int kClearMargin = 60;
constexpr int kSideMargin = 30;

// A pixel this far outside every stroke shows the background alone: anti-aliasing reaches
// about a pixel beyond a pen's edge.
constexpr float kUntouchedClearance = 2.0f;

int Red(COLORREF c) {
    return GetRValue(c);
}
int Green(COLORREF c) {
    return GetGValue(c);
}
int Blue(COLORREF c) {
    return GetBValue(c);
}

class FaceLayoutRecorder final : public FaceCanvas {
public:
    FaceLayoutRecorder(CanvasScale scale, FaceLayout& layout) : scale_(scale), layout_(layout) {}
    void SetPen(const FacePen& pen) override { halfPen_ = PenWidthPixels(pen.Width, scale_) / 2; }
    void DrawEllipse(float x, float y, float width, float height) override {
        const PixelBox box = BoxPixels(x, y, width, height, scale_);
        layout_.RimCentreX = box.X + box.Width / 2;
        layout_.RimCentreY = box.Y + box.Height / 2;
        layout_.RimRadius = box.Width / 2;
        layout_.RimHalfPen = halfPen_;
    }
    void DrawLine(DesignPoint from, DesignPoint to) override {
        layout_.Segments.push_back(
            {SegmentPixels(static_cast<float>(from.X), static_cast<float>(from.Y),
                           static_cast<float>(to.X), static_cast<float>(to.Y), scale_),
             halfPen_});
    }

private:
    CanvasScale scale_;
    FaceLayout& layout_;
    float halfPen_ = 0;
};

float DistanceToSegment(const PixelSegment& s, float x, float y) {
    const float dx = s.X2 - s.X1;
    const float dy = s.Y2 - s.Y1;
    const float lengthSquared = dx * dx + dy * dy;
    float t = lengthSquared > 0 ? ((x - s.X1) * dx + (y - s.Y1) * dy) / lengthSquared : 0;
    t = std::clamp(t, 0.0f, 1.0f);
    return std::hypot(x - (s.X1 + t * dx), y - (s.Y1 + t * dy));
}

}  // namespace

COLORREF Picture::At(int x, int y) const {
    if (x < 0 || y < 0 || x >= Width || y >= Height) {
        return CLR_INVALID;
    }
    return Pixels[static_cast<size_t>(y) * static_cast<size_t>(Width) + static_cast<size_t>(x)];
}

Picture Capture(HWND window) {
    Picture picture;
    RECT client{};
    GetClientRect(window, &client);
    picture.Width = client.right;
    picture.Height = client.bottom;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = picture.Width;
    info.bmiHeader.biHeight = -picture.Height;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const UniqueBitmap copy(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    const UniqueCreatedDc memory(CreateCompatibleDC(nullptr));
    if (!copy || !memory || bits == nullptr) {
        return {};
    }
    {
        const SelectionScope selected(memory.get(), copy.get());
        const WindowDc source(window);
        BitBlt(memory.get(), 0, 0, picture.Width, picture.Height, source.get(), 0, 0, SRCCOPY);
    }
    GdiFlush();
    const auto* pixels = static_cast<const uint32_t*>(bits);
    picture.Pixels.reserve(static_cast<size_t>(picture.Width) * picture.Height);
    for (int i = 0; i < picture.Width * picture.Height; ++i) {
        const uint32_t bgrx = pixels[i];
        picture.Pixels.push_back(RGB((bgrx >> 16) & 0xFF, (bgrx >> 8) & 0xFF, bgrx & 0xFF));
    }
    return picture;
}

void Repaint(HWND window) {
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

bool LooksLike(COLORREF pixel, HandColour colour) {
    if (pixel == CLR_INVALID) {
        return false;
    }
    const int r = Red(pixel);
    const int g = Green(pixel);
    const int b = Blue(pixel);
    switch (colour) {
        case HandColour::Pink:  // 255, 63, 192
            return r - g >= kClearMargin && b - g >= kSideMargin;
        case HandColour::Green:  // 31, 224, 128
            return g - r >= kClearMargin && g - b >= kSideMargin;
        case HandColour::Blue:  // 0, 0, 255
            return b - r >= kClearMargin && b - g >= kClearMargin;
    }
    return false;
}

bool NearbyLooksLike(const Picture& picture, int x, int y, HandColour colour) {
    for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
            if (LooksLike(picture.At(x + dx, y + dy), colour)) {
                return true;
            }
        }
    }
    return false;
}

FaceLayout LayoutOf(const ClockTime& time, CanvasScale scale) {
    FaceLayout layout;
    FaceLayoutRecorder recorder(scale, layout);
    DrawClockFace(time, recorder);
    return layout;
}

float ClearanceFromStrokes(const FaceLayout& layout, int x, int y) {
    const float px = static_cast<float>(x);
    const float py = static_cast<float>(y);
    float clearance =
        std::abs(std::hypot(px - layout.RimCentreX, py - layout.RimCentreY) - layout.RimRadius) -
        layout.RimHalfPen;
    for (const FaceLayout::Segment& segment : layout.Segments) {
        clearance = std::min(clearance, DistanceToSegment(segment.Line, px, py) - segment.HalfPen);
    }
    return clearance;
}

int StrayPixels(const Picture& picture, const ClockTime& time, CanvasScale scale,
                COLORREF background) {
    const FaceLayout layout = LayoutOf(time, scale);
    int stray = 0;
    for (int y = 0; y < picture.Height; ++y) {
        for (int x = 0; x < picture.Width; ++x) {
            if (ClearanceFromStrokes(layout, x, y) > kUntouchedClearance &&
                picture.At(x, y) != background) {
                ++stray;
            }
        }
    }
    return stray;
}

POINT InsetFromEnd(DesignPoint end, double inset, CanvasScale scale) {
    const double dx = kFaceCentre - end.X;
    const double dy = kFaceCentre - end.Y;
    const double length = std::hypot(dx, dy);
    const double x = end.X + dx * inset / length;
    const double y = end.Y + dy * inset / length;
    return {std::lround(x * scale.X), std::lround(y * scale.Y)};
}
