// The form's window procedure: creation and teardown, handler routing, colours, timer.
#include <windows.h>

#include "core/win/system_library.h"
#include "forms/win/control_record.h"
#include "forms/win/form_dpi.h"
#include "forms/win/form_runtime.h"
#include "forms/win/form_window.h"

namespace {

// WM_CREATE result that makes the window system abandon the creation.
constexpr LRESULT kAbandonCreation = -1;

using SetCoalescableTimerFunction = UINT_PTR(WINAPI*)(HWND, UINT_PTR, UINT, TIMERPROC, ULONG);

// Windows 8 and later may hold a timer back to fire it together with others; a tick the program
// placed on purpose must not move. Looked up, not imported, so that Windows 7 still starts.
void ArmTimer(HWND form, const TimerRoute& timer) {
    static const auto coalescable = SystemLibraryEntry<SetCoalescableTimerFunction>(
        GetModuleHandleW(L"user32.dll"), "SetCoalescableTimer");
    const UINT delayMs = timer.NextDelayMs();
    if (coalescable == nullptr ||
        coalescable(form, timer.TimerId, delayMs, nullptr, TIMERV_NO_COALESCING) == 0) {
        SetTimer(form, timer.TimerId, delayMs, nullptr);
    }
}

int RunTick(HWND form, const TimerRoute& timer) {
    const int result = timer.Handler(form, timer.TimerId);
    // From now, after the tick's work: the next one comes when the program asks.
    if (IsWindow(form)) {
        ArmTimer(form, timer);
    }
    return result;
}

LRESULT OnCreate(HWND form, WPARAM wParam, LPARAM lParam) {
    const auto* window = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    const auto* creation = static_cast<const FormCreation*>(window->lpCreateParams);
    // Only CreateFormWindow makes windows of a form class; anything else is given up.
    if (creation == nullptr || creation->Definition == nullptr) {
        return kAbandonCreation;
    }
    ControlRecord* record = AllocateControlRecord();
    if (record == nullptr) {
        return kAbandonCreation;
    }
    if (!SetPropW(form, kRecordProperty, record)) {
        FreeControlRecord(record);
        return kAbandonCreation;
    }
    const FormDefinition& definition = *creation->Definition;
    record->Definition = &definition;
    AdoptWindowDpi(form, *record, creation->SizedFor);
    SetWindowTag(form, "");
    SetWindowTag2(form, "");
    CreateFormControls(form, definition.Description, record->Dpi);
    LoadFormIcons(form, *record);
    const FormHandlers& handlers = definition.Handlers;
    if (handlers.Created != nullptr) {
        if (const int result = handlers.Created(form, creation->CreationValue)) {
            return result;
        }
    }
    if (handlers.Timer.Handler != nullptr) {
        ArmTimer(form, handlers.Timer);
    }
    return DefWindowProcW(form, WM_CREATE, wParam, lParam);
}

void OnDestroy(HWND form, ControlRecord* record) {
    if (record != nullptr && record->Definition != nullptr) {
        KillTimer(form, record->Definition->Handlers.Timer.TimerId);
    }
    FreeControlRecord(record);
    ReleaseWindowTags(form);
    RemovePropW(form, kRecordProperty);
    // The loop must not hand keys to a window that no longer exists (or a reused handle).
    if (ActiveForm == form) {
        ActiveForm = nullptr;
    }
    PostQuitMessage(0);
}

// Clicks (notification code 0) go to the program's routes in their order. Focus
// notifications of the BS_NOTIFY buttons carry other codes and reach no handler.
LRESULT RouteCommand(const FormHandlers& handlers, HWND form, WPARAM wParam, LPARAM lParam) {
    if (HIWORD(wParam) != 0) {
        return 0;
    }
    const int id = LOWORD(wParam);
    const HWND control = reinterpret_cast<HWND>(lParam);
    const ControlRecord* record = control != nullptr ? FindControlRecord(control) : nullptr;
    const int controlIndex = record != nullptr ? record->ControlIndex : -1;
    for (const CommandRoute& route : handlers.Commands) {
        if (route.ControlId == id && route.Handler != nullptr) {
            if (const int result = route.Handler(controlIndex, form, control, id)) {
                return result;
            }
        }
    }
    return 0;
}

// A message goes to the program's routes for it; 0 when there is none, or it let the message go.
LRESULT RouteMessage(const FormHandlers& handlers, HWND form, UINT message, WPARAM wParam,
                     LPARAM lParam) {
    for (const MessageRoute& route : handlers.Messages) {
        if (route.Message == message && route.Handler != nullptr) {
            if (const int result = route.Handler(form, wParam, lParam)) {
                return result;
            }
        }
    }
    return 0;
}

// WM_CTLCOLOR*: the colours of a control with custom colours, or null for the defaults.
HBRUSH AnswerColourRequest(HDC dc, HWND control) {
    const ControlRecord* record = control != nullptr ? FindControlRecord(control) : nullptr;
    if (record == nullptr || record->CustomColors == 0) {
        return nullptr;
    }
    SetTextColor(dc, record->ForeIsSysColor != 0 ? GetSysColor(static_cast<int>(record->ForeColor))
                                                 : record->ForeColor);
    SetBkColor(dc, record->BackIsSysColor != 0 ? GetSysColor(static_cast<int>(record->BackColor))
                                               : record->BackColor);
    SetBkMode(dc, TRANSPARENT);
    return record->BackBrush;
}

// DM_GETDEFID, which the loop's dialog navigation asks on Enter: as in a dialog, the push button
// that has the focus is the default one, so Enter presses it as Space does. With the focus on any
// other control there is no default (0), and Enter sends IDOK, as in a dialog without one.
LRESULT FocusedPushButtonAsDefault(HWND form) {
    const HWND focus = GetFocus();
    if (focus == nullptr || GetParent(focus) != form || !IsWindowEnabled(focus)) {
        return 0;
    }
    const LRESULT code = SendMessageW(focus, WM_GETDLGCODE, 0, 0);
    if ((code & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) == 0) {
        return 0;
    }
    return MAKELRESULT(GetDlgCtrlID(focus), DC_HASDEFID);
}

void HandOverToOwner(HWND form, const ControlRecord& record) {
    // The main form has no owner; there is nobody to re-enable or activate then.
    if (record.OwnerWindow != nullptr) {
        EnableWindow(record.OwnerWindow, TRUE);
        SetActiveWindow(record.OwnerWindow);
    }
    ShowWindow(form, SW_HIDE);
}

}  // namespace

LRESULT CALLBACK FormWndProc(HWND form, UINT message, WPARAM wParam, LPARAM lParam) {
    ControlRecord* record =
        message != WM_CREATE && IsWindow(form) ? FindControlRecord(form) : nullptr;
    const FormHandlers* handlers = record != nullptr && record->Definition != nullptr
                                       ? &record->Definition->Handlers
                                       : nullptr;

    // The program's routes see a message first, whatever it is: its own (WM_APP and up) or one
    // the system sends every top-level window (WM_TIMECHANGE, WM_POWERBROADCAST, ...).
    if (handlers != nullptr) {
        if (const LRESULT result = RouteMessage(*handlers, form, message, wParam, lParam)) {
            return result;
        }
    }

    // Messages that are looked at on their way to their own handling below.
    switch (message) {
        case WM_SIZE:
            EnumChildWindows(form, CaptureLayout, 0);
            if (wParam != SIZE_MINIMIZED) {
                EnumChildWindows(form, ApplyAnchors, 0);
            }
            break;
        case WM_ACTIVATE:
            // The high word only says whether the window is minimised.
            ActiveForm = LOWORD(wParam) != WA_INACTIVE ? form : nullptr;
            break;
        case WM_COMMAND:
            if (handlers != nullptr) {
                if (const LRESULT result = RouteCommand(*handlers, form, wParam, lParam)) {
                    return result;
                }
            }
            break;
        default:
            break;
    }

    switch (message) {
        case WM_CREATE:
            return OnCreate(form, wParam, lParam);
        case WM_DESTROY:
            OnDestroy(form, record);
            return 0;
        case WM_SETFOCUS:
            // The form itself takes no keys: give the focus back to the control that had it.
            if (record != nullptr && record->FocusedChild != nullptr) {
                SetFocus(record->FocusedChild);
            }
            break;
        case WM_CLOSE:
            if (record != nullptr && record->IsModal != 0) {
                HandOverToOwner(form, *record);
            }
            break;
        case WM_SYSCOLORCHANGE:
        case WM_THEMECHANGED:
            EnumChildWindows(form, RefreshSysColors, 0);
            RepaintFormAndControls(form);
            break;
        case WM_SETTINGCHANGE:
            // High contrast going on or off among them: the faces paint from it.
            RepaintFormAndControls(form);
            break;
        case WM_DPICHANGED:
            if (record != nullptr && record->Definition != nullptr) {
                OnFormDpiChanged(form, *record, wParam, *reinterpret_cast<const RECT*>(lParam));
                return 0;
            }
            break;
        case kGetDpiScaledSizeMessage:
            if (record != nullptr && record->Definition != nullptr) {
                return AnswerDpiScaledSize(*record, wParam, *reinterpret_cast<SIZE*>(lParam));
            }
            break;
        case DM_GETDEFID:
            return FocusedPushButtonAsDefault(form);
        case WM_SYSCOMMAND:
            if ((wParam & 0xFFF0) == SC_CLOSE) {
                SendMessageW(form, WM_CLOSE, wParam, lParam);
                return 0;
            }
            break;
        case WM_TIMER:
            if (handlers != nullptr && handlers->Timer.Handler != nullptr &&
                wParam == handlers->Timer.TimerId) {
                if (const int result = RunTick(form, handlers->Timer)) {
                    return result;
                }
            }
            break;
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORSTATIC:
            if (const HBRUSH brush = AnswerColourRequest(reinterpret_cast<HDC>(wParam),
                                                         reinterpret_cast<HWND>(lParam))) {
                return reinterpret_cast<LRESULT>(brush);
            }
            break;
        default:
            break;
    }
    return DefWindowProcW(form, message, wParam, lParam);
}

BOOL CALLBACK RefreshSysColors(HWND child, LPARAM /*unused*/) {
    ControlRecord* record = FindControlRecord(child);
    if (record != nullptr && record->CustomColors != 0 && record->BackIsSysColor != 0) {
        if (record->BackBrush != nullptr) {
            DeleteObject(record->BackBrush);
        }
        record->BackBrush = GetSysColorBrush(static_cast<int>(record->BackColor));
    }
    return TRUE;
}

void TickFormTimerNow(HWND form) {
    const FormDefinition* definition = FindFormDefinition(form);
    if (definition != nullptr && definition->Handlers.Timer.Handler != nullptr) {
        RunTick(form, definition->Handlers.Timer);
    }
}
