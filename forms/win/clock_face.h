// Painting of the two clock faces.
#pragma once

#include <windows.h>

// Answers WM_PAINT of a clock face (controlIndex 0: the computer's time, any other value: the
// network time); for now it fills the face with its background only. Returns -1, meaning
// handled, so the static control never paints the face itself.
int PaintClockFace(int controlIndex, HWND form, HWND face);
