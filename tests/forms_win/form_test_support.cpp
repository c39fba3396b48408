// Helpers of the runtime's Wine tests: a sample form destroyed at scope end.
#include "tests/forms_win/form_test_support.h"

#include "forms/win/form_window.h"
#include "tests/forms_win/sample_form.h"

TestForm::TestForm(INT_PTR creationValue) {
    form_ = CreateFormWindow(kSampleForm, nullptr, creationValue);
}

TestForm::~TestForm() {
    if (IsWindow(form_)) {
        DestroyWindow(form_);
    }
    TakeQuitMessage();
}

bool TakeQuitMessage() {
    MSG message;
    return PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE;
}
