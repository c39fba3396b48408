// The form's own message loop, with dialog-box keyboard navigation while the form is active.
#include <windows.h>

#include <utility>

#include "forms/win/control_record.h"
#include "forms/win/form_runtime.h"

HWND ActiveForm = nullptr;
INT_PTR FormResult = 0;

INT_PTR RunFormLoop(HWND form, HWND owner, int showCommand) {
    ControlRecord* record = FindControlRecord(form);
    if (record == nullptr) {
        return 0;
    }
    record->IsModal = kFlagSet;
    record->OwnerWindow = owner;
    ShowWindow(form, showCommand);
    UpdateWindow(form);

    MSG message{};
    // GetMessage gives -1 on failure; treating that as a message would spin forever.
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (!IsWindow(form) || message.message == WM_QUIT) {
            break;
        }
        // Tab, Shift+Tab, arrows, Space, Enter and Escape as in a dialog box.
        if (ActiveForm != nullptr && IsDialogMessageW(ActiveForm, &message)) {
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return std::exchange(FormResult, 0);
}
