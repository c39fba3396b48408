// A GDI+ session: started on construction, shut down on destruction.
#include "app/win/gdiplus_session.h"

// The GDI+ headers need the COM declarations that WIN32_LEAN_AND_MEAN leaves out.
#include <objidl.h>

#include <gdiplus.h>

#include "forms/win/gdiplus_state.h"

GdiplusSession::GdiplusSession() {
    Gdiplus::GdiplusStartupInput input;  // version 1, no debug callback, nothing suppressed
    started_ = Gdiplus::GdiplusStartup(&token_, &input, nullptr) == Gdiplus::Ok;
    if (started_) {
        NoteGdiplusStarted();
    }
}

GdiplusSession::~GdiplusSession() {
    if (started_) {
        NoteGdiplusShutDown();
        Gdiplus::GdiplusShutdown(token_);
    }
}
