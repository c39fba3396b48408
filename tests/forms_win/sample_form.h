// A sample form for the runtime's tests: one control of every kind (two canvases, as a program
// with two painted faces has), and handlers that record how the runtime calls them.
#pragma once

#include <windows.h>

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "forms/win/form_definition.h"

inline constexpr int kSampleCanvasId = 1000;  // control index 1
inline constexpr int kSampleSecondCanvasId = 1001;
inline constexpr int kSampleButtonId = 1002;
inline constexpr int kSampleCheckBoxId = 1004;
inline constexpr int kSampleLabelId = 1005;
inline constexpr int kSampleSecondLabelId = 1006;
// The same number as the check box: timer and command identifiers never meet.
inline constexpr UINT_PTR kSampleTimerId = 1004;
// A message of the program's own, as a worker thread sends it.
inline constexpr UINT kSampleMessage = WM_APP + 7;
inline constexpr wchar_t kSampleClassName[] = L"FormsTestSampleForm";
inline constexpr wchar_t kSampleTitle[] = L"Sample 示例";

struct HandlerCall {
    std::string Name;  // "Created", "Timer", "CheckBoxClicked", "ButtonClicked" or "Message"
    HWND Form = nullptr;
    int ControlIndex = 0;
    HWND Control = nullptr;
    int ControlId = 0;  // or Message's lParam
    INT_PTR Value = 0;  // Created's creation value, Timer's timer id or Message's wParam
};

struct RecordingHandlers {
    std::vector<HandlerCall> Calls;
    int Result = 0;                          // what every recorded handler returns
    std::function<void(HWND form)> Created;  // runs inside the Created handler
};

extern RecordingHandlers Recorded;
extern const FormDefinition kSampleForm;

// The recorded calls with this name.
std::vector<HandlerCall> CallsNamed(const std::string& name);

// The sample form's controls in creation order.
std::array<HWND, 6> SampleControls(HWND form);
