// The GDI+ entry points the runtime calls, bound on first use to gdiplus.dll from the system
// folder instead of being imported: an import would be resolved when the process starts, before
// the DLL search can be kept out of the program's folder, and the silent start-up, which draws
// nothing, would load GDI+ for nothing. Everything that calls these names is unchanged.

// The GDI+ headers need the COM declarations that WIN32_LEAN_AND_MEAN leaves out.
#include <windows.h>

#include <objidl.h>

#include <gdiplus.h>

#include "core/win/system_library.h"

namespace {

HMODULE GdiplusLibrary() {
    static const HMODULE library = LoadSystemLibrary(L"gdiplus.dll");
    return library;
}

// The entry point of the same name in gdiplus.dll, looked up once; null when it is missing.
template <typename Function>
Function Entry(const char* name) {
    return SystemLibraryEntry<Function>(GdiplusLibrary(), name);
}

// What a call answers when GDI+ is not there: a start-up that fails, objects that are never
// made, drawing that does nothing.
constexpr Gdiplus::GpStatus kMissing = Gdiplus::GdiplusNotInitialized;

}  // namespace

namespace Gdiplus {

extern "C" {

GpStatus WINGDIPAPI GdiplusStartup(ULONG_PTR* token, const GdiplusStartupInput* input,
                                   GdiplusStartupOutput* output) {
    static const auto entry = Entry<decltype(&GdiplusStartup)>("GdiplusStartup");
    return entry != nullptr ? entry(token, input, output) : kMissing;
}

VOID WINGDIPAPI GdiplusShutdown(ULONG_PTR token) {
    static const auto entry = Entry<decltype(&GdiplusShutdown)>("GdiplusShutdown");
    if (entry != nullptr) {
        entry(token);
    }
}

}  // extern "C"

namespace DllExports {

extern "C" {

GpStatus WINGDIPAPI GdipCreateFromHDC(HDC dc, GpGraphics** graphics) {
    static const auto entry = Entry<decltype(&GdipCreateFromHDC)>("GdipCreateFromHDC");
    return entry != nullptr ? entry(dc, graphics) : kMissing;
}

GpStatus WINGDIPAPI GdipDeleteGraphics(GpGraphics* graphics) {
    static const auto entry = Entry<decltype(&GdipDeleteGraphics)>("GdipDeleteGraphics");
    return entry != nullptr ? entry(graphics) : kMissing;
}

GpStatus WINGDIPAPI GdipSetSmoothingMode(GpGraphics* graphics, SmoothingMode mode) {
    static const auto entry = Entry<decltype(&GdipSetSmoothingMode)>("GdipSetSmoothingMode");
    return entry != nullptr ? entry(graphics, mode) : kMissing;
}

GpStatus WINGDIPAPI GdipFlush(GpGraphics* graphics, GpFlushIntention intention) {
    static const auto entry = Entry<decltype(&GdipFlush)>("GdipFlush");
    return entry != nullptr ? entry(graphics, intention) : kMissing;
}

GpStatus WINGDIPAPI GdipCreatePen1(ARGB colour, REAL width, GpUnit unit, GpPen** pen) {
    static const auto entry = Entry<decltype(&GdipCreatePen1)>("GdipCreatePen1");
    return entry != nullptr ? entry(colour, width, unit, pen) : kMissing;
}

GpStatus WINGDIPAPI GdipDeletePen(GpPen* pen) {
    static const auto entry = Entry<decltype(&GdipDeletePen)>("GdipDeletePen");
    return entry != nullptr ? entry(pen) : kMissing;
}

GpStatus WINGDIPAPI GdipDrawLine(GpGraphics* graphics, GpPen* pen, REAL x1, REAL y1, REAL x2,
                                 REAL y2) {
    static const auto entry = Entry<decltype(&GdipDrawLine)>("GdipDrawLine");
    return entry != nullptr ? entry(graphics, pen, x1, y1, x2, y2) : kMissing;
}

GpStatus WINGDIPAPI GdipDrawEllipse(GpGraphics* graphics, GpPen* pen, REAL x, REAL y, REAL width,
                                    REAL height) {
    static const auto entry = Entry<decltype(&GdipDrawEllipse)>("GdipDrawEllipse");
    return entry != nullptr ? entry(graphics, pen, x, y, width, height) : kMissing;
}

}  // extern "C"

}  // namespace DllExports

}  // namespace Gdiplus
