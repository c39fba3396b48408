// A GDI+ session: started on construction, shut down on destruction; painting asks whether
// one is running.
#pragma once

#include <windows.h>

class GdiplusSession {
public:
    // Version 1 with GDI+'s own background thread and codecs. A failed start is tolerated:
    // whatever draws with GDI+ then draws nothing.
    GdiplusSession();
    ~GdiplusSession();
    GdiplusSession(const GdiplusSession&) = delete;
    GdiplusSession& operator=(const GdiplusSession&) = delete;

    bool Started() const { return started_; }

private:
    ULONG_PTR token_ = 0;
    bool started_ = false;
};

// True while a session has started and not yet shut down. Windows' GDI+ makes no graphics or
// pen outside a session, Wine's makes them anyway: the faces ask this first, so that both
// show only their background when the start failed. Sessions live on the UI thread.
bool GdiplusRunning();
