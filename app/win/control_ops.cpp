// The few things the controller does to a control, each tolerant of a missing window.
#include "app/win/control_ops.h"

#include "core/win/wide_text.h"

BOOL SetControlText(HWND window, std::string_view utf8Text) {
    if (!IsWindow(window)) {
        return FALSE;
    }
    return SetWindowTextW(window, Widen(utf8Text).c_str());
}

bool IsChecked(HWND window) {
    if (!IsWindow(window)) {
        return false;
    }
    return SendMessageW(window, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void SetChecked(HWND window, bool checked) {
    if (!IsWindow(window)) {
        return;
    }
    // Sent, not posted: from a worker thread this waits until the UI thread has ticked the box.
    SendMessageW(window, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

BOOL EnableControl(HWND window) {
    return EnableWindow(window, TRUE);
}

BOOL DisableControl(HWND window) {
    // A disabled window keeps the keyboard focus but takes no keys: Tab and Enter would do
    // nothing until the user clicked another control. Hand the focus on first, as a dialog does.
    if (window != nullptr && GetFocus() == window) {
        const HWND parent = GetParent(window);
        if (const HWND next = GetNextDlgTabItem(parent, window, FALSE)) {
            if (next != window) {
                SetFocus(next);
            }
        }
    }
    return EnableWindow(window, FALSE);
}

BOOL RepaintNow(HWND window) {
    // InvalidateRect with no window would invalidate every window on the desktop.
    if (!IsWindow(window)) {
        return FALSE;
    }
    InvalidateRect(window, nullptr, TRUE);
    return UpdateWindow(window);
}
