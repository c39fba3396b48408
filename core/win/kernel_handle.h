// Owner for kernel object handles that CloseHandle releases (threads, pipes, events).
#pragma once

#include <windows.h>

#include "core/win/unique_handle.h"

struct KernelHandleTraits {
    using Type = HANDLE;
    static Type Invalid() { return nullptr; }
    static void Close(Type handle) { CloseHandle(handle); }
};
using UniqueKernelHandle = UniqueHandle<KernelHandleTraits>;
