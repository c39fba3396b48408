// Helpers of the runtime's Wine tests: a sample form destroyed at scope end.
#pragma once

#include <windows.h>

#include "tests/support/message_pump.h"
#include "tests/support/window_rect.h"

// The hidden sample form (its handlers as the test left them); destroyed at scope end, and the
// quit message its destruction posts is taken off the queue again.
class TestForm {
public:
    explicit TestForm(INT_PTR creationValue = 0);
    TestForm(const TestForm&) = delete;
    TestForm& operator=(const TestForm&) = delete;
    ~TestForm();
    HWND get() const { return form_; }
    // The control with this identifier.
    HWND Control(int id) const { return GetDlgItem(form_, id); }

private:
    HWND form_ = nullptr;
};

// Removes a pending WM_QUIT; true when there was one.
bool TakeQuitMessage();
