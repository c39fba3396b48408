// A form's class and window, its controls as described, fonts, and the timer.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "forms/win/control_record.h"
#include "forms/win/font_from_description.h"
#include "forms/win/form_runtime.h"
#include "forms/win/form_window.h"
#include "tests/forms_win/form_test_support.h"
#include "tests/forms_win/sample_form.h"

namespace {

struct ClassSearch {
    const wchar_t* ClassName;
    int Count;
};

BOOL CALLBACK CountIfOwnWindowOfClass(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<ClassSearch*>(param);
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    if (processId == GetCurrentProcessId() && lstrcmpW(name, search->ClassName) == 0) {
        ++search->Count;
    }
    return TRUE;
}

// Top-level windows of this process with the given class.
int CountOwnWindowsOfClass(const wchar_t* className) {
    ClassSearch search{className, 0};
    EnumWindows(&CountIfOwnWindowOfClass, reinterpret_cast<LPARAM>(&search));
    return search.Count;
}

std::wstring TextOf(HWND window) {
    wchar_t text[128] = {};
    GetWindowTextW(window, text, 128);
    return text;
}

LOGFONTW Describe(HFONT font) {
    LOGFONTW logFont{};
    GetObjectW(font, sizeof(logFont), &logFont);
    return logFont;
}

// Each property holds a 2-byte block of zeros: the empty text.
void ExpectEmptyTags(HWND window) {
    for (const wchar_t* tag : {kTagProperty, kTag2Property}) {
        const auto* block = static_cast<const char*>(GetPropW(window, tag));
        ASSERT_NE(block, nullptr);
        EXPECT_EQ(HeapSize(GetProcessHeap(), 0, block), 2u);
        EXPECT_EQ(block[0] | block[1], 0);
    }
}

TEST(FormCreation, ClassWindowAndTheProgramsCreationCall) {
    Recorded = {};
    bool controlsExistedAndFormHidden = false;
    Recorded.Created = [&](HWND form) {
        controlsExistedAndFormHidden = !IsWindowVisible(form);
        for (HWND control : SampleControls(form)) {
            controlsExistedAndFormHidden &= IsWindow(control) && GetParent(control) == form;
        }
    };
    const TestForm form(0x1234);
    ASSERT_TRUE(IsWindow(form.get()));

    WNDCLASSEXW formClass{};
    formClass.cbSize = sizeof(formClass);
    ASSERT_TRUE(GetClassInfoExW(GetModuleHandleW(nullptr), kSampleClassName, &formClass));
    EXPECT_EQ(formClass.style, 11u);
    EXPECT_EQ(formClass.lpfnWndProc, &FormWndProc);
    EXPECT_EQ(formClass.cbClsExtra + formClass.cbWndExtra, 0);
    EXPECT_EQ(formClass.hbrBackground, reinterpret_cast<HBRUSH>(16));
    EXPECT_EQ(formClass.hCursor, LoadCursorW(nullptr, IDC_ARROW));
    EXPECT_EQ(formClass.hIcon, nullptr);  // this test program has no "SAMPLE_ICON" icon

    EXPECT_EQ(TextOf(form.get()), kSampleTitle);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(form.get(), GWL_STYLE)),
              WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(form.get(), GWL_EXSTYLE)),
              WS_EX_CONTROLPARENT | WS_EX_WINDOWEDGE | WS_EX_TOPMOST);
    RECT outer{};
    GetWindowRect(form.get(), &outer);
    EXPECT_EQ(outer.right - outer.left, 295);
    EXPECT_EQ(outer.bottom - outer.top, 239);
    EXPECT_EQ(outer.left, (GetSystemMetrics(SM_CXSCREEN) - 295) / 2);
    EXPECT_EQ(outer.top, (GetSystemMetrics(SM_CYSCREEN) - 239) / 2);

    const auto created = CallsNamed("Created");
    ASSERT_EQ(created.size(), 1u);
    EXPECT_EQ(created[0].Form, form.get());
    EXPECT_EQ(created[0].Value, 0x1234);
    EXPECT_TRUE(controlsExistedAndFormHidden);
    EXPECT_EQ(FormResult, 0x1234);
    FormResult = 0;
    const ControlRecord* record = FindControlRecord(form.get());
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->Window, nullptr);
    ExpectEmptyTags(form.get());
}

TEST(FormCreation, ControlsMatchTheDescription) {
    constexpr DWORD kCanvas = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN |
                              WS_TABSTOP | SS_REALSIZEIMAGE | SS_NOTIFY | SS_BITMAP;
    constexpr DWORD kButton =
        WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_NOTIFY | BS_VCENTER | BS_CENTER | BS_PUSHBUTTON;
    constexpr DWORD kCheckBox =
        WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_NOTIFY | BS_VCENTER | BS_LEFT | BS_AUTOCHECKBOX;
    constexpr DWORD kLabel =
        WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | SS_NOTIFY | SS_LEFT;
    const struct {
        const wchar_t *Class, *Text;
        int Id;
        RECT Rect;  // in the form's client area
        DWORD Style;
        const wchar_t* Face;
        LONG FontHeight;
        bool SystemColours;
        int ControlIndex;
    } expected[] = {
        {L"Static", L"", 1000, {163, 5, 278, 120}, kCanvas, L"", 0, false, 1},
        {L"Static", L"", 1001, {21, 3, 136, 118}, kCanvas, L"", 0, false, 0},
        {L"Button", L"按钮", 1002, {206, 175, 271, 201}, kButton, L"微软雅黑", -12, false, 0},
        {L"Button", L"选择框", 1004, {16, 173, 148, 195}, kCheckBox, L"微软雅黑", -12, true, 0},
        {L"Static", L"标签：", 1005, {18, 127, 323, 144}, kLabel, L"微软雅黑", -12, true, 0},
        {L"Static", L"第二标签：", 1006, {18, 148, 323, 165}, kLabel, L"微软雅黑", -12, true, 0},
    };
    Recorded = {};
    const TestForm form;
    const auto controls = SampleControls(form.get());
    for (size_t i = 0; i < controls.size(); ++i) {
        const auto& e = expected[i];
        const HWND control = controls[i];
        SCOPED_TRACE(e.Id);
        ASSERT_TRUE(IsWindow(control));
        wchar_t className[32] = {};
        GetClassNameW(control, className, 32);
        EXPECT_EQ(_wcsicmp(className, e.Class), 0);
        EXPECT_EQ(TextOf(control), e.Text);
        EXPECT_EQ(GetDlgCtrlID(control), e.Id);
        const RECT rect = RectInParent(control);
        EXPECT_TRUE(EqualRect(&rect, &e.Rect))
            << rect.left << "," << rect.top << "," << rect.right << "," << rect.bottom;
        EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(control, GWL_STYLE)), e.Style);
        EXPECT_TRUE(IsWindowEnabled(control));

        const ControlRecord* record = FindControlRecord(control);
        ASSERT_NE(record, nullptr);
        EXPECT_EQ(record->Window, control);
        EXPECT_EQ(record->ControlIndex, e.ControlIndex);
        EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrW(control, GWLP_WNDPROC)),
                  &ControlSubclassProc);
        EXPECT_NE(record->PrevWndProc, nullptr);
        // The canvases' picture statics keep no font of their own; the record owns it anyway.
        ASSERT_NE(record->Font, nullptr);
        if (e.Style != kCanvas) {
            EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)),
                      record->Font);
        }
        const LOGFONTW font = Describe(record->Font);
        EXPECT_EQ(font.lfHeight, e.FontHeight);
        EXPECT_EQ(std::wstring(font.lfFaceName), e.Face);
        EXPECT_EQ(font.lfWeight, 400);
        EXPECT_EQ(font.lfCharSet, DEFAULT_CHARSET);
        EXPECT_EQ(record->CustomColors, e.SystemColours ? -1 : 0);
        EXPECT_EQ(record->BackIsSysColor, e.SystemColours ? -1 : 0);
        EXPECT_EQ(record->ForeColor, e.SystemColours ? COLOR_WINDOWTEXT : 0u);
        EXPECT_EQ(record->BackColor, e.SystemColours ? COLOR_BTNFACE : 0u);
        EXPECT_EQ(record->BackBrush, e.SystemColours ? GetSysColorBrush(COLOR_BTNFACE) : nullptr);
        ExpectEmptyTags(control);
    }
    EXPECT_EQ(SendMessageW(form.Control(kSampleCheckBoxId), BM_GETCHECK, 0, 0), BST_UNCHECKED);
}

TEST(FormCreation, TheFormsTimerTicksIntoItsHandler) {
    Recorded = {};
    const TestForm form;
    ASSERT_TRUE(PumpUntil([] { return !CallsNamed("Timer").empty(); }, 3000));
    const HandlerCall tick = CallsNamed("Timer").front();
    EXPECT_EQ(tick.Form, form.get());
    EXPECT_EQ(tick.Value, 1004);
}

TEST(FormCreation, RefusedCreationGivesNullWithoutALoop) {
    Recorded = {};
    Recorded.Result = -1;  // from WM_CREATE: the window system gives the window up
    EXPECT_EQ(CreateForm(kSampleForm, nullptr, -1, 0x77), 0);
    EXPECT_EQ(FormResult, 0);
    // Other test processes may show forms of the same class meanwhile: only ours count.
    EXPECT_EQ(CountOwnWindowsOfClass(kSampleClassName), 0);
    TakeQuitMessage();
}

TEST(Fonts, LongFormsAndLongFaceNames) {
    // -16 pixels at the display's 96 DPI are 12 points; strike-out 256 keeps its low byte.
    const UniqueFont longForm = CreateFontFromDescription("Arial,-16,0,0,0,700,1,0,256,0,0,0");
    const LOGFONTW font = Describe(longForm.get());
    EXPECT_EQ(font.lfHeight, -16);
    EXPECT_EQ(font.lfWeight, 700);
    EXPECT_EQ(font.lfItalic, 1);
    EXPECT_EQ(font.lfStrikeOut, 0);
    const UniqueFont longFace = CreateFontFromDescription(std::string(40, 'x') + ",9,0");
    EXPECT_EQ(std::wstring(Describe(longFace.get()).lfFaceName), std::wstring(31, L'x'));
}

}  // namespace
