// Helpers of the Wine tests: a main form destroyed at scope end, pumping, geometry.
#pragma once

#include <windows.h>

#include <array>

#include "tests/support/message_pump.h"

// The hidden main form with the program's identifiers (the stubs as the test left them); destroyed
// at scope end, and the quit message its destruction posts is taken off the queue again.
class TestForm {
public:
    explicit TestForm(INT_PTR creationValue = 0);
    TestForm(const TestForm&) = delete;
    TestForm& operator=(const TestForm&) = delete;
    ~TestForm();
    HWND get() const { return form_; }

private:
    HWND form_ = nullptr;
};

// Removes a pending WM_QUIT; true when there was one.
bool TakeQuitMessage();

// The window's rectangle in its parent's client coordinates.
RECT RectInParent(HWND window);

// The six controls in creation order, from the application's handle slots.
std::array<HWND, 6> MainFormControls();
