// Registers the main form's class, creates the form centred on the screen and runs it.
#include "forms/win/main_form.h"

#include "core/win/wide_text.h"
#include "forms/main_form_design.h"
#include "forms/pixel_math.h"
#include "forms/win/dpi_scaling.h"
#include "forms/win/form_runtime.h"

namespace {

constexpr UINT kFormClassStyle = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
// No sizing border and no minimise or maximise box: Close is the only title-bar button.
constexpr DWORD kFormStyle = WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kFormExStyle = WS_EX_CONTROLPARENT | WS_EX_WINDOWEDGE | WS_EX_TOPMOST;
constexpr wchar_t kFormIconResource[] = L"IMAGE_TIME";
constexpr int kLargeIconSize = 32;
constexpr int kSmallIconSize = 16;

HICON LoadFormIcon(HINSTANCE instance, int size) {
    // Null when the program carries no such icon; the class then has none.
    return static_cast<HICON>(
        LoadImageW(instance, kFormIconResource, IMAGE_ICON, size, size, LR_SHARED));
}

// A failed registration is not reported: creating the window then fails.
void RegisterMainFormClass(HINSTANCE instance) {
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof(existing);
    if (GetClassInfoExW(instance, kMainFormClassName, &existing)) {
        return;
    }
    WNDCLASSEXW formClass{};
    formClass.cbSize = sizeof(formClass);
    formClass.style = kFormClassStyle;
    formClass.lpfnWndProc = FormWndProc;
    formClass.hInstance = instance;
    formClass.hIcon = LoadFormIcon(instance, kLargeIconSize);
    formClass.hIconSm = LoadFormIcon(instance, kSmallIconSize);
    formClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    formClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    formClass.lpszClassName = kMainFormClassName;
    RegisterClassExW(&formClass);
}

}  // namespace

HWND CreateMainFormWindow(HWND parent, INT_PTR creationValue) {
    const HINSTANCE instance = ProgramInstance();
    RegisterMainFormClass(instance);
    FormResult = creationValue;
    const int width = ScaleXToPixels(kMainFormDesignWidth);
    const int height = ScaleYToPixels(kMainFormDesignHeight);
    const int x = CentredOrigin(GetSystemMetrics(SM_CXSCREEN), width);
    const int y = CentredOrigin(GetSystemMetrics(SM_CYSCREEN), height);
    // Created hidden: the loop shows it once the controls and the application are ready.
    return CreateWindowExW(kFormExStyle, kMainFormClassName, Widen(kMainFormTitle).c_str(),
                           kFormStyle, x, y, width, height, parent, nullptr, instance,
                           reinterpret_cast<void*>(creationValue));
}

INT_PTR CreateMainForm(HWND parent, int /*loopMode: the form always runs its own loop*/,
                       INT_PTR creationValue) {
    const HWND form = CreateMainFormWindow(parent, creationValue);
    if (!IsWindow(form)) {
        FormResult = 0;  // no loop will hand it back
        return 0;
    }
    return RunFormLoop(form, parent, SW_SHOWNORMAL);
}
