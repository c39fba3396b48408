// Painting of the two clock faces: which time each one shows, drawn on an off-screen canvas.
#pragma once

#include <windows.h>

// Answers WM_PAINT of a clock face: the whole face, drawn off-screen and copied at once.
// controlIndex 0 shows the local clock, any other value the network time (NetworkTimeAt);
// form is not used. Returns -1, meaning handled, so the static control never paints the face
// itself; a face that is no longer a window is left alone.
int PaintClockFace(int controlIndex, HWND form, HWND face);

// Whether a high-contrast theme is on; the faces then paint from the system colours.
using HighContrastQuery = bool (*)();
// SystemParametersInfo's SPI_GETHIGHCONTRAST, the query in use unless a test installs another.
bool SystemHighContrastOn();
// Installs a query (tests only) and returns the one it replaces.
HighContrastQuery InstallHighContrastQuery(HighContrastQuery query);
