// A stand-in main form for the controller tests: real controls, with painting recorded.
#include "tests/app_win/test_form.h"

#include <string>

#include "core/win/wide_text.h"
#include "app/win/autostart_box.h"
#include "app/win/control_ops.h"
#include "app/win/main_form_controller.h"
#include "app/win/main_form_controls.h"
#include "app/win/measurement_worker.h"

namespace {

constexpr wchar_t kTestFormClass[] = L"TikoraControllerTestForm";
constexpr wchar_t kPreviousProcProperty[] = L"TikoraTestPreviousProc";

std::vector<HWND> paintLog;

LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const auto previous = reinterpret_cast<WNDPROC>(GetPropW(window, kPreviousProcProperty));
    if (message == WM_PAINT) {
        paintLog.push_back(window);
    }
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
        RemovePropW(window, kPreviousProcProperty);
    }
    return CallWindowProcW(previous, window, message, wParam, lParam);
}

HWND Control(HWND form, const wchar_t* className, const wchar_t* text, DWORD style, int id, int x,
             int y, int width, int height) {
    HWND control = CreateWindowExW(0, className, text, WS_CHILD | WS_VISIBLE | style, x, y, width,
                                   height, form, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                   GetModuleHandleW(nullptr), nullptr);
    const LONG_PTR previous =
        SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&RecordingProc));
    SetPropW(control, kPreviousProcProperty, reinterpret_cast<HANDLE>(previous));
    return control;
}

// The stand-in form hands the workers' message on as the main form's handler table does.
LRESULT CALLBACK TestFormProc(HWND form, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kMeasurementStoredMessage) {
        return OnMeasurementStored(form, wParam, lParam);
    }
    if (message == kAutostartFoundMessage) {  // the fake check found it: tick as the form would
        SetChecked(ControlWindows.AutostartCheckBox, true);
    }
    return DefWindowProcW(form, message, wParam, lParam);
}

void RegisterTestFormClass() {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    if (GetClassInfoExW(GetModuleHandleW(nullptr), kTestFormClass, &windowClass)) {
        return;
    }
    windowClass.lpfnWndProc = TestFormProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kTestFormClass;
    RegisterClassExW(&windowClass);
}

}  // namespace

TestForm::TestForm() {
    RegisterTestFormClass();
    // A popup without a caption is not handed to the window manager: Xvfb has none, and Wine
    // waits 2 s for one when a managed window is destroyed.
    form_ = CreateWindowExW(0, kTestFormClass, L"test form", WS_POPUP | WS_BORDER, 10, 10, 300, 250,
                            nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ControlWindows.ClockFaceWindows[1] =
        Control(form_, L"Static", L"", SS_NOTIFY, 1000, 160, 5, 115, 115);
    ControlWindows.ClockFaceWindows[0] =
        Control(form_, L"Static", L"", SS_NOTIFY, 1001, 20, 5, 115, 115);
    ControlWindows.CorrectNowButton =
        Control(form_, L"Button", L"correct", BS_PUSHBUTTON, 1002, 10, 130, 80, 24);
    ControlWindows.AutostartCheckBox =
        Control(form_, L"Button", L"autostart", BS_AUTO3STATE, 1004, 100, 130, 150, 24);
    ControlWindows.NetworkTimeLabel = Control(form_, L"Static", L"", 0, 1005, 10, 160, 280, 20);
    ControlWindows.ComputerTimeLabel = Control(form_, L"Static", L"", 0, 1006, 10, 185, 280, 20);
    ShowWindow(form_, SW_SHOWNOACTIVATE);
    UpdateWindow(form_);
    paintLog.clear();
}

TestForm::~TestForm() {
    ControlWindows = MainFormWindows{};
    DestroyWindow(form_);
}

HWND TestForm::ComputerFace() const {
    return GetDlgItem(form_, 1001);
}
HWND TestForm::NetworkFace() const {
    return GetDlgItem(form_, 1000);
}
HWND TestForm::Button() const {
    return GetDlgItem(form_, 1002);
}
HWND TestForm::CheckBox() const {
    return GetDlgItem(form_, 1004);
}
HWND TestForm::NetworkLabel() const {
    return GetDlgItem(form_, 1005);
}
HWND TestForm::ComputerLabel() const {
    return GetDlgItem(form_, 1006);
}

const std::vector<HWND>& PaintLog() {
    return paintLog;
}

void ClearPaintLog() {
    paintLog.clear();
}

std::string WindowTextUtf8(HWND window) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(
        static_cast<size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return Narrow(text);
}
