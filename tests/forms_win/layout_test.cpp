// Resizing the form: rectangles are captured once, anchored children follow, a minimised
// form moves nothing.
#include <windows.h>

#include <gtest/gtest.h>

#include "forms/win/control_record.h"
#include "tests/forms_win/form_test_support.h"
#include "tests/forms_win/sample_form.h"

namespace {

// Grows the form's outer size by (dx, dy).
void GrowForm(HWND form, int dx, int dy) {
    RECT outer{};
    GetWindowRect(form, &outer);
    SetWindowPos(form, nullptr, 0, 0, outer.right - outer.left + dx, outer.bottom - outer.top + dy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// A child with an anchor description, captured at the form's current size.
HWND AddAnchoredChild(HWND form, const char* anchor) {
    const HWND child = CreateWindowExW(0, L"Static", L"", WS_CHILD, 206, 175, 65, 26, form, nullptr,
                                       GetModuleHandleW(nullptr), nullptr);
    ControlRecordOptions options;
    options.AnchorText = anchor;
    AttachControlRecord(child, options);
    SendMessageW(form, WM_SIZE, SIZE_RESTORED, 0);
    return child;
}

TEST(FormLayout, AnchoredChildrenFollowAndUnanchoredControlsStay) {
    const struct {
        const char* Anchor;
        RECT Moved;  // edge deltas for a client 100 wider and 50 taller
    } cases[] = {
        {"FL,FT,FR,FB", {0, 0, 100, 50}},
        {"FR,FT,FR,FT", {100, 0, 100, 0}},
        {"F50,FT,F50,FB", {50, 0, 50, 50}},
        {"S,S,S,", {0, 0, 0, 0}},  // six characters: not anchored
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Anchor);
        Recorded = {};
        const TestForm form;
        const HWND child = AddAnchoredChild(form.get(), c.Anchor);
        const RECT before = RectInParent(child);
        const RECT button = RectInParent(form.Control(kSampleButtonId));
        GrowForm(form.get(), 100, 50);
        const RECT after = RectInParent(child);
        EXPECT_EQ(after.left - before.left, c.Moved.left);
        EXPECT_EQ(after.top - before.top, c.Moved.top);
        EXPECT_EQ(after.right - before.right, c.Moved.right);
        EXPECT_EQ(after.bottom - before.bottom, c.Moved.bottom);
        const RECT buttonAfter = RectInParent(form.Control(kSampleButtonId));
        EXPECT_TRUE(EqualRect(&button, &buttonAfter));
        EXPECT_EQ(FindControlRecord(form.Control(kSampleButtonId))->LayoutCaptured, -1);
    }
}

TEST(FormLayout, MinimisedFormsMoveNothingUntilRestored) {
    Recorded = {};
    const TestForm form;
    const HWND child = AddAnchoredChild(form.get(), "FR,FB,FR,FB");
    const RECT captured = RectInParent(child);
    SetWindowPos(child, nullptr, 1, 1, 10, 10, SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageW(form.get(), WM_SIZE, SIZE_MINIMIZED, 0);
    EXPECT_EQ(RectInParent(child).left, 1);
    SendMessageW(form.get(), WM_SIZE, SIZE_RESTORED, 0);
    const RECT restored = RectInParent(child);
    EXPECT_TRUE(EqualRect(&restored, &captured));
}

}  // namespace
