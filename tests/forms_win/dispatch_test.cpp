// Routing of commands, timer ticks, colour requests, colour changes and painting.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>

#include "forms/win/control_record.h"
#include "forms/win/form_runtime.h"
#include "tests/forms_win/form_test_support.h"
#include "tests/forms_win/sample_form.h"

namespace {

class FormDispatch : public testing::Test {
protected:
    void SetUp() override {
        Recorded = {};
        form_ = std::make_unique<TestForm>();
        ASSERT_TRUE(IsWindow(form()));
        Recorded.Calls.clear();  // creation's own call is not looked at here
    }
    HWND form() const { return form_->get(); }
    HWND control(int id) const { return form_->Control(id); }

private:
    std::unique_ptr<TestForm> form_;
};

TEST_F(FormDispatch, CommandsReachTheirHandlerOnlyForClicks) {
    const HWND checkBox = control(kSampleCheckBoxId);
    const HWND button = control(kSampleButtonId);
    const HWND canvas = control(kSampleCanvasId);
    const struct {
        int Code, Id;
        HWND Control;
        const char* Handler;  // nullptr: none
        int ControlIndex;
    } cases[] = {
        {BN_CLICKED, 1004, checkBox, "CheckBoxClicked", 0},
        {BN_CLICKED, 1002, button, "ButtonClicked", 0},
        {BN_SETFOCUS, 1002, button, nullptr, 0},  // BS_NOTIFY focus notifications
        {BN_KILLFOCUS, 1004, checkBox, nullptr, 0},
        {BN_CLICKED, 1004, nullptr, "CheckBoxClicked", -1},  // no control, no index
        {BN_CLICKED, 1002, canvas, "ButtonClicked", 1},      // the sender's index
        {BN_CLICKED, IDCANCEL, nullptr, nullptr, 0},
        {BN_CLICKED, 1005, nullptr, nullptr, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "code " << c.Code << " id " << c.Id);
        Recorded.Calls.clear();
        SendMessageW(form(), WM_COMMAND, MAKEWPARAM(c.Id, c.Code),
                     reinterpret_cast<LPARAM>(c.Control));
        if (c.Handler == nullptr) {
            EXPECT_TRUE(Recorded.Calls.empty());
            continue;
        }
        ASSERT_EQ(Recorded.Calls.size(), 1u);
        const HandlerCall& call = Recorded.Calls[0];
        EXPECT_EQ(call.Name, c.Handler);
        EXPECT_EQ(call.ControlIndex, c.ControlIndex);
        EXPECT_EQ(call.Form, form());
        EXPECT_EQ(call.Control, c.Control);
        EXPECT_EQ(call.ControlId, c.Id);
    }
    // Real clicks, and a handler's non-zero result as the message's result.
    Recorded.Calls.clear();
    SendMessageW(checkBox, BM_CLICK, 0, 0);
    SendMessageW(button, BM_CLICK, 0, 0);
    ASSERT_EQ(Recorded.Calls.size(), 2u);
    EXPECT_EQ(Recorded.Calls[0].Name, "CheckBoxClicked");
    EXPECT_EQ(Recorded.Calls[1].Name, "ButtonClicked");
    Recorded.Result = 7;
    EXPECT_EQ(SendMessageW(form(), WM_COMMAND, 1004, reinterpret_cast<LPARAM>(checkBox)), 7);
    EXPECT_EQ(SendMessageW(form(), WM_TIMER, 1004, 0), 7);
}

TEST_F(FormDispatch, OnlyTheFormsTimerReachesItsHandler) {
    for (const WPARAM timer : {1003u, 1002u, 0u, 1004u}) {
        SendMessageW(form(), WM_TIMER, timer, 0);
    }
    ASSERT_EQ(Recorded.Calls.size(), 1u);
    EXPECT_EQ(Recorded.Calls[0].Name, "Timer");
    EXPECT_EQ(Recorded.Calls[0].Value, 1004);
}

// The program's own messages and the system's alike.
TEST_F(FormDispatch, RoutedMessagesReachTheirRoute) {
    for (const UINT message : {kSampleMessage + 1, kSampleMessage - 1, kSampleMessage,
                               static_cast<UINT>(WM_TIMECHANGE)}) {
        SendMessageW(form(), message, 42, 43);
    }
    ASSERT_EQ(Recorded.Calls.size(), 2u);
    EXPECT_EQ(Recorded.Calls[0].Name, "Message");
    EXPECT_EQ(Recorded.Calls[0].Value, 42);
    EXPECT_EQ(Recorded.Calls[0].ControlId, 43);
    EXPECT_EQ(Recorded.Calls[1].Name, "Message");
    Recorded.Result = 9;
    EXPECT_EQ(SendMessageW(form(), kSampleMessage, 0, 0), 9);
}

TEST_F(FormDispatch, ColourRequestsOfCustomColouredControls) {
    const HDC dc = CreateCompatibleDC(nullptr);
    for (const UINT request :
         {WM_CTLCOLORSTATIC, WM_CTLCOLORBTN, WM_CTLCOLOREDIT, WM_CTLCOLORLISTBOX}) {
        for (const HWND control : SampleControls(form())) {
            SCOPED_TRACE(testing::Message() << request << " " << GetDlgCtrlID(control));
            SetBkMode(dc, OPAQUE);
            const LRESULT brush = SendMessageW(form(), request, reinterpret_cast<WPARAM>(dc),
                                               reinterpret_cast<LPARAM>(control));
            if (FindControlRecord(control)->CustomColors == 0) {
                EXPECT_EQ(GetBkMode(dc), OPAQUE);  // the system's defaults
                continue;
            }
            EXPECT_EQ(reinterpret_cast<HBRUSH>(brush), GetSysColorBrush(COLOR_BTNFACE));
            EXPECT_EQ(GetTextColor(dc), GetSysColor(COLOR_WINDOWTEXT));
            EXPECT_EQ(GetBkColor(dc), GetSysColor(COLOR_BTNFACE));
            EXPECT_EQ(GetBkMode(dc), TRANSPARENT);
        }
    }
    DeleteDC(dc);
}

TEST_F(FormDispatch, ColourChangesGiveSystemBackgroundsTheNewBrush) {
    for (const UINT change : {WM_SYSCOLORCHANGE, WM_THEMECHANGED}) {
        ControlRecord* label = FindControlRecord(control(kSampleLabelId));
        // A stand-in for the brush of the old colour: replaced and deleted by the change.
        const HBRUSH old = CreateSolidBrush(RGB(10, 20, 30));
        label->BackBrush = old;
        SendMessageW(form(), change, 0, 0);
        EXPECT_EQ(label->BackBrush, GetSysColorBrush(COLOR_BTNFACE)) << change;
        EXPECT_EQ(GetObjectType(old), 0u) << change;
        EXPECT_EQ(FindControlRecord(control(kSampleButtonId))->BackBrush, nullptr);
    }
}

// A child whose own procedure counts WM_PAINT, subclassed like the form's controls.
LRESULT CALLBACK CountingPaint(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        SetWindowLongPtrW(window, GWLP_USERDATA, GetWindowLongPtrW(window, GWLP_USERDATA) + 1);
        PAINTSTRUCT paint;
        BeginPaint(window, &paint);
        EndPaint(window, &paint);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

TEST_F(FormDispatch, PaintOfCanvasesIsTakenOverAndOthersPassOn) {
    WNDCLASSW probeClass{};
    probeClass.lpfnWndProc = CountingPaint;
    probeClass.hInstance = GetModuleHandleW(nullptr);
    probeClass.lpszClassName = L"FormsTestPaintProbe";
    RegisterClassW(&probeClass);
    for (const int id : {1000, 1001, 1002, 1003, 1005}) {
        const HWND probe =
            CreateWindowExW(0, probeClass.lpszClassName, L"", WS_CHILD, 0, 0, 9, 9, form(),
                            reinterpret_cast<HMENU>(id), probeClass.hInstance, nullptr);
        ControlRecordOptions options;
        options.Subclass = true;
        options.NewWndProc = ControlSubclassProc;
        ASSERT_NE(AttachControlRecord(probe, options), nullptr);
        SendMessageW(probe, WM_PAINT, 0, 0);
        const bool ownProcedurePainted = GetWindowLongPtrW(probe, GWLP_USERDATA) == 1;
        EXPECT_EQ(ownProcedurePainted, id != 1000 && id != 1001) << id;
        DestroyWindow(probe);
    }
}

}  // namespace
