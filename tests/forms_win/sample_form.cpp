// A sample form for the runtime's tests: one control of every kind (two canvases, as a program
// with two painted faces has), and handlers that record how the runtime calls them.
#include "tests/forms_win/sample_form.h"

namespace {

constexpr std::array<ControlDescription, 6> kSampleControls = {{
    {kSampleCanvasId, "Static", "", {163, 5, 115, 115}, ControlKind::Canvas, "", false, 1},
    {kSampleSecondCanvasId, "Static", "", {21, 3, 115, 115}, ControlKind::Canvas, "", false, 0},
    {kSampleButtonId,
     "Button",
     "按钮",
     {206, 175, 65, 26},
     ControlKind::PushButton,
     "微软雅黑,9,0",
     false,
     0},
    {kSampleCheckBoxId,
     "Button",
     "选择框",
     {16, 173, 132, 22},
     ControlKind::CheckBox,
     "微软雅黑,9,0",
     true,
     0},
    {kSampleLabelId,
     "Static",
     "标签：",
     {18, 127, 305, 17},
     ControlKind::Label,
     "微软雅黑,9,0",
     true,
     0},
    {kSampleSecondLabelId,
     "Static",
     "第二标签：",
     {18, 148, 305, 17},
     ControlKind::Label,
     "微软雅黑,9,0",
     true,
     0},
}};

constexpr FormDescription kSampleDescription = {
    "FormsTestSampleForm", "Sample 示例", 295, 239, true, "SAMPLE_ICON", kSampleControls,
};

int Created(HWND form, LPARAM creationValue) {
    Recorded.Calls.push_back({"Created", form, 0, nullptr, 0, creationValue});
    if (Recorded.Created) {
        Recorded.Created(form);
    }
    return Recorded.Result;
}

UINT EverySecond() {
    return 1000;
}

int Timer(HWND form, UINT_PTR timerId) {
    Recorded.Calls.push_back({"Timer", form, 0, nullptr, 0, static_cast<INT_PTR>(timerId)});
    return Recorded.Result;
}

int CheckBoxClicked(int controlIndex, HWND form, HWND control, int controlId) {
    Recorded.Calls.push_back({"CheckBoxClicked", form, controlIndex, control, controlId});
    return Recorded.Result;
}

int ButtonClicked(int controlIndex, HWND form, HWND control, int controlId) {
    Recorded.Calls.push_back({"ButtonClicked", form, controlIndex, control, controlId});
    return Recorded.Result;
}

// Paints the canvas plain white, as a program's own painting would, and says so. Not recorded:
// a shown form paints whenever the window system asks.
int Paint(int, HWND, HWND control) {
    PAINTSTRUCT paint;
    const HDC dc = BeginPaint(control, &paint);
    FillRect(dc, &paint.rcPaint, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    EndPaint(control, &paint);
    return -1;
}

int MessageArrived(HWND form, WPARAM wParam, LPARAM lParam) {
    Recorded.Calls.push_back(
        {"Message", form, 0, nullptr, static_cast<int>(lParam), static_cast<INT_PTR>(wParam)});
    return Recorded.Result;
}

constexpr std::array<MessageRoute, 2> kSampleMessages = {{
    {kSampleMessage, MessageArrived},
    {WM_TIMECHANGE, MessageArrived},
}};

constexpr std::array<CommandRoute, 2> kSampleCommands = {{
    {kSampleCheckBoxId, CheckBoxClicked},
    {kSampleButtonId, ButtonClicked},
}};

}  // namespace

RecordingHandlers Recorded;

const FormDefinition kSampleForm = {
    kSampleDescription,
    {Created, {kSampleTimerId, EverySecond, Timer}, kSampleCommands, Paint, kSampleMessages},
};

std::vector<HandlerCall> CallsNamed(const std::string& name) {
    std::vector<HandlerCall> matching;
    for (const HandlerCall& call : Recorded.Calls) {
        if (call.Name == name) {
            matching.push_back(call);
        }
    }
    return matching;
}

std::array<HWND, 6> SampleControls(HWND form) {
    std::array<HWND, 6> controls{};
    for (size_t index = 0; index < controls.size(); ++index) {
        controls[index] = GetDlgItem(form, kSampleControls[index].Id);
    }
    return controls;
}
