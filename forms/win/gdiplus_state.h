// Whether GDI+ is running in this process, for the code that draws with it.
#pragma once

// Windows' GDI+ makes no graphics or pen before GdiplusStartup; Wine's makes them anyway.
// Painting asks this first, so that a failed start leaves only the background on both.
bool GdiplusRunning();

// Whoever starts GDI+ reports each successful start and each shutdown, on the UI thread.
void NoteGdiplusStarted();
void NoteGdiplusShutDown();
