// A GDI+ session: started on construction, shut down on destruction.
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
