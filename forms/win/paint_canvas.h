// The drawing context of one clock-face paint: an off-screen bitmap drawn with anti-aliased
// GDI+ and presented on the window with one BitBlt.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>

#include "forms/canvas_scale.h"
#include "forms/win/gdi_handles.h"
#include "forms/win/gdiplus_handles.h"

// Lives for one paint and owns everything it makes. The owners are declared in the order they
// are made, so that they go in the reverse one: the pen, the GDI+ graphics before the memory
// DC it draws on, the off-screen bitmap deselected before it is deleted, EndPaint last.
struct PaintCanvas {
    PaintCanvas() = default;
    PaintCanvas(const PaintCanvas&) = delete;
    PaintCanvas& operator=(const PaintCanvas&) = delete;

    HWND Window = nullptr;                    // the control being painted; null: nothing made
    std::optional<PaintScope> Paint;          // BeginPaint's information and window DC
    UniqueBitmap Bitmap;                      // the off-screen picture, client-sized
    UniqueCreatedDc MemoryDc;                 // compatible with the window DC
    std::optional<SelectionScope> Selection;  // Bitmap in MemoryDc; puts the previous one back
    UniqueGraphics Graphics;                  // GDI+ on MemoryDc, anti-aliased
    UniquePen Pen;                            // the current pen, or none
    int Width = 0;                            // of the client area and the bitmap, in pixels
    int Height = 0;
    CanvasScale Scale;  // the factors of the form's DPI, read when the canvas begins
};

// Starts a paint of window: the bitmap is filled with the background colour and GDI+ is made
// ready on it. A canvas in use is released first, without being presented. When window is not
// a window nothing is made and every later operation does nothing.
void BeginCanvas(PaintCanvas& canvas, HWND window, COLORREF background);

// Replaces the current pen with a solid one of width design pixels (times the horizontal
// factor) and an ARGB colour. Without GDI+ graphics, or when GDI+ makes no pen, the canvas
// stays without one.
void SetCanvasPen(PaintCanvas& canvas, float width, uint32_t argb);

// Outlines an ellipse / draws a segment given in design units, with the current pen; nothing
// without a pen.
void DrawCanvasEllipse(PaintCanvas& canvas, float x, float y, float width, float height);
void DrawCanvasLine(PaintCanvas& canvas, float x1, float y1, float x2, float y2);

// Copies the picture to the window at (0, 0), with a focus rectangle around it while the window
// has the focus and shows keyboard cues, and releases everything; without an off-screen bitmap
// the window keeps what it showed.
void EndCanvas(PaintCanvas& canvas);
