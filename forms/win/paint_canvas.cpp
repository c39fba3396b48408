// The drawing context of one clock-face paint: an off-screen bitmap drawn with anti-aliased
// GDI+ and presented on the window with one BitBlt.
#include "forms/win/paint_canvas.h"

#include "forms/win/dpi_scaling.h"
#include "forms/win/form_window.h"
#include "forms/win/gdiplus_session.h"

namespace {

using namespace Gdiplus::DllExports;

// In the reverse order of making; Paint last, so EndPaint follows everything drawn on its DC.
void ReleaseCanvas(PaintCanvas& canvas) {
    canvas.Pen.reset();
    canvas.Graphics.reset();
    canvas.Selection.reset();
    canvas.MemoryDc.reset();
    canvas.Bitmap.reset();
    canvas.Paint.reset();
    canvas.Window = nullptr;
    canvas.Width = 0;
    canvas.Height = 0;
}

void FillBackground(HDC dc, int width, int height, COLORREF background) {
    const RECT whole{0, 0, width, height};
    const UniqueBrush brush(CreateSolidBrush(background));
    if (brush) {
        FillRect(dc, &whole, brush.get());
    }
}

UniqueGraphics AntiAliasedGraphics(HDC dc) {
    // Windows' GDI+ refuses before its start-up, Wine's would draw: ask first, for both.
    if (!GdiplusRunning()) {
        return {};
    }
    Gdiplus::GpGraphics* made = nullptr;
    if (GdipCreateFromHDC(dc, &made) != Gdiplus::Ok) {
        return {};
    }
    UniqueGraphics graphics(made);
    GdipSetSmoothingMode(graphics.get(), Gdiplus::SmoothingModeAntiAlias);
    return graphics;
}

bool CanDraw(const PaintCanvas& canvas) {
    return canvas.Graphics && canvas.Pen;
}

// As Windows' own controls show the focus: only while the window shows keyboard cues, which
// it hides until the keyboard is first used when the user has chosen so.
void DrawFocusIfFocused(const PaintCanvas& canvas) {
    if (GetFocus() != canvas.Window ||
        (SendMessageW(canvas.Window, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS) != 0) {
        return;
    }
    const RECT whole{0, 0, canvas.Width, canvas.Height};
    DrawFocusRect(canvas.MemoryDc.get(), &whole);
}

}  // namespace

void BeginCanvas(PaintCanvas& canvas, HWND window, COLORREF background) {
    ReleaseCanvas(canvas);
    canvas.Scale = {};
    if (!IsWindow(window)) {
        return;
    }
    // The DPI of the control's own form: forms on monitors of different DPI differ.
    const DotsPerInch dpi = FormDpi(window);
    canvas.Scale = {ScaleFactorForDpi(dpi.X), ScaleFactorForDpi(dpi.Y)};
    canvas.Window = window;
    canvas.Paint.emplace(window);
    const HDC windowDc = canvas.Paint->dc();
    if (windowDc == nullptr) {
        return;
    }
    RECT client{};
    GetClientRect(window, &client);
    canvas.Width = client.right - client.left;
    canvas.Height = client.bottom - client.top;
    canvas.Bitmap.reset(CreateCompatibleBitmap(windowDc, canvas.Width, canvas.Height));
    canvas.MemoryDc.reset(CreateCompatibleDC(windowDc));
    if (!canvas.MemoryDc || !canvas.Bitmap) {
        return;
    }
    canvas.Selection.emplace(canvas.MemoryDc.get(), canvas.Bitmap.get());
    if (!canvas.Selection->selected()) {
        return;
    }
    FillBackground(canvas.MemoryDc.get(), canvas.Width, canvas.Height, background);
    SetBkMode(canvas.MemoryDc.get(), TRANSPARENT);
    canvas.Graphics = AntiAliasedGraphics(canvas.MemoryDc.get());
}

void SetCanvasPen(PaintCanvas& canvas, float width, uint32_t argb) {
    canvas.Pen.reset();
    if (!canvas.Graphics) {
        return;
    }
    Gdiplus::GpPen* made = nullptr;
    if (GdipCreatePen1(argb, PenWidthPixels(width, canvas.Scale), Gdiplus::UnitPixel, &made) ==
        Gdiplus::Ok) {
        canvas.Pen.reset(made);
    }
}

void DrawCanvasEllipse(PaintCanvas& canvas, float x, float y, float width, float height) {
    if (!CanDraw(canvas)) {
        return;
    }
    const PixelBox box = BoxPixels(x, y, width, height, canvas.Scale);
    GdipDrawEllipse(canvas.Graphics.get(), canvas.Pen.get(), box.X, box.Y, box.Width, box.Height);
}

void DrawCanvasLine(PaintCanvas& canvas, float x1, float y1, float x2, float y2) {
    if (!CanDraw(canvas)) {
        return;
    }
    const PixelSegment segment = SegmentPixels(x1, y1, x2, y2, canvas.Scale);
    GdipDrawLine(canvas.Graphics.get(), canvas.Pen.get(), segment.X1, segment.Y1, segment.X2,
                 segment.Y2);
}

void EndCanvas(PaintCanvas& canvas) {
    if (canvas.Selection && canvas.Selection->selected()) {
        if (canvas.Graphics) {
            // GDI+ may hold drawing back until it is flushed; the copy must see all of it.
            GdipFlush(canvas.Graphics.get(), Gdiplus::FlushIntentionSync);
        }
        // The focus rectangle is GDI's: GDI+ lets go of the DC first.
        canvas.Graphics.reset();
        DrawFocusIfFocused(canvas);
        BitBlt(canvas.Paint->dc(), 0, 0, canvas.Width, canvas.Height, canvas.MemoryDc.get(), 0, 0,
               SRCCOPY);
    }
    ReleaseCanvas(canvas);
}
