// Helpers of the Wine tests: a main form destroyed at scope end, pumping, geometry.
#include "tests/forms_win/form_test_support.h"

#include "forms/win/main_form.h"
#include "forms/win/main_form_controls.h"
#include "tests/forms_win/handler_stubs.h"

TestForm::TestForm(INT_PTR creationValue) {
    ControlIds = MainFormDefaultIds();
    form_ = CreateMainFormWindow(nullptr, creationValue);
}

TestForm::~TestForm() {
    if (IsWindow(form_)) {
        DestroyWindow(form_);
    }
    TakeQuitMessage();
}

bool TakeQuitMessage() {
    MSG message;
    return PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE;
}

RECT RectInParent(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    MapWindowPoints(HWND_DESKTOP, GetParent(window), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

std::array<HWND, 6> MainFormControls() {
    return {ControlWindows.ClockFaceWindows[kNetworkFaceIndex],
            ControlWindows.ClockFaceWindows[kComputerFaceIndex],
            ControlWindows.CorrectNowButton,
            ControlWindows.AutostartCheckBox,
            ControlWindows.NetworkTimeLabel,
            ControlWindows.ComputerTimeLabel};
}
