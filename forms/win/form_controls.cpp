// Creates the main form's six controls from their design, scaled for the screen.
#include <windows.h>

#include "core/win/wide_text.h"
#include "forms/main_form_design.h"
#include "forms/win/control_record.h"
#include "forms/win/dpi_scaling.h"
#include "forms/win/form_runtime.h"
#include "forms/win/main_form.h"
#include "forms/win/main_form_controls.h"

namespace {

DWORD StyleOf(ControlKind kind) {
    switch (kind) {
        case ControlKind::ClockFace:
            return WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_TABSTOP |
                   SS_REALSIZEIMAGE | SS_NOTIFY | SS_BITMAP;
        case ControlKind::PushButton:
            return WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_NOTIFY | BS_VCENTER | BS_CENTER |
                   BS_PUSHBUTTON;
        case ControlKind::CheckBox:
            return WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_NOTIFY | BS_VCENTER | BS_LEFT |
                   BS_AUTOCHECKBOX;
        case ControlKind::Label:
            // No tab stop: the read-outs are not for the keyboard.
            return WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | SS_NOTIFY | SS_LEFT;
    }
    return WS_CHILD;
}

int IdentifierOf(ControlRole role) {
    switch (role) {
        case ControlRole::NetworkClockFace:
            return ControlIds.ClockFaceIds[kNetworkFaceIndex];
        case ControlRole::ComputerClockFace:
            return ControlIds.ClockFaceIds[kComputerFaceIndex];
        case ControlRole::CorrectNowButton:
            return ControlIds.CorrectNowButton;
        case ControlRole::AutostartCheckBox:
            return ControlIds.AutostartCheckBox;
        case ControlRole::NetworkTimeLabel:
            return ControlIds.NetworkTimeLabel;
        case ControlRole::ComputerTimeLabel:
            return ControlIds.ComputerTimeLabel;
    }
    return 0;
}

HWND& HandleSlotOf(ControlRole role) {
    switch (role) {
        case ControlRole::NetworkClockFace:
            return ControlWindows.ClockFaceWindows[kNetworkFaceIndex];
        case ControlRole::ComputerClockFace:
            return ControlWindows.ClockFaceWindows[kComputerFaceIndex];
        case ControlRole::CorrectNowButton:
            return ControlWindows.CorrectNowButton;
        case ControlRole::AutostartCheckBox:
            return ControlWindows.AutostartCheckBox;
        case ControlRole::NetworkTimeLabel:
            return ControlWindows.NetworkTimeLabel;
        case ControlRole::ComputerTimeLabel:
            break;
    }
    return ControlWindows.ComputerTimeLabel;
}

ControlRecordOptions RecordOptionsOf(const ControlDesign& design) {
    ControlRecordOptions options;
    options.Subclass = true;
    options.NewWndProc = ControlSubclassProc;
    options.MakeFont = true;
    options.FontSpec = design.FontSpec;
    options.ControlIndex = design.ControlIndex;
    if (design.SystemColours) {
        options.CustomColors = true;
        options.ForeIsSysColor = true;
        options.BackIsSysColor = true;
        options.ForeColor = COLOR_WINDOWTEXT;
        options.BackColor = COLOR_BTNFACE;
    }
    options.MakeBackBrush = true;
    return options;
}

HWND CreateControl(HWND form, const ControlDesign& design) {
    const DesignRect& rect = design.Rect;
    // Each of the four is scaled on its own, so right and bottom may differ by a pixel
    // from a scaled edge.
    return CreateWindowExW(0, Widen(design.ClassName).c_str(), Widen(design.Text).c_str(),
                           StyleOf(design.Kind), ScaleXToPixels(static_cast<float>(rect.X)),
                           ScaleYToPixels(static_cast<float>(rect.Y)),
                           ScaleXToPixels(static_cast<float>(rect.Width)),
                           ScaleYToPixels(static_cast<float>(rect.Height)), form,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(IdentifierOf(design.Role))),
                           ProgramInstance(), nullptr);
}

}  // namespace

void CreateFormControls(HWND form) {
    for (const ControlDesign& design : kMainFormControls) {
        const HWND control = CreateControl(form, design);
        if (control != nullptr) {
            AttachControlRecord(control, RecordOptionsOf(design));
            SetWindowTag(control, "");
            SetWindowTag2(control, "");
        }
        HandleSlotOf(design.Role) = control;
        if (control != nullptr && design.Kind == ControlKind::CheckBox) {
            // The application ticks it later if the program is registered to autostart.
            SendMessageW(control, BM_SETCHECK, BST_UNCHECKED, 0);
        }
    }
    if (const HWND networkFace = ControlWindows.ClockFaceWindows[kNetworkFaceIndex]) {
        SetFocus(networkFace);
    }
}
