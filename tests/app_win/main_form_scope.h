// The real main form for the tests that look at it: hidden, its read-out timer stopped so that
// nothing repaints behind the test's back, its first measurement answered and over (the tests
// set the offset they want); destroyed at scope end.
#pragma once

#include <windows.h>

#include "app/win/measurement_worker.h"

class MainFormScope {
public:
    MainFormScope();
    MainFormScope(const MainFormScope&) = delete;
    MainFormScope& operator=(const MainFormScope&) = delete;
    ~MainFormScope();

    HWND get() const { return form_; }

private:
    MeasurementSeam previousSeam_{};
    HWND form_ = nullptr;
};
