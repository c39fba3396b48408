// COM for the span of one call on the calling thread, and owners for interface pointers and
// BSTRs.
#pragma once

#include <objbase.h>
#include <oleauto.h>

#include "core/win/unique_handle.h"

// An interface pointer that the owner releases once.
template <typename Interface>
struct ComInterfaceTraits {
    using Type = Interface*;
    static Type Invalid() { return nullptr; }
    static void Close(Type object) { object->Release(); }
};
template <typename Interface>
using UniqueComPtr = UniqueHandle<ComInterfaceTraits<Interface>>;

struct BstrTraits {
    using Type = BSTR;
    static Type Invalid() { return nullptr; }
    static void Close(Type text) { SysFreeString(text); }
};
using UniqueBstr = UniqueHandle<BstrTraits>;

// Initialises COM on this thread (single-threaded apartment, what a UI thread needs) and
// uninitialises it at the end of the scope, so a call can be made from the UI thread or a
// worker alike. A thread that already runs COM in the multithreaded apartment keeps it as it
// is: COM is usable there, and this scope must not uninitialise what it did not initialise.
class ComScope {
public:
    ComScope()
        : status_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)) {}
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;
    ~ComScope() {
        if (SUCCEEDED(status_)) {
            CoUninitialize();
        }
    }
    bool Usable() const { return SUCCEEDED(status_) || status_ == RPC_E_CHANGED_MODE; }

private:
    HRESULT status_;
};
