// Recording stand-ins for the four application handlers the form runtime calls.
#include "tests/forms_win/handler_stubs.h"

#include "forms/win/form_hooks.h"

HandlerStubs Stubs;

std::vector<HandlerCall> CallsNamed(const std::string& name) {
    std::vector<HandlerCall> matching;
    for (const HandlerCall& call : Stubs.Calls) {
        if (call.Name == name) {
            matching.push_back(call);
        }
    }
    return matching;
}

int OnFormCreated(HWND form, LPARAM creationValue) {
    Stubs.Calls.push_back({"OnFormCreated", form, 0, nullptr, 0, creationValue});
    if (Stubs.Created) {
        Stubs.Created(form);
    }
    return Stubs.Result;
}

int RefreshReadouts(HWND form, UINT_PTR timerId) {
    Stubs.Calls.push_back({"RefreshReadouts", form, 0, nullptr, 0, static_cast<INT_PTR>(timerId)});
    return Stubs.Result;
}

int OnAutostartClicked(int controlIndex, HWND form, HWND control, int controlId) {
    Stubs.Calls.push_back({"OnAutostartClicked", form, controlIndex, control, controlId});
    return Stubs.Result;
}

int OnCorrectNowClicked(int controlIndex, HWND form, HWND control, int controlId) {
    Stubs.Calls.push_back({"OnCorrectNowClicked", form, controlIndex, control, controlId});
    return Stubs.Result;
}
