// A GDI+ session: started on construction, shut down on destruction.
#include "forms/win/gdiplus_session.h"

// The GDI+ headers need the COM declarations that WIN32_LEAN_AND_MEAN leaves out.
#include <objidl.h>

#include <gdiplus.h>

namespace {

// A count rather than a flag: GDI+ runs until its last session has shut down.
int runningSessions = 0;

}  // namespace

GdiplusSession::GdiplusSession() {
    Gdiplus::GdiplusStartupInput input;  // version 1, no debug callback, nothing suppressed
    started_ = Gdiplus::GdiplusStartup(&token_, &input, nullptr) == Gdiplus::Ok;
    runningSessions += started_ ? 1 : 0;
}

GdiplusSession::~GdiplusSession() {
    if (started_) {
        --runningSessions;
        Gdiplus::GdiplusShutdown(token_);
    }
}

bool GdiplusRunning() {
    return runningSessions > 0;
}
