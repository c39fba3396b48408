// Creates a form's controls from their description, scaled for the screen.
#include <windows.h>

#include "core/win/wide_text.h"
#include "forms/win/control_record.h"
#include "forms/win/dpi_scaling.h"
#include "forms/win/form_runtime.h"
#include "forms/win/form_window.h"

namespace {

DWORD StyleOf(ControlKind kind) {
    switch (kind) {
        case ControlKind::Canvas:
            return WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_TABSTOP |
                   SS_REALSIZEIMAGE | SS_NOTIFY | SS_BITMAP;
        case ControlKind::PushButton:
            return WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_NOTIFY | BS_VCENTER | BS_CENTER |
                   BS_PUSHBUTTON;
        case ControlKind::CheckBox:
            return WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_NOTIFY | BS_VCENTER | BS_LEFT |
                   BS_AUTOCHECKBOX;
        case ControlKind::Label:
            // No tab stop: a label is not for the keyboard.
            return WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | SS_NOTIFY | SS_LEFT;
    }
    return WS_CHILD;
}

ControlRecordOptions RecordOptionsOf(const ControlDescription& control, DotsPerInch dpi) {
    ControlRecordOptions options;
    options.Subclass = true;
    options.NewWndProc = ControlSubclassProc;
    options.MakeFont = true;
    options.FontDescription = control.FontDescription;
    options.FontDpi = dpi;
    options.ControlIndex = control.ControlIndex;
    if (control.SystemColours) {
        options.CustomColors = true;
        options.ForeIsSysColor = true;
        options.BackIsSysColor = true;
        options.ForeColor = COLOR_WINDOWTEXT;
        options.BackColor = COLOR_BTNFACE;
    }
    options.MakeBackBrush = true;
    return options;
}

HWND CreateControl(HWND form, const ControlDescription& control, DotsPerInch dpi) {
    const PixelRect rect = DesignRectToPixels(control.Rect, dpi);
    return CreateWindowExW(0, Widen(control.ClassName).c_str(), Widen(control.Text).c_str(),
                           StyleOf(control.Kind), rect.X, rect.Y, rect.Width, rect.Height, form,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(control.Id)),
                           ProgramInstance(), nullptr);
}

}  // namespace

void CreateFormControls(HWND form, const FormDescription& description, DotsPerInch dpi) {
    HWND first = nullptr;
    for (const ControlDescription& described : description.Controls) {
        const HWND control = CreateControl(form, described, dpi);
        if (control == nullptr) {
            continue;  // the rest of the form is made all the same
        }
        first = first != nullptr ? first : control;
        AttachControlRecord(control, RecordOptionsOf(described, dpi));
        SetWindowTag(control, "");
        SetWindowTag2(control, "");
        if (described.Kind == ControlKind::CheckBox) {
            // The program ticks it later if it has reason to.
            SendMessageW(control, BM_SETCHECK, BST_UNCHECKED, 0);
        }
    }
    // The first control in tab order starts with the focus.
    if (first != nullptr) {
        SetFocus(first);
    }
    // As a dialog starts: focus rectangles and accelerator underlines hidden or shown by the
    // user's setting and by how the last input came, shown once the keyboard moves the focus.
    SendMessageW(form, WM_CHANGEUISTATE,
                 MAKEWPARAM(UIS_INITIALIZE, UISF_HIDEFOCUS | UISF_HIDEACCEL), 0);
}
