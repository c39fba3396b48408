// Owners for the GDI+ objects of the flat interface.
#pragma once

#include <windows.h>

// The GDI+ headers need the COM declarations that WIN32_LEAN_AND_MEAN leaves out.
#include <objidl.h>

#include <gdiplus.h>

#include "core/win/unique_handle.h"

struct GraphicsTraits {
    using Type = Gdiplus::GpGraphics*;
    static Type Invalid() { return nullptr; }
    static void Close(Type graphics) { Gdiplus::DllExports::GdipDeleteGraphics(graphics); }
};
using UniqueGraphics = UniqueHandle<GraphicsTraits>;

struct PenTraits {
    using Type = Gdiplus::GpPen*;
    static Type Invalid() { return nullptr; }
    static void Close(Type pen) { Gdiplus::DllExports::GdipDeletePen(pen); }
};
using UniquePen = UniqueHandle<PenTraits>;
