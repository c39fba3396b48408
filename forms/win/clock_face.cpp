// Painting of the two clock faces: for now the faces show only their button-face background.
#include "forms/win/clock_face.h"

#include "forms/win/gdi_handles.h"

namespace {

constexpr int kPaintHandled = -1;

}  // namespace

int PaintClockFace(int /*controlIndex*/, HWND /*form*/, HWND face) {
    if (!IsWindow(face)) {
        return kPaintHandled;
    }
    const PaintScope paint(face);
    RECT client{};
    GetClientRect(face, &client);
    // A system colour brush belongs to the system and is not deleted.
    FillRect(paint.dc(), &client, GetSysColorBrush(COLOR_BTNFACE));
    return kPaintHandled;
}
