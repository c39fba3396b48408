// A form kept sharp on any monitor and current with the system's colours while it is open: its
// DPI, the geometry, fonts and icons made for it, and the repaint after a change of theme.
#include "forms/win/form_dpi.h"

#include <string>

#include "core/win/wide_text.h"
#include "forms/pixel_math.h"
#include "forms/win/font_from_description.h"
#include "forms/win/form_definition.h"
#include "forms/win/form_runtime.h"
#include "forms/win/form_window.h"

namespace {

constexpr float kBigIconDesignSize = 32.0f;
constexpr float kSmallIconDesignSize = 16.0f;
constexpr UINT kPlaceOnly = SWP_NOZORDER | SWP_NOACTIVATE;

void ReplaceIcon(HWND form, WPARAM which, HICON& owned, HICON loaded) {
    if (loaded == nullptr) {
        return;
    }
    SendMessageW(form, WM_SETICON, which, reinterpret_cast<LPARAM>(loaded));
    if (owned != nullptr) {
        DestroyIcon(owned);
    }
    owned = loaded;
}

// The new font is in use before the old one is deleted: a control must never hold a deleted
// font, not even for the length of a message.
void ReplaceFont(HWND control, const ControlDescription& described, DotsPerInch dpi) {
    ControlRecord* record = FindControlRecord(control);
    if (record == nullptr) {
        return;
    }
    UniqueFont font = CreateFontFromDescription(described.FontDescription, dpi);
    if (!font) {
        return;
    }
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
    if (record->Font != nullptr) {
        DeleteObject(record->Font);
    }
    record->Font = font.release();
}

}  // namespace

void AdoptWindowDpi(HWND form, ControlRecord& record, DotsPerInch sizedFor) {
    record.Dpi = WindowDpi(form);
    if (record.Dpi == sizedFor) {
        return;
    }
    const SIZE size = FormPixelSize(record.Definition->Description, record.Dpi);
    SetWindowPos(form, nullptr, CentredOrigin(GetSystemMetrics(SM_CXSCREEN), size.cx),
                 CentredOrigin(GetSystemMetrics(SM_CYSCREEN), size.cy), size.cx, size.cy,
                 kPlaceOnly);
}

void LoadFormIcons(HWND form, ControlRecord& record) {
    const std::wstring name = Widen(record.Definition->Description.IconResource);
    if (name.empty()) {
        return;
    }
    const float factor = ScaleFactorForDpi(record.Dpi.X);
    const auto load = [&](float designSize) {
        const int pixels = DesignToPixels(designSize, factor);
        // Not LR_SHARED: a shared icon is whichever size was loaded first under the name.
        return static_cast<HICON>(
            LoadImageW(ProgramInstance(), name.c_str(), IMAGE_ICON, pixels, pixels, 0));
    };
    ReplaceIcon(form, ICON_BIG, record.BigIcon, load(kBigIconDesignSize));
    ReplaceIcon(form, ICON_SMALL, record.SmallIcon, load(kSmallIconDesignSize));
}

void OnFormDpiChanged(HWND form, ControlRecord& record, WPARAM wParam, const RECT& suggested) {
    const DotsPerInch dpi{LOWORD(wParam), HIWORD(wParam)};
    record.Dpi = dpi;
    const FormDescription& description = record.Definition->Description;
    for (const ControlDescription& described : description.Controls) {
        const HWND control = GetDlgItem(form, described.Id);
        if (control == nullptr) {
            continue;
        }
        const PixelRect rect = DesignRectToPixels(described.Rect, dpi);
        SetWindowPos(control, nullptr, rect.X, rect.Y, rect.Width, rect.Height, kPlaceOnly);
        ReplaceFont(control, described, dpi);
        // Captured again below, at the new scale, against the new client size.
        if (ControlRecord* controlRecord = FindControlRecord(control)) {
            controlRecord->LayoutCaptured = 0;
        }
    }
    LoadFormIcons(form, record);
    // The position Windows suggests keeps the form on the monitor it was moved to; the size is
    // the design size at the new DPI, which Windows suggests too once it has asked
    // (WM_GETDPISCALEDSIZE), and a linear guess otherwise.
    const SIZE size = FormPixelSize(description, dpi);
    SetWindowPos(form, nullptr, suggested.left, suggested.top, size.cx, size.cy, kPlaceOnly);
    EnumChildWindows(form, CaptureLayout, 0);
    RepaintFormAndControls(form);
}

BOOL AnswerDpiScaledSize(const ControlRecord& record, WPARAM dpi, SIZE& size) {
    const int newDpi = static_cast<int>(dpi);
    size = FormPixelSize(record.Definition->Description, {newDpi, newDpi});
    return TRUE;
}

void RepaintFormAndControls(HWND form) {
    RedrawWindow(form, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}
