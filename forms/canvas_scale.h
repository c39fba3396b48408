// Design units to device pixels for a drawing canvas: coordinates and pen widths are multiplied
// by the screen's factors as each primitive is drawn, and are not rounded.
#pragma once

#include "forms/pixel_math.h"

// The horizontal and vertical factors (1.0 at 96 DPI, 1.25 at 120 DPI).
struct CanvasScale {
    float X = 1.0f;
    float Y = 1.0f;
};

struct PixelBox {
    float X = 0.0f, Y = 0.0f, Width = 0.0f, Height = 0.0f;
    bool operator==(const PixelBox&) const = default;
};

struct PixelSegment {
    float X1 = 0.0f, Y1 = 0.0f, X2 = 0.0f, Y2 = 0.0f;
    bool operator==(const PixelSegment&) const = default;
};

// A pen follows the horizontal factor whatever the direction of the line it draws.
inline float PenWidthPixels(float designWidth, CanvasScale scale) {
    return ScaleDesignValue(designWidth, scale.X);
}

inline PixelBox BoxPixels(float x, float y, float width, float height, CanvasScale scale) {
    return {ScaleDesignValue(x, scale.X), ScaleDesignValue(y, scale.Y),
            ScaleDesignValue(width, scale.X), ScaleDesignValue(height, scale.Y)};
}

inline PixelSegment SegmentPixels(float x1, float y1, float x2, float y2, CanvasScale scale) {
    return {ScaleDesignValue(x1, scale.X), ScaleDesignValue(y1, scale.Y),
            ScaleDesignValue(x2, scale.X), ScaleDesignValue(y2, scale.Y)};
}
