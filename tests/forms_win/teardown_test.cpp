// Destroying the form: records, tags, fonts and subclassing go before the windows do.
#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "forms/win/control_record.h"
#include "tests/forms_win/form_test_support.h"
#include "tests/forms_win/sample_form.h"

namespace {

constexpr const wchar_t* kProperties[] = {kRecordProperty, kTagProperty, kTag2Property};

// What the hooks see of one window around its WM_DESTROY.
struct Seen {
    std::vector<void*> Blocks;  // record and tags when WM_DESTROY arrives
    bool LiveBefore = true;     // all three attached and live heap blocks
    bool GoneAfter = false;     // all three detached and freed once it has been handled
    WNDPROC ProcedureAfter = nullptr;
    bool TimerAfter = true;
};
std::map<HWND, Seen> seen;

LRESULT CALLBACK BeforeProcedure(int code, WPARAM wParam, LPARAM lParam) {
    const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && call->message == WM_DESTROY) {
        Seen& window = seen[call->hwnd];
        for (const wchar_t* property : kProperties) {
            void* block = GetPropW(call->hwnd, property);
            window.Blocks.push_back(block);
            window.LiveBefore &= block != nullptr && HeapValidate(GetProcessHeap(), 0, block);
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK AfterProcedure(int code, WPARAM wParam, LPARAM lParam) {
    const auto* call = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    if (code == HC_ACTION && call->message == WM_DESTROY) {
        Seen& window = seen[call->hwnd];
        // HeapValidate tells a freed block from a live one; checked at once, before anything
        // could be given the block again.
        window.GoneAfter = window.Blocks.size() == 3;
        for (size_t i = 0; i < window.Blocks.size(); ++i) {
            window.GoneAfter &= GetPropW(call->hwnd, kProperties[i]) == nullptr &&
                                !HeapValidate(GetProcessHeap(), 0, window.Blocks[i]);
        }
        window.ProcedureAfter =
            reinterpret_cast<WNDPROC>(GetWindowLongPtrW(call->hwnd, GWLP_WNDPROC));
        window.TimerAfter = KillTimer(call->hwnd, kSampleTimerId) != FALSE;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST(FormTeardown, ReleasesEverythingOfEveryWindow) {
    Recorded = {};
    seen.clear();
    const TestForm form;
    struct Owned {
        HWND Window;
        HFONT Font;
        WNDPROC Original;
    };
    std::vector<Owned> controls;
    for (HWND control : SampleControls(form.get())) {
        const ControlRecord* record = FindControlRecord(control);
        ASSERT_NE(record, nullptr);
        controls.push_back({control, record->Font, record->PrevWndProc});
    }
    const DWORD thread = GetCurrentThreadId();
    const HHOOK before = SetWindowsHookExW(WH_CALLWNDPROC, BeforeProcedure, nullptr, thread);
    const HHOOK after = SetWindowsHookExW(WH_CALLWNDPROCRET, AfterProcedure, nullptr, thread);
    ASSERT_TRUE(before && after);
    DestroyWindow(form.get());
    UnhookWindowsHookEx(after);
    UnhookWindowsHookEx(before);

    EXPECT_TRUE(TakeQuitMessage()) << "the form's destruction ends the loop";
    ASSERT_EQ(seen.count(form.get()), 1u);  // (the thread's IME windows go as well)
    EXPECT_TRUE(seen[form.get()].LiveBefore);
    EXPECT_TRUE(seen[form.get()].GoneAfter);
    EXPECT_FALSE(seen[form.get()].TimerAfter);
    for (const Owned& control : controls) {
        SCOPED_TRACE(GetDlgCtrlID(control.Window));
        ASSERT_EQ(seen.count(control.Window), 1u);
        const Seen& window = seen[control.Window];
        EXPECT_TRUE(window.LiveBefore);
        EXPECT_TRUE(window.GoneAfter) << "record or tags left behind";
        EXPECT_EQ(window.ProcedureAfter, control.Original);  // its own procedure saw WM_DESTROY
        EXPECT_EQ(GetObjectType(control.Font), 0u) << "font not deleted";
    }
}

}  // namespace
