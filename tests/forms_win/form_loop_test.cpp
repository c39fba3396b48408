// The form's own loop on an active form: keyboard navigation, focus memory, closing.
// These tests activate windows, so CTest runs them alone.
#include <windows.h>

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <vector>

#include "forms/win/control_record.h"
#include "forms/win/form_runtime.h"
#include "forms/win/form_window.h"
#include "tests/forms_win/form_test_support.h"
#include "tests/forms_win/sample_form.h"

namespace {

constexpr UINT kTickMs = 40;
constexpr int kMaxTicksPerStep = 100;

// A step returns true when done; false runs it again on the next tick (waiting for the window
// system), at most kMaxTicksPerStep times. Steps run on a thread timer while RunFormLoop
// pumps, so keys posted by one step are handled before the next runs (timer messages come
// last). After the last step the form is closed as its Close button does it.
using Step = std::function<bool()>;
struct Script {
    HWND Form;
    std::vector<Step> Steps;
    size_t Next = 0;
    int Tries = 0;
};
Script* script = nullptr;
// The running form's controls in creation order, taken when it was created: still there to
// compare with once the form is gone.
std::array<HWND, 6> formControls{};

// A control of the running form.
HWND Control(int id) {
    return GetDlgItem(script->Form, id);
}

void CALLBACK RunStep(HWND, UINT, UINT_PTR timer, DWORD) {
    if (script->Next < script->Steps.size() && script->Tries < kMaxTicksPerStep) {
        const bool done = script->Steps[script->Next]();
        script->Next += done ? 1 : 0;
        script->Tries = done ? 0 : script->Tries + 1;
        return;
    }
    KillTimer(nullptr, timer);
    SendMessageW(script->Form, WM_SYSCOMMAND, SC_CLOSE, 0);
}

// Creates the sample form (closed by the script) and runs its loop; returns the loop's result.
INT_PTR RunSampleFormWith(std::vector<Step> steps, INT_PTR creationValue = 0) {
    Recorded = {};
    Script running{nullptr, std::move(steps)};
    script = &running;
    Recorded.Created = [](HWND form) {
        script->Form = form;
        formControls = SampleControls(form);
    };
    const UINT_PTR timer = SetTimer(nullptr, 0, kTickMs, RunStep);
    const INT_PTR result = CreateForm(kSampleForm, nullptr, -1, creationValue);
    KillTimer(nullptr, timer);
    EXPECT_EQ(running.Next, running.Steps.size()) << "step " << running.Next << " never done";
    script = nullptr;
    return result;
}

Step Do(std::function<void()> action) {
    return [action] {
        action();
        return true;
    };
}

// The form is the active window with the focus inside it.
bool FormIsActive() {
    const HWND form = script->Form;
    return ActiveForm == form && GetActiveWindow() == form && GetParent(GetFocus()) == form;
}

void PressKey(WPARAM key, bool shift = false) {
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_SHIFT] = shift ? 0x80 : 0;  // what the dialog navigation reads for Shift+Tab
    SetKeyboardState(keys);
    PostMessageW(GetFocus(), WM_KEYDOWN, key, 1);
    PostMessageW(GetFocus(), WM_KEYUP, key, 0xC0000001);
}

TEST(FormLoop, KeyboardNavigationAsInADialog) {
    std::vector<HWND> trail;
    const Step note = Do([&] { trail.push_back(GetFocus()); });
    const Step tab = Do([] { PressKey(VK_TAB); });
    RunSampleFormWith({FormIsActive, note, tab, note, tab, note, tab, note, tab, note,
                       Do([] { PressKey(VK_TAB, true); }), note,  // Shift+Tab goes back
                       Do([] {
                           PressKey(VK_TAB);  // released Shift: around to the first again
                           EnableWindow(Control(kSampleButtonId), FALSE);
                       }),
                       tab, tab, note,                  // the disabled button is skipped
                       Do([] { PressKey(VK_SPACE); }),  // on the check box: a click
                       Do([] { PressKey(VK_ESCAPE); }), FormIsActive});  // closes nothing
    const HWND canvas = formControls[0];
    const HWND secondCanvas = formControls[1];
    const HWND button = formControls[2];
    const HWND checkBox = formControls[3];
    EXPECT_EQ(trail, (std::vector<HWND>{canvas, secondCanvas, button, checkBox, canvas, checkBox,
                                        checkBox}));
    const auto clicks = CallsNamed("CheckBoxClicked");
    ASSERT_EQ(clicks.size(), 1u);
    EXPECT_EQ(clicks[0].ControlIndex, 0);
    EXPECT_EQ(clicks[0].Control, checkBox);
    EXPECT_TRUE(CallsNamed("ButtonClicked").empty());
}

// Enter presses the push button with the focus, wherever the focus came from, and nothing else.
TEST(FormLoop, EnterPressesTheFocusedPushButtonOnly) {
    const struct {
        int FocusOn;
        size_t Tabs;  // first: the dialog navigation restyles the push buttons it passes
        size_t ButtonClicks;
    } cases[] = {{kSampleButtonId, 0, 1},
                 {kSampleButtonId, 2, 1},
                 {kSampleCheckBoxId, 3, 0},
                 {kSampleSecondCanvasId, 0, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.FocusOn << " after " << c.Tabs << " tabs");
        std::vector<Step> steps{FormIsActive};
        steps.insert(steps.end(), c.Tabs, Do([] { PressKey(VK_TAB); }));
        steps.insert(steps.end(), {Do([&] { SetFocus(Control(c.FocusOn)); }),
                                   [&] { return GetFocus() == Control(c.FocusOn); },
                                   Do([] { PressKey(VK_RETURN); })});
        RunSampleFormWith(std::move(steps));
        EXPECT_EQ(CallsNamed("ButtonClicked").size(), c.ButtonClicks);
        EXPECT_TRUE(CallsNamed("CheckBoxClicked").empty());
    }
}

TEST(FormLoop, FocusComesBackToTheLastControlAfterReactivation) {
    HWND other = nullptr;
    HWND focusAway = nullptr;
    HWND focusBack = nullptr;
    RunSampleFormWith(
        {FormIsActive, Do([] { PressKey(VK_TAB); }), Do([] { PressKey(VK_TAB); }), Do([&] {
             other = CreateWindowExW(0, L"Static", L"other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                     99, 99, nullptr, nullptr, nullptr, nullptr);
             SetForegroundWindow(other);
             SetActiveWindow(other);
         }),
         [&] { return GetActiveWindow() == other && ActiveForm == nullptr; }, Do([&] {
             focusAway = GetFocus();
             SetForegroundWindow(script->Form);
             SetActiveWindow(script->Form);
         }),
         FormIsActive, Do([&] { focusBack = GetFocus(); })});
    DestroyWindow(other);
    EXPECT_NE(focusAway, formControls[2]);
    EXPECT_EQ(focusBack, formControls[2]);  // the button
}

TEST(FormLoop, ClosingReturnsTheCreationValueAndClearsIt) {
    for (const INT_PTR creationValue : {INT_PTR{0}, INT_PTR{0x55}}) {
        int isModal = 0;
        HWND form = nullptr;
        const INT_PTR result = RunSampleFormWith({FormIsActive, Do([&] {
                                                      form = script->Form;
                                                      isModal = FindControlRecord(form)->IsModal;
                                                  })},
                                                 creationValue);
        EXPECT_EQ(result, creationValue);
        EXPECT_EQ(FormResult, 0);
        EXPECT_EQ(isModal, -1);
        EXPECT_FALSE(IsWindow(form));
        EXPECT_EQ(ActiveForm, nullptr);
    }
}

// Real size changes of a shown form: minimising moves nothing, restoring and growing apply
// the anchors to the rectangle captured at the first resize.
TEST(FormLoop, AnchoredChildrenFollowRealResizesButNotMinimising) {
    HWND child = nullptr;
    RECT captured{};
    RECT whileMinimised{};
    RECT restored{};
    RECT grown{};
    RECT buttonBefore{};
    RECT buttonAfter{};
    const auto grow = [](int dx, int dy) {
        RECT outer{};
        GetWindowRect(script->Form, &outer);
        SetWindowPos(script->Form, nullptr, 0, 0, outer.right - outer.left + dx,
                     outer.bottom - outer.top + dy, SWP_NOMOVE | SWP_NOZORDER);
    };
    RunSampleFormWith({FormIsActive, Do([&] {
                           child =
                               CreateWindowExW(0, L"Static", L"", WS_CHILD | WS_VISIBLE, 206, 175,
                                               65, 26, script->Form, nullptr, nullptr, nullptr);
                           ControlRecordOptions options;
                           options.AnchorText = "FR,FB,FR,FB";
                           AttachControlRecord(child, options);
                           buttonBefore = RectInParent(Control(kSampleButtonId));
                           SendMessageW(script->Form, WM_SIZE, SIZE_RESTORED, 0);  // capture
                           captured = RectInParent(child);
                           ShowWindow(script->Form, SW_MINIMIZE);
                       }),
                       [] { return IsIconic(script->Form) != FALSE; }, Do([&] {
                           whileMinimised = RectInParent(child);
                           ShowWindow(script->Form, SW_RESTORE);
                       }),
                       [] { return IsIconic(script->Form) == FALSE; }, Do([&] {
                           restored = RectInParent(child);
                           grow(30, 20);
                       }),
                       Do([&] {
                           grown = RectInParent(child);
                           buttonAfter = RectInParent(Control(kSampleButtonId));
                       })});
    EXPECT_TRUE(EqualRect(&whileMinimised, &captured));
    EXPECT_TRUE(EqualRect(&restored, &captured));
    OffsetRect(&captured, 30, 20);
    EXPECT_TRUE(EqualRect(&grown, &captured));
    EXPECT_TRUE(EqualRect(&buttonAfter, &buttonBefore));  // unanchored controls never move
}

}  // namespace
