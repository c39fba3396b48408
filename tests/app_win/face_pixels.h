// Helpers of the clock-face pixel tests: reading a face's pixels back, telling the hands' colours
// apart, and where a face's primitives lie.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "forms/canvas_scale.h"
#include "app/clock_face_geometry.h"

// A copy of what a window shows, read through its DC.
struct Picture {
    int Width = 0;
    int Height = 0;
    std::vector<COLORREF> Pixels;  // row by row, top first; CLR_INVALID outside
    COLORREF At(int x, int y) const;
    bool operator==(const Picture&) const = default;
};
Picture Capture(HWND window);

// Invalidates the whole face (erase requested, as the program's timer does) and lets it paint.
void Repaint(HWND window);

enum class HandColour { Pink, Green, Blue };
// Whether the pixel is the hand's colour or an anti-aliased blend of it with the background.
bool LooksLike(COLORREF pixel, HandColour colour);
// Whether any pixel within one of (x, y) looks like the colour.
bool NearbyLooksLike(const Picture& picture, int x, int y, HandColour colour);

// The face's primitives at a time, in pixels for a scale: the rim's centre and radius and every
// segment with its pen's half width.
struct FaceLayout {
    float RimCentreX = 0, RimCentreY = 0, RimRadius = 0, RimHalfPen = 0;
    struct Segment {
        PixelSegment Line;
        float HalfPen = 0;
    };
    std::vector<Segment> Segments;
};
FaceLayout LayoutOf(const ClockTime& time, CanvasScale scale);
// How far the pixel centre (x, y) lies outside every stroke of the face, in pixels (negative
// when it lies inside one).
float ClearanceFromStrokes(const FaceLayout& layout, int x, int y);

// How many pixels well clear of every stroke of the face at this time do not show the
// background: none, when the paint covered the whole face and left nothing of an earlier one.
int StrayPixels(const Picture& picture, const ClockTime& time, CanvasScale scale,
                COLORREF background);

// A point on the way from a hand's end point to the centre, inset design units from the end,
// in pixels for a scale: away from the ticks that touch the end point.
POINT InsetFromEnd(DesignPoint end, double inset, CanvasScale scale);
