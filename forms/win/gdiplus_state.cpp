// Whether GDI+ is running in this process, for the code that draws with it.
#include "forms/win/gdiplus_state.h"

namespace {

// A count rather than a flag: GDI+ runs until its last start has been shut down.
int runningStarts = 0;

}  // namespace

bool GdiplusRunning() {
    return runningStarts > 0;
}

void NoteGdiplusStarted() {
    ++runningStarts;
}

void NoteGdiplusShutDown() {
    if (runningStarts > 0) {
        --runningStarts;
    }
}
