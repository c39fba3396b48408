// Painting of the two clock faces.
#pragma once

#include <windows.h>

// Answers WM_PAINT of a clock face: controlIndex 0 shows the computer's time, any other
// value the network time. Returns -1, meaning handled, so the static control never paints.
int PaintClockFace(int controlIndex, HWND form, HWND face);
