// A stand-in main form for the controller tests: real controls, with painting recorded.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "tests/support/message_pump.h"

// Creates a visible form with the six controls of the main form and points ControlWindows at
// them; puts ControlWindows back to empty and destroys the form when it goes.
class TestForm {
public:
    TestForm();
    TestForm(const TestForm&) = delete;
    TestForm& operator=(const TestForm&) = delete;
    ~TestForm();

    HWND Form() const { return form_; }
    HWND ComputerFace() const;
    HWND NetworkFace() const;
    HWND Button() const;
    HWND CheckBox() const;
    HWND NetworkLabel() const;
    HWND ComputerLabel() const;

private:
    HWND form_ = nullptr;
};

// The windows that received WM_PAINT, in order, since the last call to ClearPaintLog.
// Every control of a TestForm is watched; the log belongs to the UI thread.
const std::vector<HWND>& PaintLog();
void ClearPaintLog();

// A window's text as UTF-8.
std::string WindowTextUtf8(HWND window);
