// Owners for kernel object handles that CloseHandle releases: threads, pipes, events, and files,
// whose empty value is INVALID_HANDLE_VALUE.
#pragma once

#include <windows.h>

#include "core/win/unique_handle.h"

struct KernelHandleTraits {
    using Type = HANDLE;
    static Type Invalid() { return nullptr; }
    static void Close(Type handle) { CloseHandle(handle); }
};
using UniqueKernelHandle = UniqueHandle<KernelHandleTraits>;

struct FileHandleTraits {
    using Type = HANDLE;
    static Type Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(Type handle) { CloseHandle(handle); }
};
using UniqueFileHandle = UniqueHandle<FileHandleTraits>;
