// The procedure every control of a form runs in front of its own.
#include <windows.h>

#include "forms/win/control_record.h"
#include "forms/win/form_runtime.h"
#include "forms/win/form_window.h"

namespace {

// The program's paint handler when the control is one of its form's canvases, else null.
PaintHandler CanvasPainter(HWND control) {
    const FormDefinition* definition = FindFormDefinition(GetParent(control));
    if (definition == nullptr) {
        return nullptr;
    }
    const ControlDescription* described =
        FindControl(definition->Description, GetDlgCtrlID(control));
    return described != nullptr && described->Kind == ControlKind::Canvas
               ? definition->Handlers.Paint
               : nullptr;
}

// A canvas shows its focus rectangle by the focus and the keyboard cues: a change of either
// repaints it.
void RepaintCanvasForFocus(HWND control) {
    if (CanvasPainter(control) != nullptr) {
        InvalidateRect(control, nullptr, FALSE);
    }
}

LRESULT CallPrevious(WNDPROC previous, HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
    return previous != nullptr ? CallWindowProcW(previous, control, message, wParam, lParam)
                               : DefWindowProcW(control, message, wParam, lParam);
}

// Everything the runtime added to the control is undone before its own procedure sees
// WM_DESTROY, so nothing of ours is reachable from the dying window afterwards.
LRESULT DetachOnDestroy(HWND control, ControlRecord* record, WPARAM wParam, LPARAM lParam) {
    const WNDPROC previous = record->PrevWndProc;
    FreeControlRecord(record);
    RemovePropW(control, kRecordProperty);
    ReleaseWindowTags(control);
    // Put the old procedure back only while ours is on top: a procedure that subclassed the
    // control after us would otherwise be unhooked, and its own restore would bring ours back
    // without a record behind it.
    const auto ours = reinterpret_cast<LONG_PTR>(&ControlSubclassProc);
    if (previous != nullptr && GetWindowLongPtrW(control, GWLP_WNDPROC) == ours) {
        SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
    }
    CallPrevious(previous, control, WM_DESTROY, wParam, lParam);
    return 0;
}

}  // namespace

LRESULT CALLBACK ControlSubclassProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
    ControlRecord* record = FindControlRecord(control);
    if (record == nullptr) {
        // Not reachable through AttachControlRecord, which attaches before subclassing;
        // without the record the previous procedure is unknown.
        return DefWindowProcW(control, message, wParam, lParam);
    }
    switch (message) {
        case WM_DESTROY:
            return DetachOnDestroy(control, record, wParam, lParam);
        case WM_SETFOCUS:
            if (ControlRecord* form = FindControlRecord(GetParent(control))) {
                form->FocusedChild = control;
            }
            RepaintCanvasForFocus(control);
            break;
        case WM_KILLFOCUS:
            RepaintCanvasForFocus(control);
            break;
        case WM_UPDATEUISTATE: {
            // The previous procedure keeps the new state: ask it first, then paint by it.
            const LRESULT result =
                CallPrevious(record->PrevWndProc, control, message, wParam, lParam);
            RepaintCanvasForFocus(control);
            return result;
        }
        case WM_PAINT:
            // The program draws its canvases; the static control never paints them itself.
            if (const PaintHandler paint = CanvasPainter(control)) {
                if (const int result = paint(record->ControlIndex, GetParent(control), control)) {
                    return result;
                }
            }
            break;
        default:
            break;
    }
    return CallPrevious(record->PrevWndProc, control, message, wParam, lParam);
}
