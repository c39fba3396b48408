// Recording stand-ins for the four application handlers the form runtime calls.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

struct HandlerCall {
    std::string Name;  // the handler's name
    HWND Form = nullptr;
    int ControlIndex = 0;
    HWND Control = nullptr;
    int ControlId = 0;
    INT_PTR Value = 0;  // OnFormCreated's creation value or RefreshReadouts' timer id
};

struct HandlerStubs {
    std::vector<HandlerCall> Calls;
    int Result = 0;                          // what every stub returns
    std::function<void(HWND form)> Created;  // runs inside OnFormCreated
};

extern HandlerStubs Stubs;

// The recorded calls with this name.
std::vector<HandlerCall> CallsNamed(const std::string& name);
