// The control operations on real controls, and on windows that do not exist.
#include "app/win/control_ops.h"

#include <gtest/gtest.h>

#include "tests/app_win/test_form.h"

namespace {

TEST(ControlOperations, AMissingWindowIsToleratedAndReportedAsFailure) {
    HWND destroyed = nullptr;
    {
        TestForm form;
        destroyed = form.CheckBox();
    }
    for (HWND gone : {static_cast<HWND>(nullptr), destroyed}) {
        EXPECT_EQ(SetControlText(gone, "text"), FALSE);
        EXPECT_FALSE(IsChecked(gone));
        SetChecked(gone, true);  // has no result: it must simply return
        EXPECT_EQ(RepaintNow(gone), FALSE);
    }
}

TEST(IsChecked, OnlyTheCheckedStateCounts) {
    TestForm form;
    const struct {
        WPARAM State;
        bool Checked;
    } cases[] = {{BST_UNCHECKED, false}, {BST_CHECKED, true}, {BST_INDETERMINATE, false}};
    for (const auto& c : cases) {
        SendMessageW(form.CheckBox(), BM_SETCHECK, c.State, 0);
        EXPECT_EQ(IsChecked(form.CheckBox()), c.Checked) << "state " << c.State;
    }
}

TEST(RepaintNow, PaintsBeforeItReturns) {
    TestForm form;
    ClearPaintLog();
    EXPECT_NE(RepaintNow(form.ComputerFace()), FALSE);
    // No message was pumped: the paint happened inside the call.
    ASSERT_EQ(PaintLog().size(), 1u);
    EXPECT_EQ(PaintLog()[0], form.ComputerFace());
}

TEST(RepaintNow, WithoutAWindowLeavesEveryOtherWindowAlone) {
    // Invalidating "no window" would mean the whole desktop.
    TestForm form;
    ValidateRect(form.Form(), nullptr);
    for (HWND control : {form.ComputerFace(), form.NetworkFace(), form.Button()}) {
        ValidateRect(control, nullptr);
    }
    ClearPaintLog();
    RepaintNow(nullptr);
    EXPECT_FALSE(GetUpdateRect(form.Form(), nullptr, FALSE));
    EXPECT_FALSE(GetUpdateRect(form.ComputerFace(), nullptr, FALSE));
    EXPECT_TRUE(PaintLog().empty());
}

}  // namespace
