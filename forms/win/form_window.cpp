// Creating a form from its definition, centred on the screen within its work area, and running it.
#include "forms/win/form_window.h"

#include "core/win/wide_text.h"
#include "forms/win/control_record.h"
#include "forms/win/dpi_scaling.h"
#include "forms/win/form_runtime.h"
#include "forms/pixel_math.h"

namespace {

constexpr UINT kFormClassStyle = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
// No sizing border and no minimise or maximise box: Close is the only title-bar button.
constexpr DWORD kFormStyle = WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kFormExStyle = WS_EX_CONTROLPARENT | WS_EX_WINDOWEDGE;
// A failed registration is not reported: creating the window then fails.
void RegisterFormClass(HINSTANCE instance, const FormDescription& description) {
    const std::wstring className = Widen(description.ClassName);
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof(existing);
    if (GetClassInfoExW(instance, className.c_str(), &existing)) {
        return;
    }
    // No class icons: each form loads its own at the sizes its DPI calls for.
    WNDCLASSEXW formClass{};
    formClass.cbSize = sizeof(formClass);
    formClass.style = kFormClassStyle;
    formClass.lpfnWndProc = FormWndProc;
    formClass.hInstance = instance;
    formClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    formClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    formClass.lpszClassName = className.c_str();
    RegisterClassExW(&formClass);
}

// Centred on a screen smaller than the form (or beside a task bar), the form would reach past
// an edge, its title bar perhaps above the top where no mouse can take it. It is moved into the
// work area of its monitor; one larger than that keeps its top-left corner inside.
void KeepInWorkArea(HWND form) {
    RECT window{};
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    if (!GetWindowRect(form, &window) ||
        !GetMonitorInfoW(MonitorFromWindow(form, MONITOR_DEFAULTTONEAREST), &monitor)) {
        return;
    }
    const RECT& area = monitor.rcWork;
    const int x = OriginWithin(window.left, window.right - window.left, area.left, area.right);
    const int y = OriginWithin(window.top, window.bottom - window.top, area.top, area.bottom);
    if (x != window.left || y != window.top) {
        SetWindowPos(form, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

}  // namespace

HWND CreateFormWindow(const FormDefinition& form, HWND parent, INT_PTR creationValue) {
    const FormDescription& description = form.Description;
    const HINSTANCE instance = ProgramInstance();
    RegisterFormClass(instance, description);
    FormResult = creationValue;
    // The window does not exist yet: sized for the screen, resized in WM_CREATE when the
    // monitor it lands on has another DPI.
    const DotsPerInch dpi = ScreenDpi();
    const SIZE size = FormPixelSize(description, dpi);
    const int x = CentredOrigin(GetSystemMetrics(SM_CXSCREEN), size.cx);
    const int y = CentredOrigin(GetSystemMetrics(SM_CYSCREEN), size.cy);
    const DWORD exStyle = kFormExStyle | (description.StaysOnTop ? WS_EX_TOPMOST : 0);
    // The form procedure takes the definition from here while it handles WM_CREATE.
    FormCreation creation{&form, creationValue, dpi};
    // Created hidden: the loop shows it once the controls and the program are ready.
    const HWND window = CreateWindowExW(exStyle, Widen(description.ClassName).c_str(),
                                        Widen(description.Title).c_str(), kFormStyle, x, y, size.cx,
                                        size.cy, parent, nullptr, instance, &creation);
    // Its size is final now: WM_CREATE has resized it for its monitor's DPI.
    if (window != nullptr) {
        KeepInWorkArea(window);
    }
    return window;
}

INT_PTR CreateForm(const FormDefinition& form, HWND parent,
                   int /*loopMode: a form always runs its own loop*/, INT_PTR creationValue) {
    const HWND window = CreateFormWindow(form, parent, creationValue);
    if (!IsWindow(window)) {
        FormResult = 0;  // no loop will hand it back
        return 0;
    }
    return RunFormLoop(window, parent, SW_SHOWNORMAL);
}

const FormDefinition* FindFormDefinition(HWND form) {
    const ControlRecord* record = FindControlRecord(form);
    return record != nullptr ? record->Definition : nullptr;
}

SIZE FormPixelSize(const FormDescription& description, DotsPerInch dpi) {
    const PixelRect rect =
        DesignRectToPixels({0, 0, description.DesignWidth, description.DesignHeight}, dpi);
    return {rect.Width, rect.Height};
}

DotsPerInch FormDpi(HWND formOrControl) {
    for (const HWND window : {formOrControl, GetParent(formOrControl)}) {
        const ControlRecord* record = window != nullptr ? FindControlRecord(window) : nullptr;
        if (record != nullptr && record->Definition != nullptr) {
            return record->Dpi;
        }
    }
    return ScreenDpi();
}
